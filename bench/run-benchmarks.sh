#!/usr/bin/env bash
# The bench command: builds the generator and the benchmarks (Release), makes
# the scale database once (full scale, kept for later runs), runs every
# benchmark on it and prints the results table.
#
#   bash bench/run-benchmarks.sh [--engine ENGINE] [torva-bench options, e.g. --filter Searches --plans]
#
# ENGINE  sqlite      embedded SQLite in $build/scale-sqlite (the default)
#         postgresql  a PostgreSQL cluster of the bench's own in $build/scale-postgres,
#                     started on a free loopback port for the run only
#         both        sqlite, then postgresql, and one table with the two side by side
#         postgresql://user@host:port/db
#                     a given server; the scale data is made there when the
#                     database holds no parties yet
#
# Exit status: 0 every budget met, 3 a budget missed, 2 a command line it
# cannot use, 1 a failure (build, database, server). Runs that did not do
# what they should are listed in the output, not in the status.
#
# TORVA_BENCH_BUILD   build folder (default: build-bench at the top of the checkout)
# TORVA_BENCH_SCALE   share of the full sizes for a quicker run (default 1); each
#                     scale has kept databases of its own
set -Eeuo pipefail
trap 'exit 1' ERR
trap 'exit 1' INT TERM HUP
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$top/scripts/packages.sh"
source "$top/bench/bench-postgres.sh"

usage_error() {
    echo "run-benchmarks.sh: $1 (see the top of bench/run-benchmarks.sh)" >&2
    exit 2
}

engine=sqlite
bench_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --engine)
            [ $# -ge 2 ] || usage_error "--engine takes sqlite, postgresql, both or postgresql://user@host:port/db"
            engine="$2"
            shift 2 ;;
        --engine=*)
            engine="${1#--engine=}"
            shift ;;
        *)
            bench_args+=("$1")
            shift ;;
    esac
done
case "$engine" in
    sqlite | postgresql | both | postgresql://* | postgres://*) ;;
    *) usage_error "no engine \"$engine\": sqlite, postgresql, both or postgresql://user@host:port/db" ;;
esac

build="${TORVA_BENCH_BUILD:-$top/build-bench}"
scale="${TORVA_BENCH_SCALE:-1}"
[[ "$scale" =~ ^[0-9]*\.?[0-9]+$ ]] || usage_error "TORVA_BENCH_SCALE takes a number such as 0.01"
kept_suffix=""
if [ "$scale" != "1" ]; then
    kept_suffix="-$scale"
fi
postgres_database=torva_bench

packages=("${TORVA_BUILD_PACKAGES[@]}")
if [ "$engine" != sqlite ]; then
    packages+=(postgresql)
fi
torva_install_packages "${packages[@]}"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTORVA_BUILD_TESTS=OFF -DTORVA_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target generate-scale-data torva-bench bench-side-by-side

# The generator into LOCATION, its facts into INFO (written last, so that the
# file says the data is complete).
generate() {
    local location="$1" info="$2"
    echo "Making the scale database (scale $scale) at $location (once)"
    SECONDS=0
    "$build/bench/generate-scale-data" --database "$location" --scale "$scale" --info "$info.partial"
    echo "Made in $SECONDS s"
}

# Sets location and info for the embedded database, made once into a folder
# of its own that takes the final name only when the generator's check at
# the end passed.
prepare_sqlite() {
    local data="$build/scale-sqlite$kept_suffix"
    if [ ! -f "$data/scale-info.txt" ]; then
        rm -rf "$data.partial"
        generate "sqlite:$data.partial" "$data.partial/scale-info.txt"
        sed "s|^database=.*|database=sqlite:$data|" "$data.partial/scale-info.txt.partial" >"$data.partial/scale-info.txt"
        rm "$data.partial/scale-info.txt.partial"
        rm -rf "$data"
        mv "$data.partial" "$data"
    fi
    location="sqlite:$data"
    info="$data/scale-info.txt"
}

