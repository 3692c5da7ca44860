#!/usr/bin/env bash
# Time from launch to the first shown spread, and resident memory, of the real program on an
# X server: an empty window and a window with a 3.2 MB book.
# Usage: bench/StartupMemory.sh [BUILD_DIR] [RUNS]   (build with -DCMAKE_BUILD_TYPE=Release)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build=${1:-$root/build/release}
runs=${2:-7}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A program folder of its own, so that the settings file beside it starts empty.
cp "$build/tavolex" "$work/"
"$build/genbook" 3.2M 7 >"$work/book.txt"

cat >"$work/measure.sh" <<'INNER'
set -euo pipefail
work=$1 runs=$2
one() { TAVOLEX_STARTUP_PROBE=$(date +%s%N) "$work/tavolex" "$@" 2>&1 >/dev/null | grep '^startup_ms='; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
report() {
    local label=$1; shift
    one "$@" >/dev/null # the first start writes the settings file and fills caches
    for _ in $(seq "$runs"); do one "$@"; done >"$work/$label.txt"
    local ms kb
    ms=$(sed 's/startup_ms=\([0-9.]*\).*/\1/' "$work/$label.txt" | median)
    kb=$(sed 's/.*rss=\([0-9]*\).*/\1/' "$work/$label.txt" | median)
    printf '%-14s start %7.1f ms   resident %7.1f MB   (median of %d runs)\n' \
        "$label" "$ms" "$(echo "$kb / 1024" | bc -l)" "$runs"
}
report empty
report "3.2 MB book" "$work/book.txt"
INNER
book_bytes=$(stat -c %s "$work/book.txt")
echo "book: $book_bytes bytes"
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/measure.sh" "$work" "$runs"
