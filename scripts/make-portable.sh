#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

# Makes the portable bridge from a built tree: one folder that runs from wherever it is unpacked,
# with its Qt and every library a desktop may lack, and an archive of it.
#   scripts/make-portable.sh BUILD_DIR OUT_DIR    → OUT_DIR/corvane-bridge-<version>-linux-x86_64.tar.xz
# Qt 6.4's deployment script does not support Linux, so this is ours: the executable and its window
# plugin are installed, the libraries, plugins and QML modules they load are copied beside them, and
# every ELF file finds its libraries through a RUNPATH relative to itself.
set -euo pipefail
build=$(realpath "$1")
out=$(realpath -m "$2")
source=$(realpath "$(dirname "$0")/..")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=corvane-bridge-$version
top=$out/$name
qt_libs=$(qtpaths6 --query QT_INSTALL_LIBS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu)
qt_plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo "$qt_libs/qt6/plugins")
qt_qml=$(qtpaths6 --query QT_INSTALL_QML 2>/dev/null || echo "$qt_libs/qt6/qml")

# Left to the system: what every desktop has, and what must match its drivers, its display server
# or its certificate store. One pattern a group, matched against a library's file name.
system_libraries=(
    'ld-linux.*' 'lib(c|m|dl|rt|pthread|resolv|util)\.so.*'  # glibc: the system's loader and C library
    'lib(stdc\+\+|gcc_s)\.so.*'                               # the C++ runtime, as new as the system's compiler
    'lib(GL|GLX|GLdispatch|EGL|OpenGL|gbm|drm)\.so.*'          # OpenGL and Mesa: must match the graphics drivers
    'lib(X11|X11-xcb|Xau|Xdmcp|Xext|Xrender|Xi|Xfixes|SM|ICE)\.so.*' 'libxcb\.so.*' 'libxcb-(xkb|glx|dri[23]|present|sync|xfixes|shm|randr|render|shape)\.so.*'
                                                              # X11 and xcb core: part of every X server's client side
    'libxkbcommon(-x11)?\.so.*'                               # keyboard layouts, matching the system's xkb data
    'libwayland-(client|cursor|egl)\.so.*'                    # Wayland's client side, matching the compositor's
    'lib(fontconfig|freetype|harfbuzz|png16|z|expat|brotli(common|dec)|bz2)\.so.*'
                                                              # fonts: the system's configuration and its fonts
    'lib(glib|gobject|gthread|gmodule)-2\.0\.so.*' 'libpcre\.so.*' 'libffi\.so.*'  # GLib: the desktop's event loop
    'libdbus-1\.so.*' 'libsystemd\.so.*' 'lib(lzma|zstd|lz4|gcrypt|gpg-error|cap)\.so.*'
                                                              # D-Bus: the session bus and its own dependencies
    'lib(ssl|crypto)\.so.*'                                   # OpenSSL 3, loaded at run time: the system's certificates
)
is_system() {
    local file=$1 pattern
    for pattern in "${system_libraries[@]}"; do [[ $file =~ ^$pattern$ ]] && return 0; done
    return 1
}

rm -rf "$top"
mkdir -p "$top"
cmake --install "$build" --prefix "$top" --strip >/dev/null
rm -rf "$top/share/man" "$top/share/doc" "$top/share/metainfo"

# The plugins the bridge loads: X11 and Wayland with what each needs, TLS, images and icons, input.
for folder in platforms/libqxcb.so platforms/libqwayland-{generic,egl}.so xcbglintegrations \
    wayland-shell-integration wayland-decoration-client wayland-graphics-integration-client \
    tls/libqopensslbackend.so tls/libqcertonlybackend.so imageformats/libqsvg.so imageformats/libqico.so \
    iconengines platforminputcontexts; do
    [[ -e $qt_plugins/$folder ]] || continue
    mkdir -p "$top/plugins/$(dirname "$folder")"
    cp -r "$qt_plugins/$folder" "$top/plugins/$(dirname "$folder")/"
done
# The QML modules the window imports, each module's own files only (its folder also holds others).
/usr/lib/qt6/libexec/qmlimportscanner -rootPath "$source/window" -importPath "$qt_qml" |
    python3 -c 'import json, sys; print("\n".join(m["path"] for m in json.load(sys.stdin) if m.get("path")))' |
    while read -r module; do
        mkdir -p "$top/qml/${module#"$qt_qml"/}"
        find "$module" -maxdepth 1 -type f -exec cp {} "$top/qml/${module#"$qt_qml"/}/" \;
    done
# Qt's own texts (--help, standard dialogs) in the bridge's languages.
mkdir -p "$top/translations"
cp "$(qtpaths6 --query QT_INSTALL_TRANSLATIONS 2>/dev/null || echo /usr/share/qt6/translations)"/qtbase_{de,fr}.qm \
    "$top/translations/" 2>/dev/null || true

# Beside each executable (Qt reads qt.conf from the program's folder): where the bundle's Qt is.
for program in "$top/bin/corvane-bridge" "$(find "$top/lib" -name corvane-bridge-headless)"; do
    printf '[Paths]\nPrefix = %s\nPlugins = plugins\nQmlImports = qml\nTranslations = translations\n' \
        "$(realpath -m --relative-to="$(dirname "$program")" "$top")" >"$(dirname "$program")/qt.conf"
done

# Every library an ELF file of the bundle needs, but those left to the system (and so what only they
# need), copied into lib/.
copy_dependencies() {
    local elf=$1 library
    declare -A found
    while read -r library path; do found[$library]=$path; done < <(ldd "$elf" | awk '$2 == "=>" { print $1, $3 }')
    for library in $(patchelf --print-needed "$elf"); do
        [[ ! -e $top/lib/$library ]] && ! is_system "$library" || continue
        cp -L "${found[$library]}" "$top/lib/$library"
        copy_dependencies "$top/lib/$library"
    done
}
mapfile -t elves < <(find "$top" -type f -exec sh -c 'head -c4 "$1" | grep -q ELF' _ {} \; -print)
for elf in "${elves[@]}"; do copy_dependencies "$elf"; done

mapfile -t elves < <(find "$top" -type f -exec sh -c 'head -c4 "$1" | grep -q ELF' _ {} \; -print)
for elf in "${elves[@]}"; do
    patchelf --set-rpath "\$ORIGIN/$(realpath -m --relative-to="$(dirname "$elf")" "$top/lib")" "$elf"
done

# Debian 12's glibc is the newest any of it may need: SteamOS, Mint and the older Fedoras are there.
newest=$(for elf in "${elves[@]}"; do readelf -V --wide "$elf"; done | grep -o 'GLIBC_2\.[0-9]*' | sort -uV | tail -n1)
if [[ $(printf '%s\n' "$newest" GLIBC_2.36 | sort -V | tail -n1) != GLIBC_2.36 ]]; then
    echo "the portable bridge would need $newest, newer than Debian 12's GLIBC_2.36" >&2
    exit 1
fi

install -m 755 "$source/app/portable/corvane-bridge" "$source/app/portable/install" "$top/"
cp "$source/LICENSE" "$top/"
tar -C "$out" -cJf "$out/$name-linux-x86_64.tar.xz" "$name"
echo "$out/$name-linux-x86_64.tar.xz"
