# The bench's own PostgreSQL cluster, kept between runs in a folder of the
# bench build, and a look at a given server. Sourced by run-benchmarks.sh.
#
# bench_postgres_start FOLDER  starts the cluster in FOLDER/cluster (made with
#                              initdb when missing or of another major version)
#                              on a free loopback port, its socket in a folder
#                              of its own; sets BENCH_PG_PORT.
# bench_postgres_stop          stops it again (safe to call twice; for a trap).
# bench_postgres_has_parties LOCATION
#                              prints 1 when the database holds parties, else 0.
#
# The server refuses to run as root: as root, initdb, pg_ctl and the server
# run as the postgres account.

BENCH_PG_BIN=
BENCH_PG_AS=()
[ "$(id -u)" -ne 0 ] || BENCH_PG_AS=(runuser -u postgres --)
BENCH_PG_CLUSTER=
BENCH_PG_SOCKET=
BENCH_PG_PORT=

# The newest server installed (none yet: empty).
bench_postgres_find() {
    BENCH_PG_BIN="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)"
}

bench_postgres_major() {
    "$BENCH_PG_BIN/postgres" --version | sed -E 's/.* ([0-9]+)[.0-9]*.*/\1/'
}

# Gives FOLDER to the account the server runs as.
bench_postgres_own() {
    if [ ${#BENCH_PG_AS[@]} -gt 0 ]; then
        chown postgres "$1"
    fi
}

bench_postgres_start() {
    local folder="$1"
    BENCH_PG_CLUSTER="$folder/cluster"
    bench_postgres_find
    if [ -z "$BENCH_PG_BIN" ]; then
        echo "No PostgreSQL server is installed (/usr/lib/postgresql/*/bin)" >&2
        return 1
    fi
    if [ -f "$BENCH_PG_CLUSTER/PG_VERSION" ] && [ "$(cat "$BENCH_PG_CLUSTER/PG_VERSION")" != "$(bench_postgres_major)" ]; then
        echo "The cluster in $BENCH_PG_CLUSTER is of PostgreSQL $(cat "$BENCH_PG_CLUSTER/PG_VERSION"): making it again"
        rm -rf "$folder"
    fi
    mkdir -p "$folder"
    bench_postgres_own "$folder"
    if [ ! -f "$BENCH_PG_CLUSTER/PG_VERSION" ]; then
        rm -rf "$BENCH_PG_CLUSTER"
        "${BENCH_PG_AS[@]}" "$BENCH_PG_BIN/initdb" -D "$BENCH_PG_CLUSTER" -E UTF8 --locale=C -U postgres -A trust \
            >"$folder/initdb.log" 2>&1 || { cat "$folder/initdb.log" >&2; return 1; }
    fi
    # A run ended without its trap (killed) may have left the server running.
    if "${BENCH_PG_AS[@]}" "$BENCH_PG_BIN/pg_ctl" -D "$BENCH_PG_CLUSTER" status >/dev/null 2>&1; then
        "${BENCH_PG_AS[@]}" "$BENCH_PG_BIN/pg_ctl" -D "$BENCH_PG_CLUSTER" -m fast -w stop >/dev/null
    fi
    BENCH_PG_SOCKET="$(mktemp -d /tmp/torva-bench-postgres.XXXXXX)"
    bench_postgres_own "$BENCH_PG_SOCKET"
    local port=55432
    while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
    "${BENCH_PG_AS[@]}" "$BENCH_PG_BIN/pg_ctl" -D "$BENCH_PG_CLUSTER" -l "$folder/server.log" -w -t 120 \
        -o "-c listen_addresses=127.0.0.1 -p $port -k $BENCH_PG_SOCKET" start >/dev/null \
        || { tail -n 20 "$folder/server.log" >&2; return 1; }
    BENCH_PG_PORT="$port"
    echo "PostgreSQL $("$BENCH_PG_BIN/postgres" --version | sed -E 's/.* ([0-9.]+).*/\1/') on 127.0.0.1:$port" \
         "(cluster $BENCH_PG_CLUSTER)"
}

bench_postgres_stop() {
    if [ -n "$BENCH_PG_PORT" ]; then
        "${BENCH_PG_AS[@]}" "$BENCH_PG_BIN/pg_ctl" -D "$BENCH_PG_CLUSTER" -m fast -w -t 120 stop >/dev/null 2>&1 \
            || echo "Could not stop the PostgreSQL server of $BENCH_PG_CLUSTER" >&2
        BENCH_PG_PORT=
    fi
    if [ -n "$BENCH_PG_SOCKET" ]; then
        rm -rf "$BENCH_PG_SOCKET"
        BENCH_PG_SOCKET=
    fi
}

bench_postgres_has_parties() {
    local found
    found="$(psql "$1" -XAtqc "Select to_regclass('duvprb.prbpty') Is Not Null")"
    if [ "$found" = t ]; then
        found="$(psql "$1" -XAtqc "Select Exists (Select 1 From duvprb.prbpty)")"
    fi
    if [ "$found" = t ]; then echo 1; else echo 0; fi
}
