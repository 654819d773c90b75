#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite; fails when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh default
ctest --preset default --parallel "$(nproc)"
