# Install: refusals before any page, a silent install and what it registers,
# files held open, the installed host. Sourced by installer_test.sh.

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

  # Traditional Chinese has no translation: English throughout, from the
  # first dialog on.
  text="$( (export LC_ALL=zh_TW.UTF-8 LANG=zh_TW.UTF-8 &&
    win "$probe" dialog "$(to_windows_path "$old_windows")") 2>/dev/null | tr -d '\r')"
  check "zh-TW gets the message in English" has "$text" "needs 64-bit Windows 10" || return 1

  # Windows 10 before version 1703, as its registry says (without Wine's
  # own version setting, Wine reports what the registry holds).
  local nt='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
  win reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
  win reg add "$nt" /v CurrentVersion /d 10.0 /f >/dev/null 2>&1
  win reg add "$nt" /v CurrentBuild /d 10586 /f >/dev/null 2>&1
  win reg add "$nt" /v CurrentBuildNumber /d 10586 /f >/dev/null 2>&1
  code=0
  win "$setup" /S || code=$?
  win reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
  check "setup on Windows 10 build 10586 ends with 2 (got $code)" is "$code" 2 || return 1
  check "it says why" has "$(log_tail setup 2)" "version 1703 or later" || return 1

  # A second setup while the first shows its first page: refused, and said
  # in the log that the first holds open.
  win "$setup" >/dev/null 2>&1 &
  local first=$!
  sleep 5
  code=0
  win "$setup" /S || code=$?
  wineserver -k
  wait "$first"
  check "a second setup beside an open one ends with 2 (got $code)" is "$code" 2 || return 1
  check "its refusal is in the shared log" has "$(log_tail setup 2)" "setup is already running" ||
    return 1

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
  check "the log keeps the earlier runs" is "$(show_logs 2>&1 | grep -c "Installing Quorvane")" 4 ||
    return 1
  check "each line of the log starts with its time" not grep -v -E \
    '^(--- .*|[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} .*)$' <(show_logs 2>&1) ||
    return 1

  code=0
  closing_script </dev/null | run_host "$windows_dir\\quorvane_ai.exe" || code=$?
  check "the installed host runs a script and exits 0 (got $code)" is "$code" 0 || return 1
  check "the installed host drew its first frame" grep -q '"event":"frame"' "$events"
}
