#!/usr/bin/env bash
# The command-line companion's contract on the demo store: output shapes, exit statuses and
# error texts that scripts rely on.
set -u
cli=$1
store=$2
failures=0
passes=0
check() {  # check NAME CONDITION...
    local name=$1; shift
    if "$@"; then
        echo "ok   $name"; passes=$((passes + 1))
    else
        echo "FAIL $name"; failures=$((failures + 1))
    fi
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

# Search options keep exactly the rows the criteria admit, in the order read, with or
# without --json, and whether or not a sort makes the whole list be kept.
python3 - "$tmp/inbox.jsonl" Alice > "$tmp/expected.jsonl" <<'PY'
import json, sys
for line in open(sys.argv[1], encoding="utf-8"):
    record = json.loads(line)
    if sys.argv[2] in record["FromName"] or sys.argv[2] in record["ReplyTo"]:
        print(line, end="")
PY
"$cli" list "$store/Inbox.dbx" --json --from Alice > "$tmp/found.jsonl"
check "--from keeps the senders that hold the text" cmp -s "$tmp/expected.jsonl" "$tmp/found.jsonl"
check "--from found some but not all" test "$(wc -l < "$tmp/found.jsonl")" -gt 0 -a \
    "$(wc -l < "$tmp/found.jsonl")" -lt 20
awk -F '\t' 'NR == 1 || index($4, "Re:") > 0' "$tmp/inbox.txt" > "$tmp/expected.txt"
"$cli" list "$store/Inbox.dbx" --subject ' Re: ' > "$tmp/found.txt"
check "--subject, trimmed, keeps the subjects that hold it" cmp -s "$tmp/expected.txt" "$tmp/found.txt"
"$cli" list "$store/Inbox.dbx" --subject 'Re:' --sort Position:asc > "$tmp/sorted.txt"
check "a sorted search keeps the same rows" \
    test "$(sort "$tmp/found.txt")" = "$(sort "$tmp/sorted.txt")"
awk -F '\t' 'NR == 1 || $5 ~ /^..\/..\/0[56] /' "$tmp/inbox.txt" > "$tmp/expected.txt"
"$cli" list "$store/Inbox.dbx" --after 2005-01-01 --before 2007-01-01 > "$tmp/found.txt"
check "--after and --before keep 2005 and 2006" cmp -s "$tmp/expected.txt" "$tmp/found.txt"
"$cli" list "$store/Inbox.dbx" --to nobody-here > "$tmp/found.txt"
check "a search that finds nothing prints the caption alone" \
    test "$(cat "$tmp/found.txt")" = "$(head -n 1 "$tmp/inbox.txt")"

echo "$passes passed, $failures failed"
test $failures -eq 0
