#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

# Installs the Debian package into a fresh minimal Debian 12 (debootstrap, as root) and starts the
# bridge there for a few seconds. Usage: scripts/install-package-in-clean-debian.sh build/default/corvane-bridge_*.deb
set -euo pipefail
deb=$(realpath "$1")
root=$(mktemp -d /tmp/corvane-clean-XXXXXX)
# --one-file-system: never follow a mount that is still there into the real system.
cleanup() { umount "$root/proc" 2>/dev/null || true; rm -rf --one-file-system "$root"; }
trap cleanup EXIT

command -v debootstrap >/dev/null || apt-get install -y -q debootstrap
debootstrap --variant=minbase bookworm "$root" "$("$(dirname "$0")"/debian-archive.sh)" >/dev/null
mount -t proc proc "$root/proc"
cp "$deb" "$root/tmp/"
chroot "$root" apt-get update -q
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/tmp/$(basename "$deb")"

# Started with no display at all, it must still be running when stopped after five seconds.
set +e
chroot "$root" env HOME=/root QT_QPA_PLATFORM=offscreen timeout 5 corvane-bridge
status=$?
set -e
if [[ $status -eq 124 ]]; then
    echo "corvane-bridge installed and ran on a clean Debian 12"
else
    echo "corvane-bridge exited with status $status on a clean Debian 12" >&2
    exit 1
fi
