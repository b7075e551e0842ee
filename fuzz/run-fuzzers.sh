#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each one for
# a bounded time, starting from its committed corpus under fuzz/corpus/.
# Inputs the fuzzer finds along the way go to build-fuzz/corpus/ (the
# committed corpus is only read); a crashing input is kept in
# build-fuzz/crashes/<target>/ and makes the script fail once every target
# has run.
#
#   TORVA_FUZZ_SECONDS   seconds per target (default 20)
#   TORVA_FUZZ_BUILD_DIR the build folder (default build-fuzz/ at the top)
#   fuzz/run-fuzzers.sh [target...]   only the targets named
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TORVA_FUZZ_BUILD_DIR:-$top/build-fuzz}"
seconds="${TORVA_FUZZ_SECONDS:-20}"

targets=(fuzz_parsename fuzz_datetime fuzz_lockedselect fuzz_recordsource fuzz_databaselocation
         fuzz_outlinerow fuzz_outlinemodel)
[ $# -gt 0 ] && targets=("$@")

CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTORVA_BUILD_FUZZERS=ON -DTORVA_BUILD_TESTS=OFF -DTORVA_BUILD_BENCHMARKS=OFF >/dev/null
build_targets=()
for target in "${targets[@]}"; do build_targets+=(--target "$target"); done
cmake --build "$build" -j"$(nproc)" "${build_targets[@]}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:abort_on_error=0:detect_leaks=1"
export LSAN_OPTIONS="suppressions=$top/fuzz/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# First every committed input once: a fault found before must stay mended.
for target in "${targets[@]}"; do
    if ! "$build/fuzz/$target" -runs=0 -timeout=10 -rss_limit_mb=2048 "$top/fuzz/corpus/$target" \
            >"$build/$target.corpus.log" 2>&1; then
        echo "$target: an input of the committed corpus fails again (log: $build/$target.corpus.log)"
        grep -E -A1 'invariant broken|ERROR: |runtime error' "$build/$target.corpus.log" | head -n 20
        exit 1
    fi
done

# Then a bounded search for new faults. What it finds is kept and reported;
# it fails the run only with TORVA_FUZZ_STRICT=1, so that a chance find
# does not stop everyone's test command before it is made a test row.
failed=()
for target in "${targets[@]}"; do
    work="$build/corpus/$target"
    crashes="$build/crashes/$target"
    log="$build/$target.log"
    mkdir -p "$work" "$crashes"
    if "$build/fuzz/$target" -max_total_time="$seconds" -seed="${TORVA_FUZZ_SEED:-1}" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
            -artifact_prefix="$crashes/" -print_final_stats=1 "$work" "$top/fuzz/corpus/$target" >"$log" 2>&1; then
        runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
        echo "$target: ${runs:-?} inputs in ${seconds} s, no failure"
    else
        echo "$target: FAILED (log: $log, inputs: $crashes/)"
        grep -E -A1 'invariant broken|ERROR: |runtime error|SUMMARY' "$log" | head -n 20 || tail -n 40 "$log"
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzz targets that found something new: ${failed[*]} (kept in $build/crashes/; make each a \"fuzz: ...\" row of the unit test of what it broke)"
    if [ "${TORVA_FUZZ_STRICT:-0}" = 1 ]; then
        exit 1
    fi
fi
exit 0
