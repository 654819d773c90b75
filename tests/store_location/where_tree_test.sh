#!/usr/bin/env bash
# `where` and `tree` through the real lookup: the demo prefix, an empty prefix and one
# whose "Store Root" has the wrong type.
set -u
cli=$1
demo_prefix=$2
failures=0
checks=0
check() {  # check NAME CONDITION...
    local name=$1; shift
    checks=$((checks + 1))
    if "$@"; then echo "ok   $name"; else echo "FAIL $name"; failures=$((failures + 1)); fi
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

store=$(WINEPREFIX=$demo_prefix "$cli" where); status=$?
check "where exits 0 on the demo prefix" test $status -eq 0
check "where names the identity's store in drive C:" \
    test "${store#"$demo_prefix"/dosdevices/c:/users/demo/}" != "$store"
check "the store holds the catalogue" test -f "$store/folders.dbx"

WINEPREFIX=$demo_prefix "$cli" tree > "$tmp/tree.txt"; status=$?
check "tree exits 0" test $status -eq 0
check "the top folder comes first" test "$(head -n 1 "$tmp/tree.txt")" = "Outlook Express"
check "a folder one level down" grep -qx '  Inbox \[Inbox.dbx\]' "$tmp/tree.txt"
check "a grouping folder has no brackets" grep -qx '  Projects' "$tmp/tree.txt"
check "a folder three levels down" grep -qx '      2004 \[2004.dbx\]' "$tmp/tree.txt"
"$cli" tree "$store/folders.dbx" > "$tmp/named.txt"
check "a named catalogue gives the same tree" cmp -s "$tmp/tree.txt" "$tmp/named.txt"

mkdir "$tmp/empty"
WINEPREFIX=$tmp/empty "$cli" where > "$tmp/where.txt"; status=$?
check "no user.reg: where exits 0" test $status -eq 0
check "no user.reg: an empty line" test "$(cat "$tmp/where.txt")" = "" -a -s "$tmp/where.txt"
WINEPREFIX=$tmp/empty "$cli" tree > /dev/null 2> "$tmp/err.txt"; status=$?
check "no store: tree exits 1" test $status -eq 1
check "no store: the catalogue at the root" grep -qx "Cannot open file /folders.dbx" "$tmp/err.txt"

mkdir "$tmp/wrong"
printf '%s\n' 'WINE REGISTRY Version 2' '[Software\\Microsoft\\Outlook Express] 1' \
    '"Store Root"=dword:00000001' > "$tmp/wrong/user.reg"
WINEPREFIX=$tmp/wrong "$cli" where > /dev/null 2> "$tmp/err.txt"; status=$?
check "wrong type: where exits 1" test $status -eq 1
check "wrong type: the error names the value" \
    grep -qx "Invalid data type for 'Store Root'" "$tmp/err.txt"

echo "$((checks - failures)) passed, $failures failed"
test $failures -eq 0
