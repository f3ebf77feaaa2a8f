# The symbols archive that package.sh writes beside the setup: a crash dump of
# the shipped (stripped) host reads back into a call stack with it.
# Sourced by installer_test.sh.

case_symbols() {
  new_prefix symbols
  local symbols="$work/symbols/unpacked" archive
  archive="$(dirname "$setup")/QuorvaneAI-$version-symbols.zip"
  mkdir -p "$symbols"
  check "the symbols archive is beside the setup" test -f "$archive" || return 1
  (cd "$symbols" && cmake -E tar xf "$archive") || return 1
  check "a dump of the release build names the faulting function" \
    run_quietly bash "$repo_root/tests/e2e/symbolize_test.sh" "$repo_root/cmake/wine-run.sh" \
    "$release_dir/bundle" "$repo_root" "$symbols"
}
