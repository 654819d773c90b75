#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, when any is missing. Run as root (or
# with sudo available); does nothing on a machine that has them all.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    libgtest-dev libgmock-dev googletest libbenchmark-dev libcli11-dev
    python3 time
    # The help file (help.chm) is compiled with chmcmd
    fp-utils
    # The dorvane window, its tests on the offscreen platform and the screenshot script
    qt6-base-dev qt6-base-dev-tools libgl-dev xvfb xauth
    # Packages: dpkg-shlibdeps works out the .deb's dependencies
    dpkg-dev file
    # The fuzz targets (libFuzzer) and the sanitizer runs
    clang-14 libclang-rt-14-dev
    # The Windows build, run under Wine
    g++-mingw-w64-x86-64 wine wine64
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
