#!/usr/bin/env bash
# The bench command: builds the generator and the benchmarks (Release), makes
# the scale database once (SQLite, full scale, kept for later runs), runs
# every benchmark on it and prints the results table.
#
#   bash bench/run-benchmarks.sh [torva-bench options, e.g. --filter Searches --plans]
#
# TORVA_BENCH_BUILD   build folder (default: build-bench at the top of the checkout)
# TORVA_BENCH_SCALE   share of the full sizes for a quicker run (default 1)
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$top/scripts/packages.sh"

build="${TORVA_BENCH_BUILD:-$top/build-bench}"
scale="${TORVA_BENCH_SCALE:-1}"
if [ "$scale" = "1" ]; then
    data="$build/scale-sqlite"
else
    data="$build/scale-sqlite-$scale"
fi

torva_install_packages "${TORVA_BUILD_PACKAGES[@]}"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTORVA_BUILD_TESTS=OFF -DTORVA_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target generate-scale-data torva-bench

# Made once, into a folder of its own that takes the final name only when
# the generator's check at the end passed.
if [ ! -f "$data/scale-info.txt" ]; then
    rm -rf "$data.partial"
    echo "Making the scale database in $data (once; a few minutes at most)"
    "$build/bench/generate-scale-data" --database "sqlite:$data.partial" --scale "$scale" \
        --info "$data.partial/scale-info.txt"
    sed -i "s|^database=.*|database=sqlite:$data|" "$data.partial/scale-info.txt"
    rm -rf "$data"
    mv "$data.partial" "$data"
fi

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
"$build/bench/torva-bench" --database "sqlite:$data" --info "$data/scale-info.txt" \
    --markdown "$build/bench-results.md" "$@"
echo
echo "Markdown tables: $build/bench-results.md"
