#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

# Makes a throw-away certificate authority and the server certificates the tests serve, so no key or
# expiring certificate lives in the repository. Usage: make-test-certs.sh OUTPUT_DIR
set -euo pipefail
mkdir -p "$1"
cd "$1"

# certificate NAME SUBJECT_ALT_NAMES [openssl req options]: a server certificate signed by the test
# authority, unless the options say otherwise
certificate() {
    openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=$1" -addext "subjectAltName=$2" \
        -addext basicConstraints=CA:FALSE -addext extendedKeyUsage=serverAuth "${@:3}" \
        -keyout "$1.key" -out "$1.pem" 2>/dev/null
}
openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Corvane Test Authority" \
    -keyout ca.key -out ca.pem 2>/dev/null
certificate server "DNS:localhost,DNS:corvane.app,IP:127.0.0.1" -CA ca.pem -CAkey ca.key
certificate wronghost "DNS:elsewhere.invalid" -CA ca.pem -CAkey ca.key
certificate untrusted "DNS:localhost,IP:127.0.0.1" # self-signed: no one trusts it
