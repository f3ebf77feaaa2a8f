#!/usr/bin/env bash
# Builds the release bundle and the Windows installer.
#
#   scripts/package.sh [--engine DIR] [--sign CERT.pfx [--timestamp URL]]
#       Installs what is missing, builds the windows-release preset (optimised,
#       stripped, with the version resource), lays out the bundle in
#       build/windows-release/bundle and writes the installer
#       build/windows/QuorvaneAI-<version>-setup.exe; prints its path and size.
#       --engine DIR packs the real engine instead of the stand-ins: DIR holds
#       flutter_windows.dll, the plug-in libraries (every *.dll is taken) and
#       the application's data/ folder.
#       --sign CERT.pfx signs (Authenticode, SHA-256) the host, the other
#       libraries built here (not those of --engine), the uninstaller and the
#       installer; the password comes from QUORVANE_SIGN_PASSWORD or from the
#       file named by QUORVANE_SIGN_PASSWORD_FILE. --timestamp URL adds an
#       RFC 3161 timestamp from that server.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
source "$repo_root/scripts/lib/installer.sh"

usage() {
  sed -n '2,17p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

engine_dir=""
sign_pfx=""
timestamp_url=""
while (($#)); do
  case "$1" in
    --engine | --sign | --timestamp)
      (($# >= 2)) || usage
      case "$1" in
        --engine) engine_dir="$(realpath "$2")" ;;
        --sign) sign_pfx="$(realpath "$2")" ;;
        --timestamp) timestamp_url="$2" ;;
      esac
      shift 2
      ;;
    *) usage ;;
  esac
done
if [[ -n "$engine_dir" && ! -f "$engine_dir/flutter_windows.dll" ]]; then
  log "no flutter_windows.dll in $engine_dir"
  exit 2
fi
if [[ -n "$timestamp_url" && -z "$sign_pfx" ]]; then
  usage
fi
# A password file named relative to the caller's folder, found from anywhere.
if [[ -n "${QUORVANE_SIGN_PASSWORD_FILE:-}" ]]; then
  QUORVANE_SIGN_PASSWORD_FILE="$(realpath -m "$QUORVANE_SIGN_PASSWORD_FILE")"
fi
cd "$repo_root"
version="$(sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt | head -n 1)"
installer="$repo_root/build/windows/QuorvaneAI-$version-setup.exe"
# No installer of an earlier build is left at the path when this one fails.
rm -f "$installer"

install_missing "${build_packages[@]}" "${package_packages[@]}"
# The signing inputs are checked before anything is built: a mistake found
# half way would leave a signed host and no installer.
if [[ -n "$sign_pfx" ]]; then
  [[ -f "$sign_pfx" ]] || { log "no certificate $sign_pfx" && exit 2; }
  export QUORVANE_SIGN_PFX="$sign_pfx" QUORVANE_SIGN_TIMESTAMP="$timestamp_url"
  if [[ -n "${QUORVANE_SIGN_PASSWORD_FILE:-}" ]]; then
    [[ -f "$QUORVANE_SIGN_PASSWORD_FILE" && -r "$QUORVANE_SIGN_PASSWORD_FILE" ]] || {
      log "QUORVANE_SIGN_PASSWORD_FILE does not name a readable file" && exit 2
    }
    export QUORVANE_SIGN_PASSWORD_FILE
  else
    [[ -n "${QUORVANE_SIGN_PASSWORD+set}" ]] || {
      log "set QUORVANE_SIGN_PASSWORD or QUORVANE_SIGN_PASSWORD_FILE for --sign" && exit 2
    }
    # osslsigncode reads the password from a file only this user can read.
    QUORVANE_SIGN_PASSWORD_FILE="$(umask 077 && mktemp)"
    trap 'rm -f "$QUORVANE_SIGN_PASSWORD_FILE"' EXIT
    printf '%s' "$QUORVANE_SIGN_PASSWORD" >"$QUORVANE_SIGN_PASSWORD_FILE"
    export QUORVANE_SIGN_PASSWORD_FILE
  fi
  unset QUORVANE_SIGN_PASSWORD
  openssl pkcs12 -in "$sign_pfx" -passin "file:$QUORVANE_SIGN_PASSWORD_FILE" -noout \
    >/dev/null 2>&1 || openssl pkcs12 -legacy -in "$sign_pfx" \
    -passin "file:$QUORVANE_SIGN_PASSWORD_FILE" -noout >/dev/null 2>&1 || {
    log "the certificate $sign_pfx cannot be opened with the given password" && exit 2
  }
fi

build_dir="$repo_root/build/windows-release"
bundle="$build_dir/bundle"
log "building the release bundle (windows-release preset)"
run_quietly cmake --preset windows-release
run_quietly cmake --build --preset windows-release --target quorvane_ai flutter_windows \
  shortcut_identity "${bundle_plugins[@]}"
lay_out_bundle "$build_dir" "$bundle" "$engine_dir"
if [[ -n "$sign_pfx" ]]; then
  log "signing the host${engine_dir:+ (the libraries of --engine keep their own signatures)}"
  to_sign=("$bundle/quorvane_ai.exe" "$build_dir/bin/shortcut_identity.exe")
  [[ -n "$engine_dir" ]] || to_sign+=("$bundle"/*.dll)
  bash "$repo_root/installer/sign.sh" "${to_sign[@]}"
else
  log "not signing (no --sign): the host, the uninstaller and the installer are UNSIGNED"
fi

[[ "$(project_version "$build_dir")" == "$version" ]] || {
  log "the build's version $(project_version "$build_dir") is not $version" && exit 2
}
log "building the installer"
build_installer "$bundle" "$version" "$installer.partial"
mv "$installer.partial" "$installer"
echo "$installer ($(stat -c %s "$installer") bytes)"
bash "$repo_root/scripts/lib/symbols.sh" "$build_dir" "$version" "$(dirname "$installer")"
