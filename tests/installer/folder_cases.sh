# Folders and commands as administrators write them: one folder through two
# spellings, slashes to a folder of their own, a folder past the path limit,
# the launch-at-login mark across a move, /S after the folder of the
# uninstall command, files setup did not install, a layout without manifest,
# and the log where /LOG= says. Sourced by installer_test.sh.

approved_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'
# Turned off in Task Manager.
disabled_mark=030000000000000000000000

case_folders() {
  new_prefix folders
  local code=0 c="$WINEPREFIX/drive_c" apps2='C:\Apps2\Quorvane AI' moved='C:\Moved\Quorvane AI'

  # /LOG= into a folder that does not exist yet; a log that cannot be written
  # is said in the default one.
  win "$probe" run "$(to_windows_path "$setup") /S /LOG=C:\Deploy\logs\qa.log \
/D=C:\Apps\..\Apps2\Quorvane AI" || code=$?
  check "setup through a '..' folder ends with 0 (got $code)" is "$code" 0 || return 1
  check "the log is where /LOG= says, its folder made" \
    grep -q "Installation complete" <(iconv -f UTF-16 -t UTF-8 "$c/Deploy/logs/qa.log") || return 1
  check "the folder is registered in its one spelling" \
    is "$(reg_value "$uninstall_key" InstallLocation)" "$apps2" || return 1

  # The same folder with slashes, another case and a trailing separator: not
  # another folder, and it keeps its restricted access list.
  code=0
  win "$probe" run "$(to_windows_path "$next_setup") /S /LOG=C:\windows\win.ini\qa.log \
/D=c:/apps2/QUORVANE AI/" || code=$?
  check "the upgrade through slashes ends with 0 (got $code)" is "$code" 0 || return 1
  check "an unwritable log is reported in the default one" \
    has "$(log_tail setup 12)" "the log C:\\windows\\win.ini\\qa.log (error" || return 1
  check "no old copy is removed from the folder installed into" \
    not grep -q "Removing the copy" <(show_logs 2>&1) || return 1
  check "the new files are there" test -f "$c/Apps2/Quorvane AI/extra_helper.dll" || return 1
  check "the access list is checked for that folder" \
    has "$(log_tail setup 8)" "$apps2 is writable by administrators only" || return 1
  check "the folder grants everyone nothing" not grep -q ";WD)" \
    <(win "$probe" security "$apps2") || return 1

  # A move to another folder keeps launch at login turned off in Task Manager;
  # the old folder goes with the subfolder only the newer version had.
  win reg add "$run_key" /v "Quorvane AI" /d "\"$apps2\\quorvane_ai.exe\"" /f >/dev/null 2>&1
  win reg add "$approved_key" /v "Quorvane AI" /t REG_BINARY /d "$disabled_mark" /f >/dev/null 2>&1
  code=0
  setup_into "$setup" "$moved" || code=$?
  check "the move ends with 0 (got $code)" is "$code" 0 || return 1
  wait_for_prefix
  check "the old folder is removed, subfolders and all" test ! -e "$c/Apps2" || return 1
  check "launch at login follows" \
    is "$(reg_value "$run_key" "Quorvane AI")" "\"$moved\\quorvane_ai.exe\"" || return 1
  check "it stays turned off" is "$(reg_value "$approved_key" "Quorvane AI")" "$disabled_mark" ||
    return 1

  # Past the path limit: refused, nothing made.
  local long
  long="C:\\$(printf 'x%.0s' {1..240})\\Quorvane AI"
  code=0
  setup_into "$setup" "$long" || code=$?
  check "a folder past the path limit ends with 2 (got $code)" is "$code" 2 || return 1
  check "the log says why" has "$(log_tail setup 3)" "is too long" || return 1
  check "nothing is made there" test ! -e "$c/$(printf 'x%.0s' {1..240})" || return 1

  # /S after the folder of the uninstall command, with a file of the user's
  # left in the folder: removed, and the file is named with exit code 3.
  echo "notes" >"$c/Moved/Quorvane AI/notes.txt"
  cp "$c/Moved/Quorvane AI/uninstall.exe" "$work/folders/uninstall.exe"
  code=0
  run_line "\"$moved\\uninstall.exe\" _?=$moved /S" || code=$?
  check "removal with /S after the folder ends with 3 (got $code)" is "$code" 3 || return 1
  wait_for_prefix
  check "only the user's file is left" is "$(ls -A "$c/Moved/Quorvane AI")" "notes.txt" || return 1
  check "the log names it" has "$(log_tail uninstall 3)" "notes.txt" || return 1
  check "the entry is removed" not reg_has_key "$uninstall_key" || return 1

  # An uninstaller pointed at a folder without an installation removes
  # nothing, says so and does not claim completion.
  mkdir -p "$c/Empty"
  cp "$work/folders/uninstall.exe" "$c/Empty/"
  code=0
  run_line "\"C:\\Empty\\uninstall.exe\" _?=C:\\Empty /S" || code=$?
  check "removal from a folder without an installation ends with 2 (got $code)" is "$code" 2 ||
    return 1
  check "no completion line" not grep -q "Removal complete" <(log_tail uninstall 2) || return 1

  # A layout from before the manifest: what only it shipped is removed too.
  local legacy='C:\Legacy\Quorvane AI'
  setup_into "$setup" "$legacy" || return 1
  rm "$c/Legacy/Quorvane AI/installed-files.txt"
  code=0
  setup_into "$slim_setup" "$legacy" || code=$?
  check "the upgrade of a layout without manifest ends with 0 (got $code)" is "$code" 0 || return 1
  check "the library only the old layout shipped is removed" \
    test ! -e "$c/Legacy/Quorvane AI/webview_windows_plugin.dll" || return 1
}
