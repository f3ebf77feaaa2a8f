#!/usr/bin/env bash
# Runs a Windows test program under Wine on an X display of its own with two
# monitors side by side, as Windows has them with a 1920 × 1080 primary and a
# 2560 × 1440 monitor to its right, and a work area smaller than each monitor,
# as a taskbar makes it:
# - Xvfb puts every screen of its own at the origin, so an Xephyr with two
#   Xinerama screens runs nested in one large Xvfb screen;
# - Wine reads the monitors from Xinerama when the prefix sets the X11
#   driver's UseXRandR to "N", and the work area from the root window's
#   _NET_WORKAREA, cut to each monitor.
# Usage: two_monitor_test.sh WINE_RUN PROGRAM.exe [ARGS...]
# WINEPREFIX names the prefix; its Wine server must start on this display, so
# the script first waits for a server still running there to end.
set -euo pipefail

wine_run=$1
shift
work_area=0,0,4480,1040

# Starts an X server on the first free display number from 150 on, with the
# given arguments after the display; sets the variable named first to it.
start_x_server() {
  local variable=$1 server=$2 n
  shift 2
  for n in $(seq 150 199); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    "$server" ":$n" "$@" -nolisten tcp >/dev/null 2>&1 &
    server_pids+=($!)
    for _ in $(seq 100); do
      [[ -e /tmp/.X11-unix/X$n ]] && break
      sleep 0.1
    done
    printf -v "$variable" '%s' "$n"
    return 0
  done
  echo "no free X display number" >&2
  return 1
}

server_pids=()
trap 'kill "${server_pids[@]}" 2>/dev/null || true' EXIT
start_x_server outer Xvfb -screen 0 4800x1600x24
# -noreset: the work area set below must outlive the client that sets it.
DISPLAY=":$outer" start_x_server inner Xephyr -noreset +xinerama \
  -screen 1920x1080+0+0 -screen 2560x1440+1920+0
export DISPLAY=":$inner"

xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "$work_area"
export QUORVANE_EXPECTED_WORK_AREA=0,0,1920,1040
export QUORVANE_EXPECTED_MONITORS=2
wineserver -w 2>/dev/null || true

status=0
"$wine_run" "$@" || status=$?
wineserver -w 2>/dev/null || true
exit "$status"
