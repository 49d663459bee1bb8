#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

# Fails when a text the bridge shows has no German or French translation: lupdate, run over the
# sources (folder $1) into copies of the translation files, finds every text and marks the new ones
# unfinished; those are listed.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$1"/app/i18n/*.ts "$work"/
/usr/lib/qt6/bin/lupdate -silent -no-obsolete -locations none "$1"/app "$1"/window "$1"/core -ts "$work"/*.ts
! grep -B2 'type="unfinished"' "$work"/*.ts | grep '<source>' >&2
