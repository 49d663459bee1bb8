#!/usr/bin/env bash
# Fails when a text the bridge shows has no German or French translation: lupdate, run over the
# sources into copies of the translation files, finds every text and marks the new ones unfinished.
set -euo pipefail
source=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$source"/CorvaneBridge/i18n/*.ts "$work"/
/usr/lib/qt6/bin/lupdate -silent -no-obsolete -locations none "$source"/CorvaneBridge "$source"/bridge -ts "$work"/*.ts
if grep -l 'type="unfinished"' "$work"/*.ts; then
    grep -B2 'type="unfinished"' "$work"/*.ts | grep '<source>' >&2
    exit 1
fi
