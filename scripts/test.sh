#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test suite; fails when any test fails.
#   1. the fuzz targets, each for a bounded time from its corpus (clang, libFuzzer);
#   2. the Windows build under Wine: its test suite and the Windows checks;
#   3. the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer;
#   4. the Debian package, unpacked and run, then the whole suite in the default build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

stage() { echo; echo "== $* ($(date +%T))"; }

stage "Fuzz targets"
bash scripts/fuzz.sh "${DORVANE_FUZZ_SECONDS:-30}"

stage "Windows build under Wine"
bash scripts/windows-check.sh

stage "Sanitizers"
scripts/build.sh sanitizers
ctest --preset sanitizers --parallel "$(nproc)"

stage "Default build and its package"
scripts/build.sh default
bash tests/packaging/deb_test.sh build/default
ctest --preset default --parallel "$(nproc)"
