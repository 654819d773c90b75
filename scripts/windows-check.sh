#!/usr/bin/env bash
# Cross-builds the core, the Windows platform layer, the CLI and the core tests with
# MinGW-w64 and runs them under Wine in a throw-away prefix: the test suite, the real
# registry lookups written with `wine reg add`, reading the demo store through Windows
# paths, and the share-mode rule.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v x86_64-w64-mingw32-g++-posix > /dev/null || ! command -v wine > /dev/null; then
    echo "MinGW-w64 or Wine is not installed: skipping the Windows checks"
    exit 0
fi
cmake --preset windows > /dev/null
cmake --build --preset windows --parallel "$(nproc)"

export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/dorvane-wine.XXXXXX)
export WINEDEBUG=-all
trap 'wineserver -k > /dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
# One server for the whole run. Left to itself it exits a few seconds after the last
# program does, and a test that starts at that moment cannot reach it.
wineserver -p
wineboot -i > /dev/null 2>&1 || true

ctest --preset windows
bash tests/windows/registry_checks.sh build/windows
(cd build/windows && cpack -G ZIP > /dev/null && ls dorvane-*-windows-x86_64.zip)
