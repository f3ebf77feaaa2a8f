#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under ASan+UBSan and runs each for a
# fixed number of inputs, starting from the seed corpus in fuzz/seeds/.
# Usage: scripts/fuzz-smoke.sh [RUNS]   (default 20000 per target)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

runs="${1:-20000}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

for target in message_fuzzer method_call_fuzzer envelope_fuzzer second_start_fuzzer; do
  corpus="build/fuzz/corpus/$target"
  rm -rf "$corpus" && mkdir -p "$corpus"
  n=0
  while read -r line; do
    [[ -z "$line" ]] && continue
    n=$((n + 1))
    escaped=""
    for byte in $line; do escaped+="\\x$byte"; done
    printf "$escaped" >"$corpus/seed$n"
  done <"fuzz/seeds/$target.hex"
  log="build/fuzz/$target.log"
  # 1 KiB reaches every bound of the decoder (256 nesting levels, missing
  # content, 16- and 32-bit sizes) while keeping each input cheap.
  if ! "build/fuzz/fuzz/$target" -runs="$runs" -seed=1 -max_len=1024 "$corpus" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "$target failed; full output in $log"
    exit 1
  fi
  echo "$target: $(grep -Eo 'Done [0-9]+ runs' "$log" || echo 'done')"
done
