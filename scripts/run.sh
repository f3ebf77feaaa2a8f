#!/usr/bin/env bash
# Builds the host for Windows, lays out the application bundle and runs it
# under Wine with the stand-in engine.
#
#   scripts/run.sh
#       With a display: the interactive stand-in; the host runs until it is
#       closed. Without one, under Xvfb: a screenshot of the interactive
#       stand-in in build/windows/screenshot.png, then a short demo script
#       whose event log is printed; exit code 0.
#   scripts/run.sh --script FILE [-- ARGS...]
#       Runs the host with the JSON Lines script FILE and ARGS on its command
#       line, prints the event log to standard output and exits with the
#       host's exit code.
#
# WINEPREFIX, when set, names the Wine prefix; otherwise build/windows/wineprefix.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

usage() {
  sed -n '2,16p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

script_file=""
host_args=()
while (($#)); do
  case "$1" in
    --script)
      (($# >= 2)) || usage
      script_file="$2"
      shift 2
      ;;
    --)
      shift
      host_args=("$@")
      break
      ;;
    -h | --help) usage ;;
    *) usage ;;
  esac
done
if [[ -n "$script_file" && ! -f "$script_file" ]]; then
  log "no such script: $script_file"
  exit 2
fi
# The script is read by the host from inside Wine; make its path absolute
# before leaving the caller's directory.
[[ -z "$script_file" ]] || script_file="$(realpath "$script_file")"

cd "$repo_root"
build_dir="$repo_root/build/windows"
bundle="$build_dir/bundle"

install_missing "${build_packages[@]}" "${wine_packages[@]}"
log "building the host (windows preset)"
run_quietly cmake --preset windows
run_quietly cmake --build --preset windows --target quorvane_ai

log "laying out the bundle in $bundle"
lay_out_bundle "$build_dir" "$bundle"

use_wine_prefix "$build_dir"
ensure_display
ensure_wine_prefix

# Runs the host in the bundle with the given script and event log; returns its
# exit code. The bundle paths the host passes on are relative to it.
run_host() {
  local script="$1" events="$2"
  shift 2
  local code=0
  (
    cd "$bundle"
    STANDIN_SCRIPT="$(to_windows_path "$script")" STANDIN_LOG="$(to_windows_path "$events")" \
      wine64_binary quorvane_ai.exe "$@"
  ) || code=$?
  return "$code"
}

if [[ -n "$script_file" ]]; then
  events="$(mktemp --suffix=.jsonl)"
  code=0
  run_host "$script_file" "$events" "${host_args[@]}" || code=$?
  cat "$events"
  rm -f "$events"
  finish_wine_on_virtual_display
  exit "$code"
fi

if [[ -z "${xvfb_pid:-}" ]]; then
  log "starting the host with the interactive stand-in; close its window to end"
  cd "$bundle"
  unset STANDIN_SCRIPT STANDIN_LOG STANDIN_FAIL
  code=0
  wine64_binary quorvane_ai.exe "${host_args[@]}" || code=$?
  exit "$code"
fi

# No display of our own: on Xvfb, a screenshot of the interactive stand-in, then
# a short demo script whose event log is printed.

# Waits until the event log reports the first frame, or the host has ended.
wait_for_first_frame() {
  local events="$1" host_pid="$2"
  for _ in $(seq 600); do
    grep -q '"event":"frame"' "$events" 2>/dev/null && return 0
    kill -0 "$host_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

screenshot="$build_dir/screenshot.png"
events="$(mktemp --suffix=.jsonl)"
log "starting the interactive stand-in on the virtual display $DISPLAY"
rm -f "$screenshot"
(
  cd "$bundle"
  unset STANDIN_SCRIPT STANDIN_FAIL
  STANDIN_LOG="$(to_windows_path "$events")" wine64_binary quorvane_ai.exe "${host_args[@]}"
) &
host_pid=$!
if wait_for_first_frame "$events" "$host_pid"; then
  sleep 2  # the stand-in reads the settings it shows
  import -window root "$screenshot"
fi
# Closing would only hide the window (close to tray is on by default): end it.
wineserver -k 2>/dev/null || true
wait "$host_pid" 2>/dev/null || true
rm -f "$events"

demo="$(mktemp --suffix=.jsonl)"
events="$(mktemp --suffix=.jsonl)"
cat >"$demo" <<'DEMO'
{"call": "quorvane/settings", "method": "isCloseToTrayEnabled", "args": null}
{"call": "quorvane/settings", "method": "isSystemNotificationsEnabled", "args": null}
{"call": "quorvane/settings", "method": "isLaunchAtLoginEnabled", "args": null}
{"call": "quorvane/window", "method": "show", "args": null}
{"call": "quorvane/window", "method": "setCloseToTray", "args": {"enabled": false}}
{"reply_to_close": true}
{"post": "close"}
{"end": true}
DEMO
log "running a demo script"
code=0
run_host "$demo" "$events" || code=$?
echo "== event log"
cat "$events"
rm -f "$demo" "$events"
finish_wine_on_virtual_display
echo "== host exit code $code; screenshot of the interactive stand-in in $screenshot"
exit "$code"
