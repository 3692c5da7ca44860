#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tavolex_install_missing
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVOLEX_WERROR=ON
cmake --build build/test -j2
cd build/test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
