# A throwaway PostgreSQL cluster on loopback for the tests.
# Sourced by the test script: torva_postgres_start exports TORVA_TEST_POSTGRES,
# torva_postgres_stop stops the server and removes its files.

torva_postgres_start() {
    TORVA_PG_BIN="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)"
    TORVA_PG_DIR="$(mktemp -d /tmp/torva-postgres.XXXXXX)"
    TORVA_PG_AS=()
    if [ "$(id -u)" -eq 0 ]; then
        # The server refuses to run as root: run it as the postgres account.
        chown postgres "$TORVA_PG_DIR"
        TORVA_PG_AS=(runuser -u postgres --)
    fi
    local port=54329
    while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
    "${TORVA_PG_AS[@]}" "$TORVA_PG_BIN/initdb" -D "$TORVA_PG_DIR/data" -U postgres -A trust -E UTF8 --locale=C \
        >"$TORVA_PG_DIR/initdb.log" 2>&1 || { cat "$TORVA_PG_DIR/initdb.log"; return 1; }
    "${TORVA_PG_AS[@]}" "$TORVA_PG_BIN/pg_ctl" -D "$TORVA_PG_DIR/data" -l "$TORVA_PG_DIR/server.log" -w -t 60 \
        -o "-c listen_addresses=127.0.0.1 -p $port -k $TORVA_PG_DIR -c fsync=off -c full_page_writes=off -c max_connections=200" \
        start >/dev/null || { cat "$TORVA_PG_DIR/server.log"; return 1; }
    export TORVA_TEST_POSTGRES="postgresql://postgres@127.0.0.1:$port/postgres"
    echo "PostgreSQL test server on 127.0.0.1:$port"
}

torva_postgres_stop() {
    [ -n "${TORVA_PG_DIR:-}" ] || return 0
    "${TORVA_PG_AS[@]}" "$TORVA_PG_BIN/pg_ctl" -D "$TORVA_PG_DIR/data" -m fast -w stop >/dev/null 2>&1 || true
    rm -rf "$TORVA_PG_DIR"
    TORVA_PG_DIR=
}
