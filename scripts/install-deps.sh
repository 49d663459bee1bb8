#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

# Installs what building, running and testing the bridge needs, and nothing that is already there.
set -euo pipefail

if [[ "$(uname -s)" == Darwin ]]; then
    command -v brew >/dev/null || { echo "Install Homebrew first: https://brew.sh" >&2; exit 1; }
    brew list qt >/dev/null 2>&1 || brew install qt
    for tool in cmake ninja openssl; do command -v "$tool" >/dev/null || brew install "$tool"; done
    exit 0
fi

if ! command -v apt-get >/dev/null; then
    echo "No apt-get here: install Qt 6.4+ (base, declarative), CMake 3.25+, Ninja, a C++20 compiler and openssl." >&2
    exit 1
fi

# What the bridge loads at run time, as the Debian package depends on it.
mapfile -t runtime < "$(dirname "$0")/../packaging/runtime-packages"
packages=(
    build-essential cmake ninja-build openssl
    qt6-base-dev qt6-declarative-dev qt6-tools-dev qt6-l10n-tools libgl-dev libxcb1-dev qml6-module-qtqml
    "${runtime[@]}" qt6-translations-l10n fonts-dejavu-core
    xvfb xauth x11-apps x11-utils xdotool openbox trayer wmctrl dbus-daemon at-spi2-core python3-pyatspi sway waybar
    locales-all python3 iproute2 lintian desktop-file-utils appstream cloc reuse git bindfs patchelf xz-utils debootstrap
)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
