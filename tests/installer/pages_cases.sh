# The wizard's pages, driven through the probe: every label fits in English
# and Simplified Chinese, in setup and in the uninstaller; Cancel on a page
# and at the prompt about the running program. Sourced by installer_test.sh.

# Walks a wizard in the given locale; prints the probe's lines and returns
# the program's exit code.
walk() {
  local locale="$1"
  shift
  (export LC_ALL="$locale" LANG="$locale" && win "$probe" wizard "$@") 2>/dev/null | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

# The font the language files give setup's dialogs: Wine does not tell
# another process a control's font.
declare -A dialog_font=([C.UTF-8]="fit=MS Shell Dlg:8" [zh_CN.UTF-8]="fit=SimSun:9")

# Checks that a walk over two pages saw both, no label cut off, and ended as
# cancelled.
pages_fit() {
  local what="$1" locale="$2" command="$3" first="$4" second="$5" text code=0
  local fit="${dialog_font[$locale]}"
  text="$(walk "$locale" "$command" "$fit" next "$fit" cancel)" || code=$?
  check "$what: Cancel on a page ends with 1 (got $code)" is "$code" 1 || return 1
  check "$what: the first page" has "$text" "page: $first" || return 1
  check "$what: the second page" has "$text" "page: $second" || return 1
  check "$what: every label fits" not grep -q "cut off:" <<<"$text" ||
    { grep "cut off:" <<<"$text" >&2; return 1; }
}

case_pages() {
  new_prefix pages
  local windows_dir='C:\Program Files\Quorvane AI' code=0 text
  local command
  command="$(to_windows_path "$setup")"

  pages_fit "setup in English" C.UTF-8 "$command" "Choose Install Location" \
    "Choose Components" || return 1
  check "the cancel is logged" has "$(log_tail setup 1)" "Cancelled by the user." || return 1
  pages_fit "setup in Chinese" zh_CN.UTF-8 "$command" "选择安装位置" "选择组件" || return 1
  check "the cancel is logged in Chinese" has "$(log_tail setup 1)" "用户已取消" || return 1

  # Cancel at the prompt about the running program, met when leaving the
  # components page: a window of the host's class and title stands in.
  start_window "$probe" stubborn-window
  code=0
  text="$(walk C.UTF-8 "$command" next next refuse)" || code=$?
  check "the prompt about the running program is shown" has "$text" \
    "Quorvane AI is running. It will be closed to continue." || return 1
  check "Cancel at that prompt ends with 1 (got $code)" is "$code" 1 || return 1
  check "and is logged" has "$(log_tail setup 1)" "Cancelled. Nothing was changed." ||
    { wineserver -k; return 1; }
  check "the program still runs" kill -0 "$window_pid" || { wineserver -k; return 1; }
  wineserver -k

  code=0
  setup_into "$setup" "$windows_dir" || code=$?
  check "silent setup ends with 0 (got $code)" is "$code" 0 || return 1
  command="$(uninstall_line "$windows_dir" "")"
  pages_fit "the uninstaller in English" C.UTF-8 "$command" "Uninstall Quorvane AI" \
    "Choose Components" || return 1
  check "the uninstaller logs the cancel" has "$(log_tail uninstall 1)" \
    "Cancelled by the user." || return 1
  pages_fit "the uninstaller in Chinese" zh_CN.UTF-8 "$command" "卸载 Quorvane AI" "选择组件"
}
