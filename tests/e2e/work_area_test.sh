#!/usr/bin/env bash
# Runs a Windows test program under Wine on an X display of its own whose work
# area is smaller than the screen, as a taskbar along the bottom makes it on
# Windows: Wine takes the work area from the root window's _NET_WORKAREA.
# Usage: work_area_test.sh WINE_RUN PROGRAM.exe [ARGS...]
# WINEPREFIX names the prefix; its Wine server must start on this display, so
# the script first waits for a server still running there to end.
set -euo pipefail

wine_run=$1
shift
screen=1920x1080
work_area=0,0,1920,1040

xvfb_pid=""
for n in $(seq 150 199); do
  [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
  # -noreset: the property set below must outlive the client that sets it.
  Xvfb ":$n" -noreset -screen 0 "${screen}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -e /tmp/.X11-unix/X$n ]] && break
    sleep 0.1
  done
  export DISPLAY=":$n"
  break
done
if [[ -z "$xvfb_pid" ]]; then
  echo "no free X display number" >&2
  exit 1
fi
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT

xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "$work_area"
export QUORVANE_EXPECTED_WORK_AREA=$work_area
wineserver -w 2>/dev/null || true

status=0
"$wine_run" "$@" || status=$?
wineserver -w 2>/dev/null || true
exit "$status"
