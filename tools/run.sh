#!/usr/bin/env bash
# Installs what is missing, builds a release and starts the reader, optionally on FILE.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/deps.sh"
tavolex_install_missing "${tavolex_speech_packages[@]}"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release
cmake --build "$root/build/release" -j2 --target tavolex
exec "$root/build/release/tavolex" "$@"
