#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

# Builds the default preset and runs its tests once more in a Debian 13 root (Qt 6.8, GCC 14, CMake
# 3.31), made with debootstrap from Debian's archive and kept in a cache folder between runs. Fails
# on any warning in that build too. Needs root on Linux (debootstrap, chroot, mounts); elsewhere it
# says so and passes.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ "$(uname -s)" != Linux || $(id -u) -ne 0 ]]; then
    echo "Debian 13 pass skipped: it needs root on Linux (debootstrap, chroot and mounts)"
    exit 0
fi
root=${CORVANE_DEBIAN13_ROOT:-/var/cache/corvane-bridge/debian13}

if [[ ! -d $root ]]; then
    command -v debootstrap >/dev/null ||
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap
    rm -rf "$root.partial"
    mkdir -p "$(dirname "$root")"
    debootstrap --variant=minbase trixie "$root.partial" "$(scripts/debian-archive.sh)"
    mv "$root.partial" "$root" # only a complete root is ever used
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"

# The mounts live in a mount namespace of this script's own and go with it. The root is a mount
# point of its own, so the end-to-end test's sandbox can make its mounts private inside it.
# shellcheck disable=SC2016 # expanded by the inner shells
unshare --mount --propagation private -- bash -euo pipefail -c '
    root=$1
    mount --bind "$root" "$root"
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    mkdir -p "$root/src"
    mount --bind "$2" "$root/src"
    exec env -i HOME=/root LANG=C.UTF-8 PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        chroot "$root" /bin/bash -euo pipefail -c "
            cd /src
            scripts/install-deps.sh
            cmake --version | head -1; g++ --version | head -1; dpkg-query -W qt6-base-dev
            cmake --preset default -B /build 2>&1 | tee /build.log
            cmake --build /build 2>&1 | tee -a /build.log
            if grep -E \"warning:|CMake Warning\" /build.log; then echo \"Debian 13: the build warns\"; exit 1; fi
            ctest --test-dir /build --output-on-failure"
' _ "$root" "$PWD"