# Starts the bench's own cluster (stopped again on exit) and sets location
# and info; the data is made once, then vacuumed so that autovacuum has
# nothing left to do while the benchmarks run.
prepare_own_postgres() {
    local data="$build/scale-postgres$kept_suffix"
    if [ ! -f "$data/scale-info.txt" ]; then
        rm -rf "$data"
    fi
    trap bench_postgres_stop EXIT
    bench_postgres_start "$data"
    location="postgresql://postgres@127.0.0.1:$BENCH_PG_PORT/$postgres_database"
    info="$data/scale-info.txt"
    if [ ! -f "$info" ]; then
        "$BENCH_PG_BIN/createdb" -h 127.0.0.1 -p "$BENCH_PG_PORT" -U postgres "$postgres_database"
        generate "$location" "$info"
        SECONDS=0
        "$BENCH_PG_BIN/vacuumdb" -h 127.0.0.1 -p "$BENCH_PG_PORT" -U postgres --freeze --analyze --quiet "$postgres_database"
        echo "Vacuumed in $SECONDS s"
        sed "s|^database=.*|database=$BENCH_PG_CLUSTER (database $postgres_database, on a free port each run)|" \
            "$info.partial" >"$info"
        rm "$info.partial"
    fi
}

# Sets location and info for a given server: the data is made there when
# the database holds no parties, its facts kept in the bench build under a
# name of the location's own. A database filled otherwise runs without them
# (torva-bench then leaves the associations editor out).
prepare_given_postgres() {
    location="$engine"
    info="$build/scale-given-$(printf '%s' "$location" | sha1sum | cut -c1-12)/scale-info.txt"
    local has_parties
    has_parties="$(bench_postgres_has_parties "$location")"
    if [ "$has_parties" = 0 ]; then
        mkdir -p "$(dirname "$info")"
        rm -f "$info"
        generate "$location" "$info"
        # No password in the facts file.
        sed -E 's|^database=(postgres(ql)?://[^:@/]*):[^@/]*@|database=\1@|' "$info.partial" >"$info"
        rm "$info.partial"
    elif [ ! -f "$info" ]; then
        echo "$location holds parties the bench did not make: no facts file for it"
        info=
    fi
}

# Runs torva-bench on location; its exit status goes into statuses, its
# tables into $build/bench-results-NAME.md and .json.
statuses=()
time_engine() {
    local name="$1" status=0
    local info_args=()
    rm -f "$build/bench-results-$name.md" "$build/bench-results-$name.json"
    if [ -n "$info" ]; then
        info_args=(--info "$info")
    fi
    export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
    "$build/bench/torva-bench" --database "$location" "${info_args[@]}" --markdown "$build/bench-results-$name.md" \
        --json "$build/bench-results-$name.json" "${bench_args[@]}" || status=$?
    statuses+=("$status")
    if [ "$status" -eq 2 ]; then
        exit 2
    fi
}

# The run's table in $build/bench-results.md: the one engine's, or both side by side.
tables_of() {
    if [ -f "$build/bench-results-$1.md" ]; then
        cp "$build/bench-results-$1.md" "$build/bench-results.md"
    fi
}

rm -f "$build/bench-results.md"
case "$engine" in
    sqlite)
        prepare_sqlite
        time_engine sqlite
        tables_of sqlite ;;
    postgresql)
        prepare_own_postgres
        time_engine postgresql
        tables_of postgresql ;;
    both)
        prepare_sqlite
        time_engine sqlite
        prepare_own_postgres
        time_engine postgresql
        if [ -f "$build/bench-results-sqlite.json" ] && [ -f "$build/bench-results-postgresql.json" ]; then
            echo
            "$build/bench/bench-side-by-side" --markdown "$build/bench-results.md" \
                "$build/bench-results-sqlite.json" "$build/bench-results-postgresql.json"
        fi ;;
    *)
        prepare_given_postgres
        time_engine postgresql
        tables_of postgresql ;;
esac

# Every budget met only when each run says so; a run that failed outweighs
# a budget missed.
result=0
for status in "${statuses[@]}"; do
    case "$status" in
        0) ;;
        3) [ "$result" -ne 0 ] || result=3 ;;
        *) result=1 ;;
    esac
done
if [ -f "$build/bench-results.md" ]; then
    echo
    echo "Markdown tables: $build/bench-results.md"
fi
exit "$result"
