#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest and the scripts.
# Usage: wine-run.sh [--prefix DIR] PROGRAM.exe [ARGS...]
# WINEPREFIX, when set, wins over --prefix. The prefix is created on first use
# (before any test output, so Wine's first-run chatter never mixes with it).
set -euo pipefail

default_prefix=""
if [[ "${1:-}" == "--prefix" ]]; then
  default_prefix="$2"
  shift 2
fi
export WINEPREFIX="${WINEPREFIX:-${default_prefix:-$HOME/.wine}}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko download prompts: the programs here need neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

wine=/usr/lib/wine/wine64
[[ -x "$wine" ]] || wine=$(command -v wine64 || command -v wine)

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
      "$wine" wineboot -i >/dev/null 2>&1 || true
      wineserver -w || true
    fi
  ) 9>"$WINEPREFIX.lock"
fi

if [[ -z "${DISPLAY:-}" ]] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$wine" "$@"
fi
exec "$wine" "$@"
