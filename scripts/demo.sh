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
