#!/bin/sh
# Installs what building, running and testing Quillmere needs on Debian 12,
# and nothing when it is all there already. Uses sudo when not run as root.
#
# install-deps.sh windows: what the Windows build needs besides (make windows,
# make test-windows): the mingw-w64 compilers, the tools that build the Qt kit
# for Windows from Debian's source, wixl to build the installer and msitools to
# read it, Wine to run the tests, and what drives the program's window on a
# virtual X server.
set -eu

packages="
    build-essential
    cmake
    ninja-build
    pkg-config
    qt6-base-dev
    qt6-base-dev-tools
    libgl-dev
    libxcb1-dev
    fonts-liberation
    xvfb
    xauth
    x11-utils
    xdotool
    xclip
    imagemagick
    dbus-daemon
    libglib2.0-bin
    at-spi2-core
    clang
    libclang-rt-14-dev
    python3
"

windows_packages="
    g++-mingw-w64-x86-64-posix
    mingw-w64-tools
    dpkg-dev
    patch
    perl
    wine
    wine64
    xvfb
    xauth
    x11-utils
    xdotool
    imagemagick
    zip
    unzip
    wixl
    msitools
"
if [ "${1:-}" = windows ]; then
    packages=$windows_packages
fi

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $package"
    fi
done

[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    sudo=""
elif command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
else
    echo "install-deps: these packages are missing and neither root nor sudo is available:$missing" >&2
    exit 1
fi

echo "install-deps: installing$missing"
$sudo apt-get update
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
