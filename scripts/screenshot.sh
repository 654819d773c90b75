#!/usr/bin/env bash
# Starts the real dorvane window on the demo store under a virtual X display and saves a
# picture of the screen.
#
#   bash scripts/screenshot.sh [OUTPUT.png] [BUILD_DIRECTORY]
#
# Needs Xvfb and xvfb-run (scripts/install-deps.sh installs them) and a build that has the
# window (build/default unless told otherwise).
set -euo pipefail
cd "$(dirname "$0")/.."
output=$(realpath -m "${1:-dorvane-screenshot.png}")
build=$(realpath "${2:-build/default}")
window=$build/src/ui/dorvane
camera=$build/tests/ui/dorvane-screen-grab
for program in "$window" "$camera"; do
    [ -x "$program" ] || { echo "Not built: $program" >&2; exit 1; }
done

export WINEPREFIX=$build/demo/wineprefix
export window camera output
xvfb-run --auto-servernum --server-args="-screen 0 1024x700x24" bash -c '
    "$window" &
    pid=$!
    # The window needs a moment to read the store and paint.
    sleep "${DORVANE_SCREENSHOT_DELAY:-3}"
    status=0
    "$camera" "$output" || status=$?
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    exit $status
'
echo "Saved $output"
