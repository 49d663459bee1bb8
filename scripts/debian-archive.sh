#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

# Prints the Debian archive this machine's apt takes its packages from, for debootstrap to make roots
# from the same place; no archive's host name lives in this repository.
set -euo pipefail
archive() { apt-get indextargets --format '$(REPO_URI)' 'Label: Debian' 'Identifier: Packages' 2>/dev/null | head -n1; }
found=$(archive)
if [[ -z $found ]]; then # the package lists were never fetched, or were cleaned away
    $([[ $(id -u) -eq 0 ]] || echo sudo) apt-get update -q >&2
    found=$(archive)
fi
[[ -n $found ]] || { echo "apt knows no Debian archive on this machine" >&2; exit 1; }
echo "${found%/}"
