#!/usr/bin/env bash
# The installer under Wine: silent install (signed), refusals before any page,
# files held open, upgrade over a running, a refusing and a hung host,
# downgrade, upgrade into another folder, removal (registered commands, with
# and without /PURGE). Builds the signed installer with scripts/package.sh and
# a second one a patch version later, then runs each case in a Wine prefix of
# its own. A failed check prints the installer's own log.
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

release_dir="$repo_root/build/windows-release"
work="$release_dir/installer-tests"
rm -rf "$work"
mkdir -p "$work/signing"

# A throw-away certificate authority and code-signing certificate; the PFX
# password goes through a file only.
(
  cd "$work/signing" || exit 1
  umask 077
  openssl rand -hex 16 >password
  openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
    -subj "/CN=Quorvane test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign" &&
    openssl req -newkey rsa:2048 -nodes -keyout code.key -out code.csr \
      -subj "/CN=Quorvane AI test signing" &&
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
      >code.ext &&
    openssl x509 -req -in code.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
      -extfile code.ext -out code.pem &&
    openssl pkcs12 -export -inkey code.key -in code.pem -certfile ca.pem -out code.pfx \
      -passout file:password
) >/dev/null 2>&1 || { echo "cannot make the test certificate" && exit 1; }
QUORVANE_SIGN_PASSWORD_FILE="$work/signing/password" \
  run_quietly bash scripts/package.sh --sign "$work/signing/code.pfx" || exit 1

version="$(project_version "$release_dir")"
setup="$repo_root/build/windows/QuorvaneAI-$version-setup.exe"
next_version="${version%.*}.$((${version##*.} + 1))"
next_setup="$work/QuorvaneAI-$next_version-setup.exe"

# The next version: the same bundle with other application data and a library
# more, so that an upgrade shows in the files and a downgrade must remove it.
cp -r "$release_dir/bundle" "$work/next-bundle"
echo "application data of $next_version" >"$work/next-bundle/data/app.so"
cp "$work/next-bundle/flutter_windows.dll" "$work/next-bundle/extra_helper.dll"
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

