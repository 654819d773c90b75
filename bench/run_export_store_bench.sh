#!/usr/bin/env bash
# export-store of a store of 8 folders holding 100,000 messages against Extract All of one
# folder of 100,000 messages, per message, on a warm cache. Creating 100,000 files is
# dominated by the file system, whose speed drifts from run to run, so the two alternate
# for a few rounds and the best of each is printed.
# Usage: bench/run_export_store_bench.sh [BUILD_DIR [ROUNDS]]   (default build/default, 3)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
rounds=${2:-3}
cli=$build/src/cli/dorvane-cli
dir=/tmp/dorvane-bench
mkdir -p "$dir"
[ -f "$dir/Inbox.dbx" ] || "$build/bench/dorvane-bench-folder" "$dir/Inbox.dbx" 100000
[ -f "$dir/store/folders.dbx" ] || "$build/bench/dorvane-bench-store" "$dir/store" 100000 8
cat "$dir/Inbox.dbx" "$dir/store/"*.dbx > /dev/null

# Each timed run starts with the disk idle: files deleted or written just before would
# otherwise be flushed during the run and counted against it.
settle() { sync; sleep 3; }
now() { date +%s%N; }
best_extract=999999999 best_export=999999999 best_update=999999999
for round in $(seq "$rounds"); do
    rm -rf "$dir/extract" "$dir/export"
    settle; start=$(now)
    "$cli" extract "$dir/Inbox.dbx" "$dir/extract"
    ms=$(( ($(now) - start) / 1000000 )); (( ms < best_extract )) && best_extract=$ms
    extract_count=$(find "$dir/extract" -name '*.eml' | wc -l)
    rm -rf "$dir/extract"

    settle; start=$(now)
    "$cli" export-store "$dir/store/folders.dbx" "$dir/export" > /dev/null
    ms=$(( ($(now) - start) / 1000000 )); (( ms < best_export )) && best_export=$ms
    export_count=$(find "$dir/export" -name '*.eml' | wc -l)

    settle; start=$(now)
    "$cli" export-store "$dir/store/folders.dbx" "$dir/export" --update > /dev/null
    ms=$(( ($(now) - start) / 1000000 )); (( ms < best_update )) && best_update=$ms
    rm -rf "$dir/export"
    echo "round $round done"
done

rate() { echo "$(( $1 * 1000 / ($2 + 1) )) messages/s, $(( $2 * 1000000 / ($1 + 1) )) ns/message"; }
echo "Extract All (one folder):  $extract_count messages in ${best_extract} ms ($(rate "$extract_count" "$best_extract"))"
echo "export-store (8 folders):  $export_count messages in ${best_export} ms ($(rate "$export_count" "$best_export"))"
echo "export-store --update:     nothing new to write, ${best_update} ms"
echo "(best of $rounds rounds; target: export-store at least as fast per message as Extract All)"
