#!/usr/bin/env bash
# The installer under Wine: silent install, upgrade over a running host, silent
# removal with and without /PURGE. Builds the installer with scripts/package.sh
# and a second one a patch version later, then runs each case in a Wine prefix
# of its own. A failed check prints the installer's own log.
#
#   tests/installer/installer_test.sh [CASE...]   cases: install upgrade uninstall
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/common.sh"
source "$repo_root/scripts/lib/installer.sh"
cd "$repo_root"

cases=("$@")
((${#cases[@]})) || cases=(install upgrade uninstall)

install_missing "${build_packages[@]}" "${wine_packages[@]}" "${package_packages[@]}" || exit 1
ensure_display || exit 1
run_quietly bash scripts/package.sh || exit 1

release_dir="$repo_root/build/windows-release"
work="$release_dir/installer-tests"
version="$(project_version "$release_dir")"
setup="$repo_root/build/windows/QuorvaneAI-$version-setup.exe"
next_version="${version%.*}.$((${version##*.} + 1))"
next_setup="$work/QuorvaneAI-$next_version-setup.exe"
rm -rf "$work"
mkdir -p "$work"

# The next version: the same bundle with other application data, so that an
# upgrade shows in the files.
cp -r "$release_dir/bundle" "$work/next-bundle"
echo "application data of $next_version" >"$work/next-bundle/data/app.so"
build_installer "$work/next-bundle" "$next_version" "$next_setup" || exit 1
probe="$work/installer_probe.exe"
x86_64-w64-mingw32-g++-posix -std=c++17 -municode -static -O1 -Wall -Wextra -Werror \
  -DUNICODE -D_UNICODE "$repo_root/tests/installer/installer_probe.cpp" -lversion -ladvapi32 \
  -o "$probe" || exit 1

export LC_ALL=C.UTF-8
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QuorvaneAI'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\Software\QuorvaneAI'
token_name="quorvane.ai.codex.token.v1"
case_name=""

win() { wine64_binary "$@"; }

# A fresh Wine prefix for one case.
new_prefix() {
  case_name="$1"
  log "installer: $case_name"
  export WINEPREFIX="$work/$1/prefix"
  use_wine_prefix "$WINEPREFIX"
  ensure_wine_prefix
  programs="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
  desktop="$WINEPREFIX/drive_c/users/Public/Desktop"
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
credential() { win "$probe" credential "$token_name" | tr -d '\r'; }
# Runs an installer silently into a folder: "/D=" is the last argument and is
# not quoted, blanks and all, so the command line is passed as it is.
setup_into() { win "$probe" run "$(to_windows_path "$1") /S /D=$2"; }

# Waits until every program of the prefix has ended (a silent uninstaller
# hands over to a copy of itself in the temporary folder and returns at once).
wait_for_prefix() { timeout 60 wineserver -w; }

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

# A script that ends the host after the given steps.
closing_script() {
  cat
  echo '{"call": "quorvane/window", "method": "setCloseToTray", "args": {"enabled": false}}'
  echo '{"reply_to_close": true}'
  echo '{"post": "close"}'
  echo '{"end": true}'
}

case_install() {
  new_prefix install
  local dir="$WINEPREFIX/drive_c/Program Files/Quorvane AI" code=0 name
  local windows_dir='C:\Program Files\Quorvane AI'

  setup_into "$setup" 'C:\windows\win.ini\Quorvane AI' || code=$?
  check "setup into a folder that cannot be made ends with 2 (got $code)" is "$code" 2 || return 1
  check "the log says why" grep -q "cannot be created" <(show_logs 2>&1) || return 1
  check "nothing is registered after the failed setup" not reg_has_key "$uninstall_key" || return 1
  check "no shortcut after the failed setup" test ! -e "$programs/Quorvane AI.lnk" || return 1
  code=0
  setup_into "$setup" 'C:\windows' || code=$?
  check "setup into a folder of other files ends with 2 (got $code)" is "$code" 2 || return 1
  check "the log says why" grep -q "already holds other files" <(show_logs 2>&1) || return 1

  code=0
  win "$setup" /S || code=$?
  check "silent setup ends with 0 (got $code)" is "$code" 0 || return 1
  for name in quorvane_ai.exe flutter_windows.dll "${bundle_plugins[@]/%/.dll}" uninstall.exe \
              data/app.so data/icudtl.dat data/flutter_assets/AssetManifest.json; do
    check "installed: $name" test -f "$dir/$name" || return 1
  done
  check "Start-menu shortcut" test -f "$programs/Quorvane AI.lnk" || return 1
  check "no Start-menu folder named like the window" test ! -e "$programs/Quorvane AI 综合平台" ||
    return 1
  check "desktop shortcut" test -f "$desktop/Quorvane AI.lnk" || return 1

  check "DisplayName" is "$(reg_value "$uninstall_key" DisplayName)" "Quorvane AI" || return 1
  check "DisplayVersion" is "$(reg_value "$uninstall_key" DisplayVersion)" "$version" || return 1
  check "Publisher" is "$(reg_value "$uninstall_key" Publisher)" "Quorvane AI" || return 1
  check "DisplayIcon" is "$(reg_value "$uninstall_key" DisplayIcon)" \
    "$windows_dir\\quorvane_ai.exe,0" || return 1
  check "InstallLocation" is "$(reg_value "$uninstall_key" InstallLocation)" "$windows_dir" ||
    return 1
  check "UninstallString" is "$(reg_value "$uninstall_key" UninstallString)" \
    "\"$windows_dir\\uninstall.exe\"" || return 1
  check "QuietUninstallString" is "$(reg_value "$uninstall_key" QuietUninstallString)" \
    "\"$windows_dir\\uninstall.exe\" /S" || return 1
  check "EstimatedSize is the size in KiB" is "$(($(reg_value "$uninstall_key" EstimatedSize) > \
    $(stat -c %s "$dir/quorvane_ai.exe") / 1024))" 1 || return 1
  check "NoModify" is "$(reg_value "$uninstall_key" NoModify)" 0x1 || return 1
  check "NoRepair" is "$(reg_value "$uninstall_key" NoRepair)" 0x1 || return 1

  local resource
  resource="$(win "$probe" version "$windows_dir\\quorvane_ai.exe" | tr -d '\r')"
  for name in "ProductName=Quorvane AI" "ProductVersion=$version" "FileVersion=$version" \
              "FileVersionNumbers=$version.0" "ProductVersionNumbers=$version.0" \
              "CompanyName=Quorvane AI" "FileDescription=Quorvane AI" \
              "OriginalFilename=quorvane_ai.exe"; do
    check "version resource: $name" grep -qxF "$name" <<<"$resource" || return 1
  done

  code=0
  closing_script </dev/null | run_host "$windows_dir\\quorvane_ai.exe" || code=$?
  check "the installed host runs a script and exits 0 (got $code)" is "$code" 0 || return 1
  check "the installed host drew its first frame" grep -q '"event":"frame"' "$events"
}

case_upgrade() {
  new_prefix upgrade
  local dir="$WINEPREFIX/drive_c/Program Files/Quorvane AI" code=0
  local exe='C:\Program Files\Quorvane AI\quorvane_ai.exe'
  win "$setup" /S || code=$?
  check "first setup ends with 0 (got $code)" is "$code" 0 || return 1

  # A program with the host's window that lets the session end and runs on:
  # setup says so and leaves the installed version as it was.
  win "$probe" stubborn-window >"$work/upgrade/stubborn.out" &
  local stubborn_pid=$!
  for _ in $(seq 100); do
    grep -q ready "$work/upgrade/stubborn.out" 2>/dev/null && break
    sleep 0.1
  done
  code=0
  win "$next_setup" /S || code=$?
  wineserver -k
  wait "$stubborn_pid"
  check "setup stops with 2 when the program does not end (got $code)" is "$code" 2 || return 1
  check "the log says why" grep -q "did not end" <(show_logs 2>&1) || return 1
  check "the installed files are kept" grep -q placeholder "$dir/data/app.so" || return 1
  check "the installed version stays registered" \
    is "$(reg_value "$uninstall_key" DisplayVersion)" "$version" || return 1

  # The old host, hidden in the tray: close to tray is on when nothing is stored.
  start_hidden_host "$exe"
  check "the old host runs hidden" grep -q '"method":"hide"' "$events" ||
    { wineserver -k; return 1; }

  code=0
  win "$next_setup" /S || code=$?
  check "setup of the next version over the running host ends with 0 (got $code)" is "$code" 0 ||
    { wineserver -k; return 1; }
  for _ in $(seq 50); do kill -0 "$host_pid" 2>/dev/null || break; sleep 0.1; done
  check "the old host has ended" not kill -0 "$host_pid" 2>/dev/null || { wineserver -k; return 1; }
  check "the new files are in place" grep -q "of $next_version" "$dir/data/app.so" || return 1
  check "the uninstall entry shows the new version" \
    is "$(reg_value "$uninstall_key" DisplayVersion)" "$next_version" || return 1

  code=0
  closing_script </dev/null | run_host "$exe" || code=$?
  check "the new host starts and exits 0 (got $code)" is "$code" 0 || return 1
  check "the new host drew its first frame" grep -q '"event":"frame"' "$events"
}

case_uninstall() {
  new_prefix uninstall
  # A folder of the user's choice, with blanks and characters beyond ASCII.
  local windows_dir='C:\Programme für Tests\Quorvane AI 测试'
  local dir="$WINEPREFIX/drive_c/Programme für Tests/Quorvane AI 测试" code=0
  setup_into "$setup" "$windows_dir" || code=$?
  check "setup into a folder of the user's choice ends with 0 (got $code)" is "$code" 0 || return 1
  check "installed into that folder" test -f "$dir/quorvane_ai.exe" || return 1

  code=0
  closing_script <<'SCRIPT' | run_host "$windows_dir\\quorvane_ai.exe" || code=$?
{"call": "quorvane/settings", "method": "setLaunchAtLogin", "args": {"enabled": true}}
{"call": "quorvane/settings", "method": "setCloseToTrayEnabled", "args": {"enabled": false}}
{"call": "quorvane/credential", "method": "writeCodexToken", "args": {"token": "installer-test-token"}}
SCRIPT
  check "the host stores settings and a token (exit $code)" is "$code" 0 || return 1
  check "launch at login is on" test -n "$(reg_value "$run_key" "Quorvane AI")" || return 1
  check "a token is stored" is "$(credential)" present || return 1

  start_hidden_host "$windows_dir\\quorvane_ai.exe"
  check "the host runs hidden" grep -q '"method":"hide"' "$events" || { wineserver -k; return 1; }
  win "$dir/uninstall.exe" /S && wait_for_prefix
  check "the running host has ended" not kill -0 "$host_pid" 2>/dev/null ||
    { wineserver -k; return 1; }
  check "program folder removed" test ! -e "$dir" || return 1
  check "Start-menu shortcut removed" test ! -e "$programs/Quorvane AI.lnk" || return 1
  check "desktop shortcut removed" test ! -e "$desktop/Quorvane AI.lnk" || return 1
  check "uninstall entry removed" not reg_has_key "$uninstall_key" || return 1
  check "launch-at-login entry removed" is "$(reg_value "$run_key" "Quorvane AI")" "" || return 1
  check "settings kept" is "$(reg_value "$settings_key\\Desktop" CloseToTray)" 0x0 || return 1
  check "token kept" is "$(credential)" present || return 1

  code=0
  setup_into "$setup" "$windows_dir" || code=$?
  check "setup again ends with 0 (got $code)" is "$code" 0 || return 1
  win "$dir/uninstall.exe" /S /PURGE && wait_for_prefix
  check "program folder removed with /PURGE" test ! -e "$dir" || return 1
  check "settings removed with /PURGE" not reg_has_key "$settings_key" || return 1
  check "token removed with /PURGE" is "$(credential)" absent
}

failed=()
for name in "${cases[@]}"; do
  "case_$name" || failed+=("$name")
  wineserver -k 2>/dev/null || true
done
finish_wine_on_virtual_display
if ((${#failed[@]})); then
  echo "installer tests FAILED: ${failed[*]}"
  exit 1
fi
echo "installer tests passed: ${cases[*]}"
