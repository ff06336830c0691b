#!/usr/bin/env bash
# Signs one Windows binary in place with the certificate and key of the
# PKCS#12 file SIGN_PKCS12, unlocked by SIGN_PASS. No timestamp: this machine
# reaches no timestamping server.
set -euo pipefail
file=$1
osslsigncode sign -pkcs12 "$SIGN_PKCS12" -readpass <(printf '%s' "${SIGN_PASS:-}") \
  -n "Oddments Shell Extension" -h sha256 -in "$file" -out "$file.signed" >/dev/null
mv -f "$file.signed" "$file"
