#!/usr/bin/env bash
# Builds the library's libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time from its seed
# corpus. Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVO_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)"
status=0
for target in cntl cnto inpdat namn1; do
  work=$(mktemp -d)
  cp fuzz/corpus/$target/* "$work"/
  echo "fuzz_$target: $seconds s"
  if ! (cd build-fuzz && ./fuzz/fuzz_$target -max_total_time="$seconds" -max_len=200 -print_final_stats=1 \
          "$work" 2>&1 | tail -n 12); then
    status=1
  fi
  rm -rf "$work"
done
exit $status
