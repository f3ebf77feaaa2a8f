# Removal: a folder of the user's choice, a host in another session, cancel,
# the registered commands with and without /PURGE. Sourced by installer_test.sh.

case_uninstall() {
  new_prefix uninstall
  # A folder of the user's choice, with blanks and characters beyond ASCII.
  local windows_dir='C:\Programme für Tests\Quorvane AI 测试'
  local dir="$WINEPREFIX/drive_c/Programme für Tests/Quorvane AI 测试" code=0
  setup_into "$setup" "$windows_dir" || code=$?
  check "setup into a folder of the user's choice ends with 0 (got $code)" is "$code" 0 || return 1
  check "installed into that folder" test -f "$dir/quorvane_ai.exe" || return 1
  # Wine keeps only the Unix mode of an access list: Everyone's entry goes.
  local dumps_key='HKLM\SOFTWARE\Microsoft\Windows\Windows Error Reporting\LocalDumps\quorvane_ai.exe'
  check "crash dumps go to the local data" is "$(reg_value "$dumps_key" DumpFolder)" \
    '%LOCALAPPDATA%\Quorvane AI\crashes' || return 1
  check "the last ten" is "$(reg_value "$dumps_key" DumpCount)" 0xa || return 1
  check "as mini dumps" is "$(reg_value "$dumps_key" DumpType)" 0x1 || return 1
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
  check "crash dump settings removed" not reg_has_key "$dumps_key" || return 1
  check "launch-at-login entry removed" is "$(reg_value "$run_key" "Quorvane AI")" "" || return 1
  check "its startup mark removed" is "$(reg_value "$approved" "Quorvane AI")" "" || return 1
  check "settings kept" is "$(reg_value "$settings_key\\Desktop" CloseToTray)" 0x0 || return 1
  check "token kept" is "$(credential)" present || return 1
  check "local data kept" test -f "$local_data/logs/host.log" || return 1

  code=0
  setup_into "$setup" "$windows_dir" || code=$?
  check "setup again ends with 0 (got $code)" is "$code" 0 || return 1
  # Crash dump settings changed by an administrator are not setup's to remove.
  win reg add "$dumps_key" /v DumpFolder /t REG_EXPAND_SZ /d 'D:\dumps' /f >/dev/null 2>&1
  code=0
  run_line "$(uninstall_line "$windows_dir" "/S /PURGE")" || code=$?
  check "removal with /PURGE ends with 0 (got $code)" is "$code" 0 || return 1
  check "changed crash dump settings stay" is "$(reg_value "$dumps_key" DumpFolder)" 'D:\dumps' ||
    return 1
  wait_for_prefix
  check "program folder removed with /PURGE" test ! -e "$dir" || return 1
  check "settings removed with /PURGE" not reg_has_key "$settings_key" || return 1
  check "token removed with /PURGE" is "$(credential)" absent || return 1
  check "local data removed with /PURGE" test ! -e "$local_data"
}
