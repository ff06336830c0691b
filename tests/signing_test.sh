#!/usr/bin/env bash
# make dist with a certificate made here and thrown away: both DLLs and the
# installer carry a signature that osslsigncode verifies against it, and the
# zip holds the signed DLLs.
set -euo pipefail
out=$1
rm -rf "$out"
mkdir -p "$out/key"
key=$out/key
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Oddments test signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$key/key.pem" -out "$key/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$key/key.pem" -in "$key/cert.pem" -out "$key/signer.p12" -passout pass:throwaway

DIST_DIR=$out SIGN_PKCS12=$key/signer.p12 SIGN_PASS=throwaway "$(dirname "$0")/../scripts/dist.sh" >/dev/null

status=0
for file in "$out"/stage/64-bit/shexOddments.dll "$out"/stage/32-bit/shexOddments.dll "$out"/shexOddments-*-setup.exe; do
  if osslsigncode verify -CAfile "$key/cert.pem" -in "$file" >"$out/verify.log" 2>&1; then
    echo "signed: ${file#"$out"/}"
  else
    echo "not verified: $file"
    cat "$out/verify.log"
    status=1
  fi
done
for arch in 64-bit 32-bit; do
  if ! unzip -p "$out"/shexOddments-*.zip "$arch/shexOddments.dll" | cmp -s - "$out/stage/$arch/shexOddments.dll"; then
    echo "the zip's $arch DLL is not the signed one"
    status=1
  fi
done
rm -rf "$key"
exit $status
