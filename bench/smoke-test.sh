#!/usr/bin/env bash
# The benchmark smoke test: a small scale database in a throwaway folder, and
# every benchmark run a few times on it. Fails when the generator's own check
# fails, the run fails, or a benchmark times the wrong path (a run that did
# not do what it should). Budgets missed on so few runs are no failure.
set -euo pipefail
generator="$1"
bench="$2"
folder="$(mktemp -d /tmp/torva-bench-smoke.XXXXXX)"
trap 'rm -rf "$folder"' EXIT
"$generator" --database "sqlite:$folder/data" --scale 0.001 --quiet --info "$folder/scale-info.txt"
status=0
"$bench" --database "sqlite:$folder/data" --info "$folder/scale-info.txt" --samples 3 --json "$folder/results.json" \
    || status=$?
if [ "$status" -ne 0 ] && [ "$status" -ne 3 ]; then
    echo "torva-bench failed (exit status $status)" >&2
    exit 1
fi
if grep -Eq '"unexpected": *[1-9]' "$folder/results.json"; then
    echo "some benchmark runs did not do what they should (listed above)" >&2
    exit 1
fi
