#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

# Renders packaging/icons/ anew from the logo the window draws, so the icon stays the logo after any
# change of it. Commit the result.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target render_icon
mkdir -p packaging/icons
build/default/tools/render_icon packaging/icons


# The macOS bundle's icon, from the same renderings.
command -v png2icns >/dev/null || { echo "png2icns is missing: apt-get install icnsutils" >&2; exit 1; }
png2icns packaging/icons/corvane-bridge.icns packaging/icons/corvane-bridge-{16,32,48,128,256,512}.png
