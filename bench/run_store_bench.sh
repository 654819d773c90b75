#!/usr/bin/env bash
# Measures the store reader on a generated 100,000-message folder file:
#   - index and text reading speed (Google Benchmark);
#   - `dorvane-cli list --json` against `cat` of the same file, in the same run;
#   - the peak resident set of that listing, against its bound (2 x record texts + 50 MB).
# Usage: bench/run_store_bench.sh [BUILD_DIR]   (default build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
dir=/tmp/dorvane-bench
file=$dir/Inbox.dbx
mkdir -p "$dir"
[ -f "$file" ] || "$build/bench/dorvane-bench-folder" "$file" 100000

export DORVANE_BENCH_FOLDER=$file
cat "$file" > /dev/null  # warm the page cache
"$build/bench/dorvane-store-bench"

best() {  # best wall time of five runs of a command, in milliseconds
    local best=999999
    for _ in 1 2 3 4 5; do
        local start end
        start=$(date +%s%N)
        "$@" > /dev/null
        end=$(date +%s%N)
        local ms=$(( (end - start) / 1000000 ))
        (( ms < best )) && best=$ms
    done
    echo "$best"
}
cli="$build/src/cli/dorvane-cli"
cat_ms=$(best cat "$file")
list_ms=$(best "$cli" list "$file" --json)
echo "cat FILE > /dev/null:                     ${cat_ms} ms"
echo "dorvane-cli list FILE --json > /dev/null: ${list_ms} ms (target: at most 4 x cat)"

rss_kb=$(/usr/bin/time -v "$cli" list "$file" --json 2>&1 >/dev/null | awk '/Maximum resident/ {print $6}')
# The record texts: every string value of the JSON output, less quotes and escapes.
text_bytes=$("$cli" list "$file" --json | python3 -c '
import json, sys
total = 0
for line in sys.stdin:
    record = json.loads(line)
    total += sum(len(v) for v in record.values() if isinstance(v, str))
print(total)')
bound_kb=$(( (2 * text_bytes + 50 * 1024 * 1024) / 1024 ))
echo "peak resident set of list --json:         ${rss_kb} kB (bound: ${bound_kb} kB = 2 x ${text_bytes} text bytes + 50 MB)"
