#!/usr/bin/env bash
# The Windows paths of the store lookup and the file access, checked under Wine with the
# real registry: values written with `wine reg add`, then `dorvane-cli where`, `list` and
# `cat` as a user runs them. Needs WINEPREFIX set to a throw-away prefix.
#   tests/windows/registry_checks.sh BUILD_DIR
set -u
build=$1
cli="$build/src/cli/dorvane-cli.exe"
failures=0
check() {  # check NAME EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then echo "ok   $1"; else echo "FAIL $1: expected [$2], got [$3]"; failures=$((failures + 1)); fi
}
run() { wine "$cli" "$@" 2>&1 | tr -d '\r'; }
reg() { wine reg "$@" > /dev/null 2>&1; }
oe='HKCU\Software\Microsoft\Outlook Express'
id='{11111111-2222-3333-4444-555555555555}'

check "nothing recorded" "" "$(run where)"

reg add "$oe" /v "Store Root" /t REG_SZ /d 'C:\Mail\Store' /f
check "Store Root of Outlook Express" 'C:\Mail\Store' "$(run where)"

reg add "$oe" /v "Store Root" /t REG_SZ /d '' /f
reg add 'HKCU\Identities' /v "Default User ID" /t REG_SZ /d "$id" /f
reg add "HKCU\\Identities\\$id\\Software\\Microsoft\\Outlook Express\\5.0" /v "Store Root" /t REG_EXPAND_SZ /d '%USERPROFILE%\OE' /f
profile=$(wine cmd /c echo %USERPROFILE% 2>/dev/null | tr -d '\r')
check "identity's Store Root, expanded" "$profile\\OE" "$(run where)"

reg add "$oe" /v "Store Root" /t REG_DWORD /d 1 /f
check "wrong value type" "Invalid data type for 'Store Root'" "$(run where)"
wine "$cli" where > /dev/null 2>&1
check "wrong value type exit status" "1" "$?"
reg delete "$oe" /v "Store Root" /f

# The demo store through Windows paths (the host's root is drive Z:).
store="Z:$(cd "$build/demo/store" && pwd | tr '/' '\\')"
check "list through a Windows path" "20" "$(run list "$store\\Inbox.dbx" --json | wc -l | tr -d ' ')"
offset=$(run list "$store\\Inbox.dbx" | sed -n 2p | cut -f6)
check "cat through a Windows path" "From: " "$(run cat "$store\\Inbox.dbx" "$offset" | head -c 6)"

# Share modes: while another program holds the file, the index can be read, the text not.
wine "$build/tests/windows/hold_file.exe" "$store\\Inbox.dbx" 8 > "$WINEPREFIX/hold.txt" 2>/dev/null &
holder=$!
for _ in $(seq 50); do grep -q holding "$WINEPREFIX/hold.txt" 2>/dev/null && break; sleep 0.2; done
check "index readable while held" "20" "$(run list "$store\\Inbox.dbx" --json | wc -l | tr -d ' ')"
check "text not readable while held" "Cannot open file $store\\Inbox.dbx" "$(run cat "$store\\Inbox.dbx" "$offset")"
wait "$holder"

echo "$((9 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
