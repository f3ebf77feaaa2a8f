#!/usr/bin/env bash
# Signs the Windows programs named on the command line in place with
# Authenticode (SHA-256), with osslsigncode. Run by scripts/package.sh and, for
# the uninstaller and the installer, by makensis. Reads from the environment:
#   QUORVANE_SIGN_PFX            the certificate and its key (PKCS#12)
#   QUORVANE_SIGN_PASSWORD_FILE  a file holding the PFX password
#   QUORVANE_SIGN_TIMESTAMP      (optional) an RFC 3161 timestamp server URL
# The password is never on a command line nor in any output.
set -euo pipefail
timestamp=()
[[ -z "${QUORVANE_SIGN_TIMESTAMP:-}" ]] || timestamp=(-ts "$QUORVANE_SIGN_TIMESTAMP")
for file in "$@"; do
  osslsigncode sign -pkcs12 "$QUORVANE_SIGN_PFX" -readpass "$QUORVANE_SIGN_PASSWORD_FILE" \
    -h sha256 -n "Quorvane AI" "${timestamp[@]}" -in "$file" -out "$file.signed" >/dev/null
  mv "$file.signed" "$file"
done
