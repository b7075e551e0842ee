#!/usr/bin/env bash
# The benchmark smoke test: a small scale database in a throwaway folder, and
# every benchmark run a few times on it. Fails when the generator's own check
# fails or a benchmark times the wrong path (torva-bench exits non-zero).
set -euo pipefail
generator="$1"
bench="$2"
folder="$(mktemp -d /tmp/torva-bench-smoke.XXXXXX)"
trap 'rm -rf "$folder"' EXIT
"$generator" --database "sqlite:$folder/data" --scale 0.001 --quiet --info "$folder/scale-info.txt"
"$bench" --database "sqlite:$folder/data" --info "$folder/scale-info.txt" --samples 3
