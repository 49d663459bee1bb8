#!/usr/bin/env bash
# Makes a throw-away certificate authority and the server certificates the tests serve, so no key or
# expiring certificate lives in the repository. Usage: make-test-certs.sh OUTPUT_DIR
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"

openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Corvane Test Authority" \
    -keyout ca.key -out ca.pem 2>/dev/null

# issue NAME SUBJECT_ALT_NAMES: a leaf certificate signed by the test authority
issue() {
    openssl req -newkey rsa:2048 -nodes -subj "/CN=$1" -keyout "$1.key" -out "$1.csr" 2>/dev/null
    printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "$2" > "$1.ext"
    openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days 3650 \
        -extfile "$1.ext" -out "$1.pem" 2>/dev/null
    rm -f "$1.csr" "$1.ext"
}
issue server "DNS:localhost,DNS:corvane.app,IP:127.0.0.1"
issue wronghost "DNS:elsewhere.invalid"

# A certificate no one trusts: self-signed for the right names.
openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=untrusted" \
    -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" -keyout untrusted.key -out untrusted.pem 2>/dev/null
