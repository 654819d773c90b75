#!/usr/bin/env bash
# The main job: install what is missing, build, and show the bundled demo store.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh default

build=build/default
cli=$build/src/cli/dorvane-cli
# The demo prefix's user.reg records the demo store as Outlook Express records a store.
export WINEPREFIX=$PWD/$build/demo/wineprefix
window=$build/src/ui/dorvane
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$window" ]; then
    exec "$window"
fi
echo "No display to open the dorvane window on: showing the demo store with dorvane-cli instead."
store=$("$cli" where)
echo
echo "== The store the registry records"
echo "$store"
echo
echo "== Its folders"
"$cli" tree
echo
echo "== Its Inbox"
"$cli" list "$store/Inbox.dbx"
