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

# The ODBC route to the same server: the PostgreSQL ODBC driver and a data
# source for it, in files under the folder given (never in /etc). Exports
# ODBCSYSINI, which tells the driver manager where they are, and
# TORVA_TEST_ODBC, the connection string the tests add their database to.
torva_odbc_configure() {
    local folder="$1"
    local port="${TORVA_TEST_POSTGRES##*:}"
    port="${port%%/*}"
    local driver
    driver="$(ls /usr/lib/*/odbc/psqlodbcw.so 2>/dev/null | head -n 1)"
    [ -n "$driver" ] || { echo "the PostgreSQL ODBC driver (odbc-postgresql) is not installed"; return 1; }
    mkdir -p "$folder"
    cat >"$folder/odbcinst.ini" <<INI
[TORVA PostgreSQL Unicode]
Description=PostgreSQL ODBC driver, for the tests
Driver=$driver
INI
    cat >"$folder/odbc.ini" <<INI
[torva-test]
Description=The test server, through ODBC
Driver=TORVA PostgreSQL Unicode
Servername=127.0.0.1
Port=$port
Username=postgres
Database=postgres
INI
    export ODBCSYSINI="$folder"
    export ODBCINI="$folder/odbc.ini"
    export TORVA_TEST_ODBC="DSN=torva-test"
    echo "ODBC data source torva-test in $folder"
}
