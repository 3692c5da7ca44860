#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test.
#   tools/test.sh              the normal build, in build/test
#   tools/test.sh --sanitize   AddressSanitizer and UndefinedBehaviorSanitizer, in build/sanitize
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tavolex_install_missing
case "${1:-}" in
"")
    build=build/test
    options=()
    ;;
--sanitize)
    build=build/sanitize
    options=(-DTAVOLEX_SANITIZE=ON -DTAVOLEX_BENCH=OFF)
    export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1
    export UBSAN_OPTIONS=print_stacktrace=1
    # Leaks inside the system's font and display libraries are theirs, not ours.
    export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
    ;;
*)
    echo "usage: tools/test.sh [--sanitize]" >&2
    exit 2
    ;;
esac
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVOLEX_WERROR=ON "${options[@]}"
cmake --build "$build" -j2
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