case_install() {
  new_prefix install
  local dir="$WINEPREFIX/drive_c/Program Files/Quorvane AI" code=0 name text
  local windows_dir='C:\Program Files\Quorvane AI'

  # Refused before any page on Windows 7 (shown to a copy of setup only), in
  # the display language: Chinese for zh-CN, English otherwise.
  local old_windows="$work/install/old-windows-setup.exe"
  cp "$setup" "$old_windows"
  win reg add 'HKCU\Software\Wine\AppDefaults\old-windows-setup.exe' /v Version /d win7 /f \
    >/dev/null 2>&1
  text="$(win "$probe" dialog "$(to_windows_path "$old_windows")" | tr -d '\r')" || code=$?
  check "setup on Windows 7 ends with 2 (got $code)" is "$code" 2 || return 1
  check "it says why, in English" has "$text" "needs 64-bit Windows 10, version 1703 or later" ||
    return 1
  code=0
  text="$( (export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 &&
    win "$probe" dialog "$(to_windows_path "$old_windows")") 2>/dev/null | tr -d '\r')" || code=$?
  check "in Chinese too (exit $code)" has "$text" "需要 64 位 Windows 10（1703 版或更高版本）" ||
    return 1

  code=0
  hold hold-mutex 'Global\QuorvaneAI.Setup'
  win "$probe" run "$(to_windows_path "$setup") /S /LOG=\"C:\users\Public\admin setup.log\"" ||
    code=$?
  release
  check "a second setup at a time ends with 2 (got $code)" is "$code" 2 || return 1
  check "the log goes where /LOG= says, and says why" grep -q "setup is already running" \
    <(iconv -f UTF-16 -t UTF-8 "$WINEPREFIX/drive_c/users/Public/admin setup.log") || return 1

  code=0
  setup_into "$setup" 'C:\windows\win.ini\Quorvane AI' || code=$?
  check "setup into a folder that cannot be made ends with 2 (got $code)" is "$code" 2 || return 1
  check "the log says why" grep -q "cannot be created" <(show_logs 2>&1) || return 1
  check "nothing is registered after the failed setup" not reg_has_key "$uninstall_key" || return 1
  check "no shortcut after the failed setup" test ! -e "$programs/Quorvane AI.lnk" || return 1
  code=0
  setup_into "$setup" 'C:\windows' || code=$?
  check "setup into a folder of other files ends with 2 (got $code)" is "$code" 2 || return 1
  check "the log says why" grep -q "already holds other files" <(show_logs 2>&1) || return 1

  # /D= as setup itself reads it: slashes for backslashes, trailing blanks.
  code=0
  setup_into "$setup" 'C:/Program Files/Quorvane AI  ' || code=$?
  check "silent setup ends with 0 (got $code)" is "$code" 0 || return 1
  for name in quorvane_ai.exe flutter_windows.dll "${bundle_plugins[@]/%/.dll}" uninstall.exe \
              data/app.so data/icudtl.dat data/flutter_assets/AssetManifest.json; do
    check "installed: $name" test -f "$dir/$name" || return 1
  done
  check "Start-menu shortcut" test -f "$programs/Quorvane AI.lnk" || return 1
  check "no Start-menu folder named like the window" test ! -e "$programs/Quorvane AI 综合平台" ||
    return 1
  check "desktop shortcut" test -f "$desktop/Quorvane AI.lnk" || return 1
  for name in "$setup" "$dir/uninstall.exe" "$dir/quorvane_ai.exe" "$dir/flutter_windows.dll"; do
    check "signed with the test certificate: $(basename "$name")" \
      run_quietly osslsigncode verify -CAfile "$work/signing/ca.pem" -in "$name" || return 1
  done

  check "DisplayName" is "$(reg_value "$uninstall_key" DisplayName)" "Quorvane AI" || return 1
  check "DisplayVersion" is "$(reg_value "$uninstall_key" DisplayVersion)" "$version" || return 1
  check "Publisher" is "$(reg_value "$uninstall_key" Publisher)" "Quorvane AI" || return 1
  check "DisplayIcon" is "$(reg_value "$uninstall_key" DisplayIcon)" \
    "$windows_dir\\quorvane_ai.exe,0" || return 1
  check "InstallLocation" is "$(reg_value "$uninstall_key" InstallLocation)" "$windows_dir" ||
    return 1
  check "UninstallString" is "$(reg_value "$uninstall_key" UninstallString)" \
    "\"$windows_dir\\uninstall.exe\" _?=$windows_dir" || return 1
  check "QuietUninstallString" is "$(reg_value "$uninstall_key" QuietUninstallString)" \
    "\"$windows_dir\\uninstall.exe\" /S _?=$windows_dir" || return 1
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

  # A library of the installation held open, as by a host running in another
  # user's session: setup and removal stop before anything changes.
  local before
  before="$(fingerprint "$dir")"
  hold hold "$windows_dir\\flutter_windows.dll"
  code=0
  win "$next_setup" /S || code=$?
  check "setup over a held file ends with 2 (got $code)" is "$code" 2 ||
    { release; return 1; }
  check "it says the program may run for another user" \
    has "$(last_log_lines 2)" "possibly for another user" || { release; return 1; }
  check "setup over a held file changed nothing" is "$(fingerprint "$dir")" "$before" ||
    { release; return 1; }
  code=0
  run_line "$(reg_value "$uninstall_key" QuietUninstallString)" || code=$?
  release
  check "quiet removal with a held file ends with 2 (got $code)" is "$code" 2 || return 1
  check "removal with a held file changed nothing" is "$(fingerprint "$dir")" "$before" ||
    return 1
  check "the shortcut stays" test -f "$programs/Quorvane AI.lnk" || return 1
  check "the log keeps the earlier runs" is "$(show_logs 2>&1 | grep -c "Installing Quorvane")" 3 ||
    return 1
  check "each line of the log starts with its time" not grep -v -E \
    '^(--- .*|[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} .*)$' <(show_logs 2>&1) ||
    return 1

  code=0
  closing_script </dev/null | run_host "$windows_dir\\quorvane_ai.exe" || code=$?
  check "the installed host runs a script and exits 0 (got $code)" is "$code" 0 || return 1
  check "the installed host drew its first frame" grep -q '"event":"frame"' "$events"
}

