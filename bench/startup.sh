#!/usr/bin/env bash
# Startup time and memory of the host against a bare Win32 program that only
# creates and shows a 1280 × 720 window, both started by one probe process under
# the same Wine server and X display. Prints the medians, the peak working sets
# and the ratios (targets: time at most 1.3×, memory at most 1.5× the bare
# window). RUNS (default 7) sets the number of timed runs per program.
#
# Both programs are measured as they would ship: copies without the debug
# information of the RelWithDebInfo build, which Wine would otherwise read into
# memory with the image (it makes up most of the size of every binary).
#
#   bench/startup.sh [--preset windows-release]
#       measures the release build (optimised and stripped, as packaged)
#       instead of the windows preset's.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"
cd "$repo_root"

runs="${RUNS:-7}"
preset=windows
if [[ "${1:-}" == "--preset" && -n "${2:-}" ]]; then
  preset="$2"
fi
build_dir="$repo_root/build/$preset"

install_missing "${build_packages[@]}" "${wine_packages[@]}"
run_quietly cmake --preset "$preset"
run_quietly cmake --build --preset "$preset" --target quorvane_ai bare_window startup_probe

bench_dir="$build_dir/bench"
rm -rf "$bench_dir"
mkdir -p "$bench_dir"
cp "$build_dir"/bin/{quorvane_ai,bare_window,startup_probe}.exe "$build_dir"/bin/*.dll "$bench_dir/"
x86_64-w64-mingw32-strip --strip-debug "$bench_dir"/*.exe "$bench_dir"/*.dll

use_wine_prefix "$build_dir"
ensure_display
ensure_wine_prefix

# The host runs with the interactive stand-in (no script); its event log goes
# to a file rather than into the results.
unset STANDIN_SCRIPT STANDIN_FAIL
events="$(mktemp --suffix=.jsonl)"
STANDIN_LOG="$(to_windows_path "$events")"
export STANDIN_LOG
host="$(to_windows_path "$bench_dir/quorvane_ai.exe")"
bare="$(to_windows_path "$bench_dir/bare_window.exe")"
code=0
results="$(wine64_binary "$bench_dir/startup_probe.exe" "$runs" 500 "$host" "$bare")" || code=$?
rm -f "$events"
finish_wine_on_virtual_display
((code == 0)) || exit "$code"
echo "$results"

field() { grep -F "$1 " <<<"$results" | sed -n "s/.*$2=\([0-9.]*\).*/\1/p"; }
host_ms="$(field "$host" median_visible_ms)"
bare_ms="$(field "$bare" median_visible_ms)"
host_kb="$(field "$host" peak_working_set_kb)"
bare_kb="$(field "$bare" peak_working_set_kb)"
awk -v hm="$host_ms" -v bm="$bare_ms" -v hk="$host_kb" -v bk="$bare_kb" 'BEGIN {
  printf "startup: host %.1f ms, bare window %.1f ms, ratio %.2f (target <= 1.30)\n", hm, bm, hm / bm
  printf "memory:  host %d KiB, bare window %d KiB, ratio %.2f (target <= 1.50)\n", hk, bk, hk / bk
}'
