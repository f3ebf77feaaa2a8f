#!/usr/bin/env bash
# Builds the release bundle and the Windows installer.
#
#   scripts/package.sh [--engine DIR]
#       Installs what is missing, builds the windows-release preset (optimised,
#       stripped, with the version resource), lays out the bundle in
#       build/windows-release/bundle and writes the installer
#       build/windows/QuorvaneAI-<version>-setup.exe; prints its path and size.
#       --engine DIR packs the real engine instead of the stand-ins: DIR holds
#       flutter_windows.dll, the plug-in libraries (every *.dll is taken) and
#       the application's data/ folder.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
source "$repo_root/scripts/lib/installer.sh"

usage() {
  sed -n '2,12p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

engine_dir=""
while (($#)); do
  case "$1" in
    --engine)
      (($# >= 2)) || usage
      engine_dir="$(realpath "$2")"
      shift 2
      ;;
    *) usage ;;
  esac
done
if [[ -n "$engine_dir" && ! -f "$engine_dir/flutter_windows.dll" ]]; then
  log "no flutter_windows.dll in $engine_dir"
  exit 2
fi

cd "$repo_root"
build_dir="$repo_root/build/windows-release"
bundle="$build_dir/bundle"

install_missing "${build_packages[@]}" "${package_packages[@]}"
log "building the release bundle (windows-release preset)"
run_quietly cmake --preset windows-release
run_quietly cmake --build --preset windows-release --target quorvane_ai flutter_windows \
  "${bundle_plugins[@]}"
lay_out_bundle "$build_dir" "$bundle" "$engine_dir"

version="$(project_version "$build_dir")"
installer="$repo_root/build/windows/QuorvaneAI-$version-setup.exe"
log "building the installer"
build_installer "$bundle" "$version" "$installer"
echo "$installer ($(stat -c %s "$installer") bytes)"
