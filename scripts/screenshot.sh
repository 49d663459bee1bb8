#!/usr/bin/env bash
# Makes docs/screenshot.png anew from the real window, rendered offscreen with live figures.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target window_screenshot
TZ=${TZ:-UTC} LC_ALL=${LC_ALL:-en_US.UTF-8} build/default/tools/window_screenshot docs/screenshot.png
echo "docs/screenshot.png"
