#!/usr/bin/env bash
# Installs what the workbench needs, builds it and prepares the bundled data
# package under build/package.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
[ -f build/package/work/setpar ] || tools/make_package.sh build build/package
echo "The data package is ready in build/package (working directory build/package/work)."
