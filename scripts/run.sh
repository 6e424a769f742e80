#!/usr/bin/env bash
# Installs what the workbench needs, builds it, prepares the bundled data
# package under build/package (once) and starts the main program in the
# package's working directory.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
[ -f build/package/work/setpar ] || tools/make_package.sh build build/package
echo "The data package is ready in build/package (working directory build/package/work)."
# The programs work in the package's working directory ("setpar", "setpath").
cd build/package/work
exec ../../zelvo/zelvo "$@"
