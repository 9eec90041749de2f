#!/usr/bin/env bash
# Keeps the tests at the size asked for: at most 35 % of the program, counted
# as the house counts them (non-blank lines that are not only a comment;
# program: src/ and tools/; tests: tests/ and fuzz/ with their scripts and
# data, golden report texts and fuzz inputs left out). Uses the shared
# counter beside the checkout when there is one, else the same rule here.
set -euo pipefail
cd "$(dirname "$0")/.."
limit=35
if [ -x ../shared/tools/test-ratio ]; then
    report="$(../shared/tools/test-ratio .)"
else
    lines() { xargs -r cat 2>/dev/null | grep -c -v -E '^\s*(//.*)?$' || true; }
    data_lines() { xargs -r cat 2>/dev/null | grep -c -v -E '^\s*(#.*)?$' || true; }
    cpp='\.(cpp|cc|h|hpp)$'
    program=$(git ls-files -- src tools | grep -E "$cpp" | lines)
    tests=$(( $(git ls-files -- tests fuzz | grep -E "$cpp" | lines) + $(git ls-files -- tests fuzz \
        | grep -E '\.(txt|json|csv|tsv|ini|yaml|yml|scn|sh|py)$' | grep -v 'CMakeLists\.txt$' \
        | grep -v -E '/golden/|tests/.*/report/.*\.txt$' | data_lines) ))
    report="program lines: $program
test lines:    $tests
ratio:         $(( 100 * tests / program ))% of the program"
fi
echo "$report"
pct="$(sed -n 's/^ratio: *\([0-9]*\)%.*/\1/p' <<<"$report")"
if [ -z "$pct" ] || [ "$pct" -gt "$limit" ]; then
    echo "the tests are ${pct:-?} % of the program: more than the $limit % allowed" >&2
    exit 1
fi
