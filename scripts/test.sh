#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: native,
# native under ASan+UBSan, the fuzz smoke runs, the Windows build under Wine,
# the Windows build again with clang, and the installer (release build) under Wine.
# Ends with one summary line.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
cd "$repo_root"

install_missing "${build_packages[@]}" "${wine_packages[@]}" "${package_packages[@]}" || exit 1
ensure_display || exit 1

declare -a passed=() failed=()
step() {
  local name="$1"
  shift
  log "$name"
  if "$@"; then passed+=("$name"); else failed+=("$name"); fi
}
build_and_test() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" && ctest --preset "$1"
}

step native build_and_test native
step native-asan build_and_test native-asan
step fuzz bash scripts/fuzz-smoke.sh
use_wine_prefix "$repo_root/build/windows"
step windows build_and_test windows
step windows-clang build_and_test windows-clang
wineserver -k 2>/dev/null || true
step installer bash tests/installer/installer_test.sh

summary="${#passed[@]} of $((${#passed[@]} + ${#failed[@]})) suites passed"
if ((${#failed[@]})); then
  echo "FAILED: $summary; failing: ${failed[*]}"
  exit 1
fi
echo "OK: $summary (${passed[*]})"
