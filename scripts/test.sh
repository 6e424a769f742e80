#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, then the library's
# tests again under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# fuzz targets of the library's text readers for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)

# Every C++ source as its .clang-format lays it out.
bash scripts/format.sh --check

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
# The bundled data package, built anew from the tools of this tree: the
# accuracy checks against independent references run on it.
rm -rf build/package
tools/make_package.sh build build/package
(cd build && ctest --output-on-failure -j"$jobs")

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZELVO_SANITIZE=ON -DZELVO_BENCH=OFF
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j"$jobs")

# The readers of typed text under libFuzzer, a bounded time each.
bash scripts/fuzz.sh "${ZELVO_FUZZ_SECONDS:-30}"
