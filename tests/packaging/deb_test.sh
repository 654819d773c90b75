#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root with dpkg -x and runs the CLI
# from there on the demo store.
#   tests/packaging/deb_test.sh BUILD_DIR
set -euo pipefail
build=$1
(cd "$build" && cpack -G DEB > /dev/null)
deb=$(ls -t "$build"/dorvane_*.deb | head -n 1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
echo "package: $(basename "$deb")"
dpkg-deb -f "$deb" Depends
test -f "$root/usr/share/applications/dorvane.desktop"
test -f "$root/usr/share/icons/hicolor/scalable/apps/dorvane.svg"
"$root/usr/bin/dorvane-cli" list "$build/demo/store/Inbox.dbx" --json | wc -l | grep -qx 20
echo "1 passed, 0 failed"
