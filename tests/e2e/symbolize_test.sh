#!/usr/bin/env bash
# Crashes the real host with the stand-in's access violation, then reads its
# dump with scripts/symbolize_dump.py against the build's binaries (or the
# release's split symbols): the first frame must name the function and file
# that faulted.
# Usage: symbolize_test.sh WINE_RUN BINARY_DIR SOURCE_DIR [SYMBOLS_DIR]
#   (WINEPREFIX set; SYMBOLS_DIR defaults to BINARY_DIR)
set -euo pipefail

wine_run=$1
binary_dir=$2
source_dir=$3
symbols_dir=${4:-$binary_dir}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo '{"fault": "access_violation"}' >"$work/script.jsonl"
crashes="$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Local/Quorvane AI/crashes"
rm -f "$crashes"/*.dmp "$crashes/crash_notice_pending"
(cd "$binary_dir" && STANDIN_SCRIPT="Z:${work//\//\\}\\script.jsonl" "$wine_run" quorvane_ai.exe) \
  >/dev/null 2>&1 || true
rm -f "$crashes/crash_notice_pending"

dump=$(ls -t "$crashes"/*.dmp 2>/dev/null | head -n 1)
if [[ -z "$dump" ]]; then
  echo "FAIL: the crash left no dump in $crashes"
  exit 1
fi
stack=$(python3 "$source_dir/scripts/symbolize_dump.py" "$dump" "$symbols_dir")
echo "$stack"
first_frame=$(sed -n 2p <<<"$stack")
if [[ "$first_frame" != *"flutter_windows.dll+0x"*"AccessViolation()"*"standin/engine/fault.cpp:"* ]]; then
  echo "FAIL: the first frame does not name the faulting function and file"
  exit 1
fi
echo "OK"