case_upgrade() {
  new_prefix upgrade
  local dir="$WINEPREFIX/drive_c/Program Files/Quorvane AI" code=0
  local windows_dir='C:\Program Files\Quorvane AI'
  local exe="$windows_dir\\quorvane_ai.exe"
  win "$setup" /S || code=$?
  check "first setup ends with 0 (got $code)" is "$code" 0 || return 1

  # A program with the host's window that lets the session end and runs on,
  # from another folder: it is not ended, and nothing changes.
  start_window "$probe" stubborn-window
  code=0
  win "$next_setup" /S /FORCECLOSE || code=$?
  check "the program from elsewhere still runs" kill -0 "$window_pid" || return 1
  wineserver -k
  wait "$window_pid"
  check "setup stops with 2 when the program does not end (got $code)" is "$code" 2 || return 1
  check "the log says why" has "$(last_log_lines 2)" "runs from another folder" || return 1
  check "the installed files are kept" grep -q placeholder "$dir/data/app.so" || return 1
  check "the installed version stays registered" \
    is "$(reg_value "$uninstall_key" DisplayVersion)" "$version" || return 1

  # The old host, hidden in the tray: close to tray is on when nothing is
  # stored. It is ended, and started again after the silent upgrade.
  start_hidden_host "$exe"
  check "the old host runs hidden" grep -q '"method":"hide"' "$events" ||
    { wineserver -k; return 1; }
  code=0
  # The host that setup starts again writes its events to standard output.
  win "$next_setup" /S >/dev/null || code=$?
  check "setup of the next version over the running host ends with 0 (got $code)" is "$code" 0 ||
    { wineserver -k; return 1; }
  for _ in $(seq 50); do kill -0 "$host_pid" 2>/dev/null || break; sleep 0.1; done
  check "the old host has ended" not kill -0 "$host_pid" 2>/dev/null || { wineserver -k; return 1; }
  check "the new host was started again" is "$(started_host_image)" "$exe" || { wineserver -k; return 1; }
  wineserver -k
  check "the new files are in place" grep -q "of $next_version" "$dir/data/app.so" || return 1
  check "the new library is in place" test -f "$dir/extra_helper.dll" || return 1
  check "the uninstall entry shows the new version" \
    is "$(reg_value "$uninstall_key" DisplayVersion)" "$next_version" || return 1

  code=0
  closing_script </dev/null | run_host "$exe" || code=$?
  check "the new host starts and exits 0 (got $code)" is "$code" 0 || return 1
  check "the new host drew its first frame" grep -q '"event":"frame"' "$events" || return 1

  # A hung program of this installation: ended only with /FORCECLOSE.
  cp "$probe" "$dir/hung_probe.exe"
  start_window "$windows_dir\\hung_probe.exe" hung-window
  code=0
  win "$next_setup" /S || code=$?
  check "setup over a hung host ends with 2 (got $code)" is "$code" 2 || { wineserver -k; return 1; }
  check "the log says it does not respond" has "$(last_log_lines 2)" "does not respond" ||
    { wineserver -k; return 1; }
  code=0
  win "$next_setup" /S /FORCECLOSE >/dev/null || code=$?
  check "setup with /FORCECLOSE ends with 0 (got $code)" is "$code" 0 || { wineserver -k; return 1; }
  check "the hung host was ended" not kill -0 "$window_pid" 2>/dev/null ||
    { wineserver -k; return 1; }
  check "a reinstall is logged" grep -q "installing it again" <(show_logs 2>&1) ||
    { wineserver -k; return 1; }
  wineserver -k
  rm "$dir/hung_probe.exe"

  # Downgrade with the desktop shortcut deleted by the user: the library the
  # older version does not ship goes, the shortcut stays away, and no host is
  # started because none ran.
  rm "$desktop/Quorvane AI.lnk"
  code=0
  win "$setup" /S || code=$?
  check "the downgrade ends with 0 (got $code)" is "$code" 0 || return 1
  check "the downgrade is logged" grep -q "this is a downgrade" <(show_logs 2>&1) || return 1
  check "the library of the newer version is removed" test ! -e "$dir/extra_helper.dll" || return 1
  check "the older version is registered" \
    is "$(reg_value "$uninstall_key" DisplayVersion)" "$version" || return 1
  check "the deleted desktop shortcut stays deleted" test ! -e "$desktop/Quorvane AI.lnk" ||
    return 1
  wait_for_prefix
  check "no host was started" is "$(host_image)" none || return 1

  # An upgrade into another folder removes the old copy first (settings
  # kept) and moves the launch-at-login value along.
  local apps='C:\Apps\Quorvane AI' apps_dir="$WINEPREFIX/drive_c/Apps/Quorvane AI"
  win reg add "$run_key" /v "Quorvane AI" /d "\"$exe\"" /f >/dev/null 2>&1
  win reg add "$settings_key\\Desktop" /v CloseToTray /t REG_DWORD /d 0 /f >/dev/null 2>&1
  code=0
  setup_into "$next_setup" "$apps" || code=$?
  check "the upgrade into another folder ends with 0 (got $code)" is "$code" 0 || return 1
  wait_for_prefix
  check "the old copy is removed" test ! -e "$dir" || return 1
  check "the new folder is registered" is "$(reg_value "$uninstall_key" InstallLocation)" "$apps" ||
    return 1
  check "launch at login follows" is "$(reg_value "$run_key" "Quorvane AI")" \
    "\"$apps\\quorvane_ai.exe\"" || return 1
  check "the settings are kept" is "$(reg_value "$settings_key\\Desktop" CloseToTray)" 0x0 ||
    return 1
  check "the Start-menu shortcut is there" test -f "$programs/Quorvane AI.lnk" || return 1

  # Another copy's uninstaller leaves this installation's registration alone.
  local copy='C:\Copy of Quorvane AI'
  cp -r "$apps_dir" "$WINEPREFIX/drive_c/Copy of Quorvane AI"
  code=0
  run_line "$(uninstall_line "$copy" /S)" || code=$?
  wait_for_prefix
  check "removing the other copy ends with 0 (got $code)" is "$code" 0 || return 1
  check "the other copy is removed" test ! -e "$WINEPREFIX/drive_c/Copy of Quorvane AI" ||
    return 1
  check "the entry still names this installation" \
    is "$(reg_value "$uninstall_key" InstallLocation)" "$apps" || return 1
  check "its shortcut stays" test -f "$programs/Quorvane AI.lnk" || return 1
  check "its launch-at-login value stays" test -n "$(reg_value "$run_key" "Quorvane AI")" ||
    return 1

  # Removal: nothing either version installed is left, nor the folder that
  # setup created for it.
  code=0
  run_line "$(reg_value "$uninstall_key" QuietUninstallString)" || code=$?
  check "the quiet removal ends with 0 (got $code)" is "$code" 0 || return 1
  wait_for_prefix
  check "nothing is left" test ! -e "$WINEPREFIX/drive_c/Apps" || return 1
  check "the entry is removed" not reg_has_key "$uninstall_key"
}

