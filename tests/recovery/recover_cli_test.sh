#!/usr/bin/env bash
# `dorvane-cli recover` on the demo store's damaged Inbox: the table and JSON Lines shapes
# of `list`, the count on standard error, and every listed message readable with
# `cat --recovered`, text identical to the intact Inbox's copy at the same offset.
set -u
cli=$1
store=$2
failures=0
checks=0
check() {  # check NAME CONDITION...
    local name=$1; shift
    checks=$((checks + 1))
    if "$@"; then echo "ok   $name"; else echo "FAIL $name"; failures=$((failures + 1)); fi
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
damaged="$store/Damaged Inbox.dbx"

"$cli" recover "$damaged" > "$tmp/table.txt" 2> "$tmp/err.txt"; status=$?
check "recover exits 0" test $status -eq 0
check "count on standard error" test "$(cat "$tmp/err.txt")" = "11 messages recovered."
check "message table caption" test "$(head -n 1 "$tmp/table.txt")" = $'From\tReply to\tTo\tSubject\tReceived\tPosition\tSize'
check "one row per message" test "$(wc -l < "$tmp/table.txt")" -eq 12

"$cli" recover "$damaged" --json > "$tmp/records.jsonl" 2> /dev/null
check "one JSON line per message" test "$(wc -l < "$tmp/records.jsonl")" -eq 11
check "salvaged records have no index record" grep -q '"RecordOffset":0}$' "$tmp/records.jsonl"

read_all=true
for offset in $(tail -n +2 "$tmp/table.txt" | cut -f6); do
    "$cli" cat "$damaged" "$offset" --recovered > "$tmp/salvaged.eml" || read_all=false
    "$cli" cat "$store/Inbox.dbx" "$offset" > "$tmp/intact.eml" || read_all=false
    head -c 6 "$tmp/salvaged.eml" | grep -q '^From: ' || read_all=false
    cmp -s "$tmp/salvaged.eml" "$tmp/intact.eml" || read_all=false
done
check "cat --recovered prints every listed message" $read_all

"$cli" recover "$tmp/missing.dbx" > /dev/null 2> "$tmp/err.txt"; status=$?
check "missing file exits 1" test $status -eq 1
check "missing file message" grep -qx "Cannot open file $tmp/missing.dbx" "$tmp/err.txt"

echo "$((checks - failures)) passed, $failures failed"
test $failures -eq 0
