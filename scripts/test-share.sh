#!/usr/bin/env bash
# How large the tests are against the code they test: non-blank, non-comment
# lines of the C++ sources (.cpp and .h) in tests/ against those in src/ and
# apps/, and the share of tests in the two together. bench/ is counted
# apart. Exit status 1 when the tests are more than a third of the whole.
#
#   bash scripts/test-share.sh [--by-file]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# Lines of code in the files named on standard input: blank lines, // lines
# and /* ... */ blocks left out. With per_file set, one line per file too.
count() {
    xargs -0 -r awk -v per_file="${1:-0}" '
        FNR == 1 { if (file != "" && per_file) printf "%6d  %s\n", here, file; file = FILENAME; here = 0; block = 0 }
        {
            line = $0
            if (block) {
                if (index(line, "*/") == 0) next
                line = substr(line, index(line, "*/") + 2); block = 0
            }
            gsub(/^[ \t]+|[ \t\r]+$/, "", line)
            if (line ~ /^\/\*/) {
                if (index(line, "*/") == 0) { block = 1; next }
                line = substr(line, index(line, "*/") + 2)
                gsub(/^[ \t]+/, "", line)
            }
            if (line == "" || line ~ /^\/\//) next
            here++; total++
        }
        END { if (file != "" && per_file) printf "%6d  %s\n", here, file; print total + 0 }'
}

sources() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z; }

by_file=0
[ "${1:-}" = --by-file ] && by_file=1

if [ "$by_file" = 1 ]; then
    sources tests | count 1 | sed '$d' | sort -rn
fi
tests=$(sources tests | count | tail -1)
product=$(sources src apps | count | tail -1)
bench=$(sources bench | count | tail -1)
share=$((100 * tests / (tests + product)))
printf 'tests/          %6d lines\n' "$tests"
printf 'src/ + apps/    %6d lines\n' "$product"
printf 'tests share     %6d%%  of tests + src + apps (at most 33%%)\n' "$share"
printf 'bench/          %6d lines (%d%% of src + apps)\n' "$bench" $((100 * bench / product))
[ $((3 * tests)) -le $((tests + product)) ]
