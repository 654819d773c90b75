#!/usr/bin/env bash
# Whole-store export, mbox files, kept dates, deleted messages and update runs, through
# the command-line companion on the demo store.
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
# Every file under a directory with its bytes' checksum and modification time.
snapshot() { (cd "$1" && find . -type f -printf '%p %T@ ' -exec md5sum {} \; | sort); }

# mbox: a real mbox reader gets every message back, byte for byte as its .eml file with
# LF line ends once the one-">" quoting is undone.
"$cli" extract "$store/Inbox.dbx" "$tmp/inbox.mbox" --mbox
check "extract --mbox exits 0" test $? -eq 0
"$cli" extract "$store/Inbox.dbx" "$tmp/eml"
python3 - "$tmp/inbox.mbox" "$tmp/eml" > "$tmp/mbox.txt" 2>&1 <<'PY'
import mailbox, os, re, sys
box = mailbox.mbox(sys.argv[1], create=False)
names = sorted(os.listdir(sys.argv[2]), key=lambda n: int(n.split("_", 1)[0]))
keys = list(box.keys())
assert len(keys) == len(names) == 20, (len(keys), len(names))
for key, name in zip(keys, names):
    got = box.get_bytes(key)
    got = re.sub(rb"(?m)^>(>*From )", rb"\1", got)
    with open(os.path.join(sys.argv[2], name), "rb") as f:
        want = f.read().replace(b"\r\n", b"\n")
    if not want.endswith(b"\n"):
        want += b"\n"  # an mbox message always ends its last line
    assert got == want, name
    assert box.get_message(key).get_from().split(" ")[0] != ""
print("mbox ok")
PY
check "python mailbox reads every message back" grep -qx "mbox ok" "$tmp/mbox.txt"
cat "$tmp/mbox.txt" | grep -v "^mbox ok" | head -5

# Kept dates: the first Inbox message was received on 1 January 2002 at 08:00 UTC.
first=$(ls "$tmp/eml" | grep '^1_')
check "exported file keeps the received time" \
    test "$(date -u -r "$tmp/eml/$first" +%Y-%m-%dT%H:%M)" = "2002-01-01T08:00"

# Whole store, then again with --update: nothing written, nothing touched.
"$cli" export-store "$store/folders.dbx" "$tmp/store" --update > "$tmp/first.txt"
check "export-store exits 0" test $? -eq 0
check "export-store summary" grep -qxE '12 folders, [0-9]+ messages written, 11 messages recovered, 0 unchanged, 0 failures\.' "$tmp/first.txt"
check "nested folder directory" test -d "$tmp/store/Outlook Express/Projects/Old Invoices/2004"
before=$(snapshot "$tmp/store")
sleep 1
"$cli" export-store "$store/folders.dbx" "$tmp/store" --update > "$tmp/second.txt"
check "second run writes nothing" grep -qE '^12 folders, 0 messages written, 0 messages recovered, [1-9][0-9]* unchanged, 0 failures\.$' "$tmp/second.txt"
check "second run leaves the files alone" test "$before" = "$(snapshot "$tmp/store")"

"$cli" export-store "$store/Inbox.dbx" "$tmp/not" > /dev/null 2> "$tmp/not.err"; status=$?
check "export-store of a folder file is refused" test $status -eq 1
check "and says why" grep -q "^Not a folder catalogue (folders.dbx): " "$tmp/not.err"

"$cli" export-store "$store/folders.dbx" "$tmp/mboxes" --mbox > /dev/null
check "export-store --mbox writes one mbox per folder" \
    test "$(find "$tmp/mboxes" -name '*.mbox' | wc -l)" -eq 10

"$cli" batch "$store/Inbox.dbx" "$tmp/batch" --update > /dev/null
before=$(snapshot "$tmp/batch")
"$cli" batch "$store/Inbox.dbx" "$tmp/batch" --update > "$tmp/batch.txt"
check "batch --update writes nothing again" grep -qx "0 messages written from 1 files." "$tmp/batch.txt"
check "batch --update leaves the files alone" test "$before" = "$(snapshot "$tmp/batch")"

# Deleted messages: Deleted Items still holds two messages its index no longer names.
"$cli" deleted "$store/Deleted Items.dbx" > "$tmp/deleted.txt" 2> "$tmp/deleted.err"
check "deleted lists two messages under the list caption" test "$(wc -l < "$tmp/deleted.txt")" -eq 3
check "deleted caption" test "$(head -n 1 "$tmp/deleted.txt")" = $'From\tReply to\tTo\tSubject\tReceived\tPosition\tSize'
check "deleted count on stderr" grep -qx "2 deleted messages found." "$tmp/deleted.err"
"$cli" deleted "$store/Inbox.dbx" --json > "$tmp/none.jsonl" 2> /dev/null
check "no deleted messages in the Inbox" test ! -s "$tmp/none.jsonl"
"$cli" extract "$store/Deleted Items.dbx" "$tmp/deleted" --deleted
check "extract --deleted writes them" test "$(ls "$tmp/deleted" | wc -l)" -eq 2
check "their text is there" grep -qi '^Subject: ' "$tmp/deleted/1_"*

echo "$((checks - failures)) passed, $failures failed"
test $failures -eq 0
