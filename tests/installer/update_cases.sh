# Update: the installed host checks a downloaded setup of the next version and
# hands it to Windows; the setup ends the host, upgrades and starts it again.
# Sourced by installer_test.sh.

# A step of the stand-in script calling METHOD on quorvane/update with PATH.
update_call() {
  local path
  path="$(to_windows_path "$2")"
  printf '{"call": "quorvane/update", "method": "%s", "args": {"path": "%s"}}\n' \
    "$1" "${path//\\/\\\\}"
}
# The reply event of METHOD in an event log.
update_reply() { grep -F '"method":"'"$2"'"' "$1" | grep -F '"event":"reply"'; }

case_update() {
  new_prefix update
  local dir="$WINEPREFIX/drive_c/Program Files/Quorvane AI" code=0 reply
  local exe='C:\Program Files\Quorvane AI\quorvane_ai.exe'
  local signed="$work/update/next-signed.exe" unsigned="$work/update/next-unsigned.exe"
  local first_events="$work/update/first-events.jsonl"
  cp "$next_setup" "$unsigned"
  cp "$next_setup" "$signed"
  QUORVANE_SIGN_PFX="$work/signing/code.pfx" QUORVANE_SIGN_PASSWORD_FILE="$work/signing/password" \
    bash "$repo_root/installer/sign.sh" "$signed" || return 1
  win "$setup" /S || code=$?
  check "silent setup ends with 0 (got $code)" is "$code" 0 || return 1

  # An unsigned setup is refused: nothing starts and no copy is left.
  code=0
  update_call installUpdate "$unsigned" | closing_script | run_host "$exe" || code=$?
  check "the host exits 0 after the refusal (got $code)" is "$code" 0 || return 1
  reply="$(update_reply "$events" installUpdate)"
  check "an unsigned setup is refused" has "$reply" '"code":"update_unsigned"' || return 1
  check "no copy of it is left" test ! -e "$dir/update/quorvane_update.exe" || return 1
  check "the installed version stays" \
    is "$(reg_value "$uninstall_key" DisplayVersion)" "$version" || return 1
  check "the installed files stay" grep -q placeholder "$dir/data/app.so" || return 1

  # The signed setup of the next version: checked, then installed.
  rm -f "$events"
  {
    update_call checkUpdateFile "$signed"
    update_call installUpdate "$signed"
    echo '{"end": true}'
  } | run_host "$exe" &
  local host_pid=$!
  for _ in $(seq 300); do
    grep -q '"event":"script_done"' "$events" 2>/dev/null && break
    sleep 0.1
  done
  # Setup starts the host again with the same environment: the log is kept
  # before the new host empties it, and the new host gets a script that
  # ends it after a while.
  cp "$events" "$first_events"
  {
    echo '{"wait_ms": 5000}'
    closing_script </dev/null
  } >"$work/update/script.jsonl"
  reply="$(update_reply "$first_events" checkUpdateFile)"
  check "the check names the publisher" has "$reply" '"publisher":"Quorvane AI test signing"' ||
    { wineserver -k; return 1; }
  check "and the version" has "$reply" '"version":"'"$next_version"'.0"' ||
    { wineserver -k; return 1; }
  reply="$(update_reply "$first_events" installUpdate)"
  check "the update is started" has "$reply" '"success":{' || { wineserver -k; return 1; }

  local upgraded=""
  for _ in $(seq 120); do
    [[ "$(reg_value "$uninstall_key" DisplayVersion)" == "$next_version" ]] &&
      [[ "$(host_image)" == "$exe" ]] && upgraded=yes && break
    sleep 0.5
  done
  check "the next version is installed and its host runs" test -n "$upgraded" ||
    { wineserver -k; return 1; }
  check "the old host has ended" not kill -0 "$host_pid" 2>/dev/null || { wineserver -k; return 1; }
  check "the new files are in place" grep -q "of $next_version" "$dir/data/app.so" ||
    { wineserver -k; return 1; }
  wait_for_prefix
  check "the new host drew its first frame" grep -q '"event":"frame"' "$events" || return 1
  check "the new host was closed and exited 0" grep -q "Exiting with code 0: the window was closed" \
    <(tail -n 1 "$local_data/logs/quorvane_ai.log") || return 1
  check "the checked copy stays for the next update" test -f "$dir/update/quorvane_update.exe"
}
