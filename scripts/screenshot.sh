#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

# Makes docs/screenshot.png (English) and docs/screenshot-de.png (German) anew from the real window,
# rendered offscreen with live figures from a local stand-in dashboard.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target window_screenshot
for shot in en_US:docs/screenshot.png de_DE:docs/screenshot-de.png; do
    TZ=${TZ:-UTC} LC_ALL=${shot%%:*}.UTF-8 LANG=${shot%%:*}.UTF-8 build/default/tools/window_screenshot "${shot#*:}"
    echo "${shot#*:}"
done
