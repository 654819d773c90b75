#!/usr/bin/env bash
# Every reading command leaves the mail files exactly as they were: the same bytes and the
# same modification time. Runs the CLI over a copy of the demo store.
set -u
cli=$1
store=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp -a "$store" "$tmp/store"
# Older times than now make any rewrite visible even within the same second.
find "$tmp/store" -name '*.dbx' -exec touch -d '2004-01-06 14:05:00' {} +
snapshot() { (cd "$tmp/store" && for f in *.dbx; do printf '%s %s %s\n' "$f" "$(stat -c %Y "$f")" "$(sha256sum < "$f" | cut -c1-64)"; done); }
before=$(snapshot)

s=$tmp/store
"$cli" list "$s/folders.dbx" > /dev/null
"$cli" list "$s/Inbox.dbx" --json > /dev/null
"$cli" list "$s/Inbox.dbx" --subject x --sort Received > /dev/null
"$cli" tree "$s/folders.dbx" > /dev/null
"$cli" cat "$s/Inbox.dbx" 9588 > /dev/null
"$cli" recover "$s/Damaged Inbox.dbx" > /dev/null 2>&1
"$cli" cat "$s/Damaged Inbox.dbx" 9588 --recovered > /dev/null
"$cli" extract "$s/Inbox.dbx" "$tmp/out" > /dev/null
"$cli" extract "$s/Damaged Inbox.dbx" "$tmp/out2" --recovered > /dev/null
"$cli" batch "$s/folders.dbx" "$tmp/out3" > /dev/null
"$cli" export-store "$s/folders.dbx" "$tmp/out4" --mbox > /dev/null
"$cli" deleted "$s/Deleted Items.dbx" > /dev/null 2>&1
"$cli" extract "$s/Deleted Items.dbx" "$tmp/out5" --deleted > /dev/null

after=$(snapshot)
if [ "$before" = "$after" ]; then
    echo "1 passed, 0 failed"
else
    diff <(echo "$before") <(echo "$after")
    echo "0 passed, 1 failed"
    exit 1
fi
