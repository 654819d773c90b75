#!/usr/bin/env bash
# The command-line companion's contract on the demo store: output shapes, exit statuses and
# error texts that scripts rely on.
set -u
cli=$1
store=$2
failures=0
check() {  # check NAME CONDITION...
    local name=$1; shift
    if "$@"; then echo "ok   $name"; else echo "FAIL $name"; failures=$((failures + 1)); fi
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$cli" list "$store/folders.dbx" > "$tmp/folders.txt"; status=$?
check "list catalogue exits 0" test $status -eq 0
check "catalogue table caption" test "$(head -n 1 "$tmp/folders.txt")" = $'FolderId\tParentId\tFolderName\tFileName'

"$cli" list "$store/Inbox.dbx" --json > "$tmp/inbox.jsonl"
check "inbox has 20 JSON lines" test "$(wc -l < "$tmp/inbox.jsonl")" -eq 20
check "JSON keys in record order" grep -q '^{"Value80":[0-9-]*,"Value01":[0-9-]*,"Text1B":' "$tmp/inbox.jsonl"

"$cli" list "$store/Inbox.dbx" > "$tmp/inbox.txt"
check "message table caption" test "$(head -n 1 "$tmp/inbox.txt")" = $'From\tReply to\tTo\tSubject\tReceived\tPosition\tSize'

offset=$(sed -n 2p "$tmp/inbox.txt" | cut -f6)
"$cli" cat "$store/Inbox.dbx" "$offset" > "$tmp/message.eml"
check "cat writes the stored text" grep -q '^From: ' "$tmp/message.eml"
check "cat keeps CR LF bytes" grep -q $'\r$' "$tmp/message.eml"

"$cli" list "$tmp/missing.dbx" > /dev/null 2> "$tmp/err.txt"; status=$?
check "missing file exits 1" test $status -eq 1
check "missing file message" grep -qx "Cannot open file $tmp/missing.dbx" "$tmp/err.txt"

"$cli" cat "$store/Inbox.dbx" > /dev/null 2>&1; status=$?
check "usage error exits 2" test $status -eq 2

echo "$((10 - failures)) passed, $failures failed"
test $failures -eq 0
