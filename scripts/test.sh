#!/usr/bin/env bash
# Every test: installs what is missing (PostgreSQL included), builds, starts a
# throwaway PostgreSQL server on loopback, runs the whole suite on every
# engine (SQLite, PostgreSQL, and PostgreSQL through ODBC) and stops the
# server again, whatever the outcome.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$top/scripts/packages.sh"
source "$top/scripts/postgres.sh"

torva_install_packages "${TORVA_BUILD_PACKAGES[@]}" postgresql unixodbc odbc-postgresql doxygen xvfb xauth xdotool openbox scrot sqlite3
torva_build

trap torva_postgres_stop EXIT
torva_postgres_start
torva_odbc_configure "$top/build/odbc"
export TORVA_REQUIRE_POSTGRES=1 TORVA_REQUIRE_ODBC=1
export QT_QPA_PLATFORM=offscreen

cd "$top/build"
ctest --output-on-failure -j"$(nproc)" "$@"

# The whole suite once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/, on the same server. Left out: the
# packaging test, which builds a program of its own without the sanitizers
# against the installed library, and the benchmarks with their smoke tests.
cmake -S "$top" -B "$top/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVA_SANITIZE=ON \
    -DTORVA_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$top/build-asan" -j"$(nproc)"
cd "$top/build-asan"
ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=0:strict_init_order=1 \
LSAN_OPTIONS="suppressions=$top/fuzz/lsan-suppressions.txt:print_suppressions=0" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure -j"$(nproc)" -E '^packaging_consumer$' "$@"

# The fuzz targets, each for a bounded time from its committed corpus.
bash "$top/fuzz/run-fuzzers.sh"
