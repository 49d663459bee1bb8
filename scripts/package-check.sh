#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

# Builds the Debian package from a build folder and checks it as distributions and software centres
# would: lintian (no errors or warnings), the desktop entry, the AppStream metadata.
# Usage: scripts/package-check.sh build/default
set -euo pipefail
build=$(realpath "${1:-build/default}")
cd "$(dirname "$0")/.."
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/corvane-bridge_*.deb)
# Loaded at run time, so nothing else would notice them missing: Wayland, and the certificate checks.
depends=$(dpkg-deb --field "$deb" Depends)
for needed in qt6-wayland ca-certificates; do
    grep -qw "$needed" <<<"$depends" || { echo "the package does not depend on $needed" >&2; exit 1; }
done
desktop-file-validate packaging/app.corvane.Bridge.desktop
appstreamcli validate --no-net "$build"/app.corvane.Bridge.metainfo.xml
# lintian refuses nothing by its exit code for warnings, so they are counted here.
report=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v "running with root privileges" || true)
if grep -E '^(E|W): ' <<<"$report"; then
    echo "lintian found errors or warnings in $(basename "$deb")" >&2
    exit 1
fi
# The service as systemd sees it where the package puts it: its files laid over /usr, in a mount
# namespace of this check's own (root only).
if [[ $(id -u) -eq 0 ]]; then
    tree=$(mktemp -d)
    trap 'rm -rf "$tree"' EXIT
    dpkg-deb -x "$deb" "$tree"
    mkdir -m 700 "$tree/run"
    unshare --mount sh -c 'mount -t overlay overlay -o "lowerdir=$1/usr:/usr" /usr &&
        XDG_RUNTIME_DIR="$1/run" systemd-analyze --user verify --man=no /usr/lib/systemd/user/corvane-bridge.service' _ "$tree"
else
    echo "systemd-analyze verify skipped: laying the package over /usr needs root"
fi
echo "$(basename "$deb"): lintian, desktop-file-validate, appstreamcli validate and systemd-analyze verify passed"
