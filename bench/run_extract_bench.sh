#!/usr/bin/env bash
# Extract All of a 100,000-message folder against `tar -xf` writing the same files, in the
# same run, on a warm cache.
# Usage: bench/run_extract_bench.sh [BUILD_DIR]   (default build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
dir=/tmp/dorvane-bench
file=$dir/Inbox.dbx
mkdir -p "$dir"
[ -f "$file" ] || "$build/bench/dorvane-bench-folder" "$file" 100000
cat "$file" > /dev/null

ms() { echo $(( ($2 - $1) / 1000000 )); }
rm -rf "$dir/extract" "$dir/untar"
start=$(date +%s%N)
"$build/src/cli/dorvane-cli" extract "$file" "$dir/extract"
end=$(date +%s%N)
extract_ms=$(ms "$start" "$end")
count=$(find "$dir/extract" -name '*.eml' | wc -l)

(cd "$dir" && tar -cf extract.tar extract)
mkdir -p "$dir/untar"
start=$(date +%s%N)
tar -xf "$dir/extract.tar" -C "$dir/untar"
end=$(date +%s%N)
tar_ms=$(ms "$start" "$end")
rm -rf "$dir/extract" "$dir/untar" "$dir/extract.tar"

echo "dorvane-cli extract: $count messages in ${extract_ms} ms ($(( count * 1000 / (extract_ms + 1) )) messages/s)"
echo "tar -xf of the same files: ${tar_ms} ms (target: extract within 1.5 x tar)"