case_uninstall() {
  new_prefix uninstall
  # A folder of the user's choice, with blanks and characters beyond ASCII.
  local windows_dir='C:\Programme für Tests\Quorvane AI 测试'
  local dir="$WINEPREFIX/drive_c/Programme für Tests/Quorvane AI 测试" code=0
  setup_into "$setup" "$windows_dir" || code=$?
  check "setup into a folder of the user's choice ends with 0 (got $code)" is "$code" 0 || return 1
  check "installed into that folder" test -f "$dir/quorvane_ai.exe" || return 1
  # Wine keeps only the Unix mode of an access list: Everyone's entry goes.
  check "the folder is restricted" grep -q "writable by administrators only" <(show_logs 2>&1) ||
    return 1
  check "no access for everyone" not grep -q ";WD)" \
    <(win "$probe" security "$windows_dir") || return 1
  check "unlike its parent" grep -q ";WD)" \
    <(win "$probe" security 'C:\Programme für Tests') || return 1

  code=0
  closing_script <<'SCRIPT' | run_host "$windows_dir\\quorvane_ai.exe" || code=$?
{"call": "quorvane/settings", "method": "setLaunchAtLogin", "args": {"enabled": true}}
{"call": "quorvane/settings", "method": "setCloseToTrayEnabled", "args": {"enabled": false}}
{"call": "quorvane/credential", "method": "writeCodexToken", "args": {"token": "installer-test-token"}}
SCRIPT
  check "the host stores settings and a token (exit $code)" is "$code" 0 || return 1
  check "launch at login is on" test -n "$(reg_value "$run_key" "Quorvane AI")" || return 1
  check "a token is stored" is "$(credential)" present || return 1
  local approved='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'
  win reg add "$approved" /v "Quorvane AI" /t REG_BINARY /d 030000000000000000000000 /f \
    >/dev/null 2>&1
  mkdir -p "$local_data/logs"
  echo "host log" >"$local_data/logs/host.log"

  # The host on another desktop, as in another user's session: no window
  # search finds it, and removal stops before anything changes.
  local before
  before="$(fingerprint "$dir")"
  echo '{"end": true}' >"$work/uninstall/idle.jsonl"
  rm -f "$events"
  STANDIN_SCRIPT="$(to_windows_path "$work/uninstall/idle.jsonl")" \
    STANDIN_LOG="$(to_windows_path "$events")" \
    win explorer /desktop=Other,800x600 "$windows_dir\\quorvane_ai.exe" >/dev/null 2>&1 &
  for _ in $(seq 300); do
    grep -q '"event":"frame"' "$events" 2>/dev/null && break
    sleep 0.1
  done
  check "the host on the other desktop is not seen from here" is "$(host_image)" none ||
    { wineserver -k; return 1; }
  code=0
  run_line "$(uninstall_line "$windows_dir" /S)" || code=$?
  wineserver -k
  check "removal while it runs there ends with 2 (got $code)" is "$code" 2 || return 1
  check "and changes nothing" is "$(fingerprint "$dir")" "$before" || return 1

  # Cancelled interactively: the registered command returns 1. (The commands
  # are built here: reg.exe cannot print the folder's name.)
  start_hidden_host "$windows_dir\\quorvane_ai.exe"
  check "the host runs hidden" grep -q '"method":"hide"' "$events" || { wineserver -k; return 1; }
  code=0
  win "$probe" dialog "$(uninstall_line "$windows_dir" "")" >/dev/null || code=$?
  check "the cancelled removal ends with 1 (got $code)" is "$code" 1 || { wineserver -k; return 1; }
  check "the cancelled removal changed nothing" test -f "$dir/quorvane_ai.exe" ||
    { wineserver -k; return 1; }

  code=0
  run_line "$(uninstall_line "$windows_dir" /S)" || code=$?
  check "the quiet removal ends with 0 (got $code)" is "$code" 0 || { wineserver -k; return 1; }
  check "the running host has ended" not kill -0 "$host_pid" 2>/dev/null ||
    { wineserver -k; return 1; }
  wait_for_prefix
  check "program folder and the parent setup made removed" \
    test ! -e "$WINEPREFIX/drive_c/Programme für Tests" || return 1
  check "Start-menu shortcut removed" test ! -e "$programs/Quorvane AI.lnk" || return 1
  check "desktop shortcut removed" test ! -e "$desktop/Quorvane AI.lnk" || return 1
  check "uninstall entry removed" not reg_has_key "$uninstall_key" || return 1
  check "launch-at-login entry removed" is "$(reg_value "$run_key" "Quorvane AI")" "" || return 1
  check "its startup mark removed" is "$(reg_value "$approved" "Quorvane AI")" "" || return 1
  check "settings kept" is "$(reg_value "$settings_key\\Desktop" CloseToTray)" 0x0 || return 1
  check "token kept" is "$(credential)" present || return 1
  check "local data kept" test -f "$local_data/logs/host.log" || return 1

  code=0
  setup_into "$setup" "$windows_dir" || code=$?
  check "setup again ends with 0 (got $code)" is "$code" 0 || return 1
  code=0
  run_line "$(uninstall_line "$windows_dir" "/S /PURGE")" || code=$?
  check "removal with /PURGE ends with 0 (got $code)" is "$code" 0 || return 1
  wait_for_prefix
  check "program folder removed with /PURGE" test ! -e "$dir" || return 1
  check "settings removed with /PURGE" not reg_has_key "$settings_key" || return 1
  check "token removed with /PURGE" is "$(credential)" absent || return 1
  check "local data removed with /PURGE" test ! -e "$local_data"
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
