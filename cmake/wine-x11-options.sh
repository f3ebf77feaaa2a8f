#!/usr/bin/env bash
# Sets options of Wine's X11 driver in a Wine prefix, for every program or for
# the named ones only.
# Usage: wine-x11-options.sh [--prefix DIR] [--program NAME.exe]... NAME=VALUE...
# WINEPREFIX, when set, wins over --prefix (as in wine-run.sh).
set -euo pipefail

here="$(dirname "${BASH_SOURCE[0]}")"
prefix_args=()
programs=()
while (($#)); do
  case "$1" in
    --prefix) prefix_args=(--prefix "$2"); shift 2 ;;
    --program) programs+=("$2"); shift 2 ;;
    *) break ;;
  esac
done

keys=()
if ((${#programs[@]})); then
  for program in "${programs[@]}"; do
    keys+=("HKCU\\Software\\Wine\\AppDefaults\\$program\\X11 Driver")
  done
else
  keys=("HKCU\\Software\\Wine\\X11 Driver")
fi
for key in "${keys[@]}"; do
  for option in "$@"; do
    "$here/wine-run.sh" "${prefix_args[@]}" reg add "$key" /v "${option%%=*}" /d "${option#*=}" /f \
      >/dev/null
  done
done
