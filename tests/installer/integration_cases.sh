# Desktop integration: quorvane:// links open the installed program, and
# removal takes the scheme only while it is still this installation's.
# Sourced by installer_test.sh.

reg_default() {
  win reg query "$1" /ve 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *(Default) \{1,\}REG_[A-Z_]* \{0,\}//p'
}

case_integration() {
  new_prefix integration
  local code=0 scheme='HKLM\Software\Classes\quorvane' windows_dir='C:\Program Files\Quorvane AI'
  local link='quorvane://signin/callback?code=installer-link-secret'
  setup_into "$setup" "$windows_dir" || code=$?
  check "silent setup ends with 0 (got $code)" is "$code" 0 || return 1
  check "the scheme is a URL protocol" reg_query_has_value "$scheme" "URL Protocol" || return 1
  check "a link opens the installed program with the link" \
    is "$(reg_default "$scheme\\shell\\open\\command")" "\"$windows_dir\\quorvane_ai.exe\" \"%1\"" ||
    return 1
  check "the link's icon is the program's" \
    is "$(reg_default "$scheme\\DefaultIcon")" "\"$windows_dir\\quorvane_ai.exe\",0" || return 1
  check "the shortcuts were given the application's identity" \
    not grep -q "did not get the application's identity" <(show_logs 2>&1) || return 1

  # Opened as a browser would, through the shell.
  local script="$work/integration/script.jsonl"
  closing_script </dev/null >"$script"
  rm -f "$events"
  code=0
  STANDIN_SCRIPT="$(to_windows_path "$script")" STANDIN_LOG="$(to_windows_path "$events")" \
    win cmd /c start /wait "" "$link" || code=$?
  timeout 60 wineserver -w
  check "the link started the host with the link as its argument" \
    grep -qF '"args":["'"$link"'"]' "$events" || return 1
  check "the host's log has the link's length" \
    grep -qF "Opened a link (${#link} bytes)." "$local_data/logs/quorvane_ai.log" || return 1
  check "and never the link" not grep -qF "installer-link-secret" "$local_data/logs/quorvane_ai.log" ||
    return 1

  # Another program took the scheme over: removal leaves it alone.
  win reg add "$scheme\\shell\\open\\command" /ve /d '"C:\Other\other.exe" "%1"' /f >/dev/null 2>&1
  code=0
  run_line "$(uninstall_line "$windows_dir" /S)" || code=$?
  wait_for_prefix
  check "removal ends with 0 (got $code)" is "$code" 0 || return 1
  check "a scheme that opens another program stays" \
    is "$(reg_default "$scheme\\shell\\open\\command")" '"C:\Other\other.exe" "%1"' || return 1

  code=0
  setup_into "$setup" "$windows_dir" || code=$?
  check "setup again ends with 0 (got $code)" is "$code" 0 || return 1
  code=0
  run_line "$(uninstall_line "$windows_dir" /S)" || code=$?
  wait_for_prefix
  check "removal ends with 0 (got $code)" is "$code" 0 || return 1
  check "the scheme goes with this installation" not reg_has_key "$scheme" || return 1
}

reg_query_has_value() { win reg query "$1" /v "$2" >/dev/null 2>&1; }
