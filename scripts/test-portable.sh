#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

# Builds the portable bridge and runs it where players run it: a minimal Debian 12 root that holds
# what every desktop has (the groups scripts/make-portable.sh leaves to the system) and no Qt at all,
# made with debootstrap and kept in a cache folder between runs. Needs root on Linux (debootstrap,
# chroot, mounts); elsewhere it says so and passes.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ "$(uname -s)" != Linux || $(id -u) -ne 0 ]]; then
    echo "Portable pass skipped: it needs root on Linux (debootstrap, chroot and mounts)"
    exit 0
fi
root=${CORVANE_BARE_ROOT:-/var/cache/corvane-bridge/debian12-desktop-libraries}

# A desktop's share, as Debian packages it: glibc and the C++ runtime come with the minimal system.
desktop=(
    libgl1 libopengl0 libegl1 libglx-mesa0 libegl-mesa0 libgbm1 libgl1-mesa-dri
    libx11-6 libx11-xcb1 libxext6 libxrender1 libsm6 libice6 libxcb1 libxcb-glx0 libxcb-randr0
    libxcb-render0 libxcb-shape0 libxcb-shm0 libxcb-sync1 libxcb-xfixes0 libxcb-xkb1 libxcb-present0
    libxcb-dri2-0 libxcb-dri3-0
    libxkbcommon0 libxkbcommon-x11-0
    libwayland-client0 libwayland-cursor0 libwayland-egl1
    libfontconfig1 libfreetype6 libharfbuzz0b fonts-dejavu-core
    libglib2.0-0 libdbus-1-3
    libssl3 ca-certificates
    locales # the story's German player has the German locale
)
if [[ ! -d $root ]]; then
    rm -rf "$root.partial"
    mkdir -p "$(dirname "$root")"
    debootstrap --variant=minbase --include="$(IFS=,; echo "${desktop[*]}")" bookworm "$root.partial" \
        "$(scripts/debian-archive.sh)"
    mv "$root.partial" "$root" # only a complete root is ever used
fi
# A root made from an older list gets what the list has since gained.
if ! chroot "$root" dpkg-query -W "${desktop[@]}" >/dev/null 2>&1; then
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    chroot "$root" apt-get update -q
    chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${desktop[@]}"
fi
if ! chroot "$root" locale -a | grep -qx de_DE.utf8; then
    echo "de_DE.UTF-8 UTF-8" >"$root/etc/locale.gen"
    chroot "$root" locale-gen
fi
touch "$root/etc/hosts" # a minimal system has none; the sandbox binds its own onto it
if chroot "$root" sh -c 'ls /usr/lib/*/libQt6* /usr/lib/*/qt6' >/dev/null 2>&1; then
    echo "the root at $root holds Qt: remove it, and it is made anew" >&2
    exit 1
fi

cmake --preset default
cmake --build --preset default
archive=$(scripts/make-portable.sh build/default build/portable | tail -n1)
echo "Portable archive: $(du -h "$archive" | cut -f1) ($archive)"
/usr/bin/python3 tests/e2e_real_binary.py build/default --portable "$archive" --in-root "$root"
