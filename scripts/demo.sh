#!/usr/bin/env bash
# The main job: install what is missing, build, and show the bundled demo store.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh default

build=build/default
store=$build/demo/store
echo
echo "== Folders of the demo store ($store/folders.dbx)"
"$build/src/cli/dorvane-cli" list "$store/folders.dbx"
echo
echo "== Its Inbox"
"$build/src/cli/dorvane-cli" list "$store/Inbox.dbx"
