#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 30) from a
# copy of its committed corpus. A crash leaves its input in build/fuzz/findings/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
cmake --preset fuzz > /dev/null
cmake --build --preset fuzz --parallel "$(nproc)"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=()
    for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi
findings=build/fuzz/findings
mkdir -p "$findings"
for target in "${targets[@]}"; do
    work=build/fuzz/corpus-work/$target
    mkdir -p "$work"
    cp -n fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
    echo "-- $target: ${seconds}s"
    (cd "$findings" && "../fuzz/$target" "../../../$work" -max_total_time="$seconds" \
        -max_len=65536 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 2>&1 |
        grep -E "stat::number_of_executed_units|ERROR|SUMMARY|Test unit written" || true)
    if ls "$findings"/crash-* "$findings"/timeout-* "$findings"/oom-* > /dev/null 2>&1; then
        echo "fuzz target $target found a failing input in $findings"
        exit 1
    fi
done
