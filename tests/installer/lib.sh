# Helpers of the installer tests: Wine prefixes, checks, registry reads, the
# probe, held files and the host. Sourced by installer_test.sh after the build.

export LC_ALL=C.UTF-8
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QuorvaneAI'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\Software\QuorvaneAI'
token_name="quorvane.ai.codex.token.v1"
case_name=""

win() { wine64_binary "$@"; }

# A fresh Wine prefix for one case, reporting Windows 10 (Wine's default
# here is Windows 7, which setup refuses).
new_prefix() {
  case_name="$1"
  log "installer: $case_name"
  export WINEPREFIX="$work/$1/prefix"
  use_wine_prefix "$WINEPREFIX"
  ensure_wine_prefix
  win reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
  programs="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
  desktop="$WINEPREFIX/drive_c/users/Public/Desktop"
  local_data="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Quorvane AI"
  events="$work/$1/events.jsonl"
}

# The installer's and the uninstaller's own logs in the prefix's temporary folder.
show_logs() {
  local file
  for file in "$WINEPREFIX"/drive_c/users/*/AppData/Local/Temp/QuorvaneAI-*.log \
              "$WINEPREFIX"/drive_c/users/*/Temp/QuorvaneAI-*.log; do
    [[ -f "$file" ]] || continue
    echo "--- $(basename "$file")" >&2
    iconv -f UTF-16 -t UTF-8 "$file" >&2
  done
}
# The last run's lines of the logs (each line starts with its time).
last_log_lines() { show_logs 2>&1 | tail -n "${1:-8}"; }
# The last lines of setup's own log (with "uninstall": the uninstaller's).
log_tail() {
  cat "$WINEPREFIX"/drive_c/users/*/AppData/Local/Temp/QuorvaneAI-"$1".log \
    "$WINEPREFIX"/drive_c/users/*/Temp/QuorvaneAI-"$1".log 2>/dev/null |
    iconv -f UTF-16 -t UTF-8 | tail -n "$2"
}

# check DESCRIPTION COMMAND...: runs the command; on failure reports the
# description with the installer's logs.
check() {
  local what="$1"
  shift
  "$@" && return 0
  echo "FAIL [$case_name]: $what" >&2
  show_logs
  return 1
}

reg_value() {
  win reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 \{1,\}REG_[A-Z_]* \{1,\}//p"
}
reg_has_key() { win reg query "$1" >/dev/null 2>&1; }
not() { ! "$@"; }
is() { [[ "$1" == "$2" ]] || { echo "  got '$1', expected '$2'" >&2 && return 1; }; }
has() { grep -qF -- "$2" <<<"$1" || { echo "  '$2' not in: $1" >&2 && return 1; }; }
credential() { win "$probe" credential "$token_name" | tr -d '\r'; }
host_image() { win "$probe" host | tr -d '\r'; }
# Waits up to 10 seconds for a host started by setup; prints its image.
started_host_image() {
  local image
  for _ in $(seq 20); do
    image="$(host_image)"
    [[ "$image" == none ]] || break
    sleep 0.5
  done
  echo "$image"
}
# Runs an installer silently into a folder: "/D=" is the last argument and is
# not quoted, blanks and all, so the command line is passed as it is.
setup_into() { win "$probe" run "$(to_windows_path "$1") /S /D=$2"; }
# Runs a command line as the uninstall entry gives it (the uninstaller in
# place, "_?=FOLDER" last and unquoted) and returns its exit code.
run_line() { win "$probe" run "$1"; }
uninstall_line() { printf '"%s\\uninstall.exe" %s _?=%s' "$1" "$2" "$1"; }

# Waits until every program of the prefix has ended (the uninstaller deletes
# itself from a copy once the command has returned).
wait_for_prefix() { timeout 60 wineserver -w; }

# Holds a file (or with hold-mutex, a mutex) in the background until release.
hold() {
  rm -f "$work/release" "$work/hold.out"
  win "$probe" "$@" "$(to_windows_path "$work/release")" >"$work/hold.out" &
  hold_pid=$!
  for _ in $(seq 100); do
    grep -q ready "$work/hold.out" 2>/dev/null && return 0
    sleep 0.1
  done
}
release() { touch "$work/release" && wait "$hold_pid"; }

# A fingerprint of an installation: its files' contents and its uninstall entry.
fingerprint() {
  (cd "$1" && find . -type f -print0 | sort -z | xargs -0 md5sum)
  win reg query "$uninstall_key" | tr -d '\r'
}

# Runs the installed host with the script given on standard input; leaves the
# event log in $events and returns the host's exit code.
run_host() {
  local exe="$1" script="$work/$case_name/script.jsonl"
  cat >"$script"
  rm -f "$events"
  STANDIN_SCRIPT="$(to_windows_path "$script")" STANDIN_LOG="$(to_windows_path "$events")" \
    win "$exe"
}

# Starts the host in the background with its window hidden and sets host_pid;
# returns once the window is hidden (or after 30 seconds).
start_hidden_host() {
  echo '{"call": "quorvane/window", "method": "hide"}
{"end": true}' | run_host "$1" &
  host_pid=$!
  for _ in $(seq 300); do
    grep -q '"method":"hide"' "$events" 2>/dev/null && break
    sleep 0.1
  done
}

# Starts a probe window in the background and sets window_pid once it exists.
start_window() {
  rm -f "$work/window.out"
  win "$@" >"$work/window.out" &
  window_pid=$!
  for _ in $(seq 100); do
    grep -q ready "$work/window.out" 2>/dev/null && break
    sleep 0.1
  done
}

# A script that ends the host after the given steps.
closing_script() {
  cat
  echo '{"call": "quorvane/window", "method": "setCloseToTray", "args": {"enabled": false}}'
  echo '{"reply_to_close": true}'
  echo '{"post": "close"}'
  echo '{"end": true}'
}
