#!/usr/bin/env bash
# Packs the release build's split debug information (build/windows-release/
# symbols, one <binary>.debug per shipped executable and DLL) into
# QuorvaneAI-<version>-symbols.zip in OUT_DIR, beside the setup. Each .debug
# file carries the same CodeView build id as its binary; with the archive
# unpacked, scripts/symbolize_dump.py turns a dump of that release into the
# crashed thread's call stack.
# Usage: symbols.sh BUILD_DIR VERSION OUT_DIR
set -euo pipefail

build_dir=$1
version=$2
out_dir=$3
archive="$(cd "$out_dir" && pwd)/QuorvaneAI-$version-symbols.zip"

shopt -s nullglob
debug_files=("$build_dir"/symbols/*.debug)
if ((${#debug_files[@]} == 0)); then
  echo "no split symbols in $build_dir/symbols (QUORVANE_SPLIT_SYMBOLS off?)" >&2
  exit 1
fi
rm -f "$archive"
# CMake's archiver, which every build machine here has.
(cd "$build_dir/symbols" && cmake -E tar cf "$archive" --format=zip -- "${debug_files[@]##*/}")
echo "$archive ($(stat -c %s "$archive") bytes)"
