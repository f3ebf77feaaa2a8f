# Upgrade: over a program from elsewhere, a hidden, a hung host; downgrade;
# into another folder; another copy's removal. Sourced by installer_test.sh.

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

  # Asked whether to downgrade, the user says No (the default): exit 1.
  local text
  code=0
  text="$(win "$probe" dialog "$(to_windows_path "$setup")" | tr -d '\r')" || code=$?
  check "the downgrade question is asked" has "$text" "Replace it with the older version" ||
    return 1
  check "No to the downgrade ends with 1 (got $code)" is "$code" 1 || return 1
  check "and keeps the newer version" is "$(reg_value "$uninstall_key" DisplayVersion)" \
    "$next_version" || return 1

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
  check "so is its subfolder" test ! -e "$dir/locales" || return 1
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
