#!/usr/bin/env bash
# Run on a desktop (tools/desktop.sh) by the installed-program tests: opens BOOK in the reader
# TAVOLEX, turns to page 6 with real key events, writes the window title to OUT.title and exits
# with Ctrl+X, answering the exit question with the keyboard. The reader's messages go to OUT.log.
# Usage: ReaderSession.sh TAVOLEX BOOK OUT
set -euo pipefail
tavolex=$1 book=$2 out=$3
"$tavolex" "$book" 2>"$out.log" &
pid=$!
title=""
for _ in $(seq 300); do
    wid=$(xdotool search --onlyvisible --name '^File .* pages\)$' 2>/dev/null | head -1 || true)
    if [ -n "$wid" ]; then
        title=$(xdotool getwindowname "$wid")
        break
    fi
    sleep 0.1
done
[ -n "$title" ] || { echo "no reader window with a book appeared" >&2; kill "$pid"; exit 1; }
xdotool windowfocus --sync "$wid"
# Two spreads forward, one page forward, one page back, one page forward: page 6.
xdotool key --delay 150 Down Down Right Left Right
sleep 0.5
xdotool getwindowname "$wid" >"$out.title"
xdotool key ctrl+x
# The exit question is a window of its own: answer it with the keyboard, as a user would.
question=""
for _ in $(seq 50); do
    question=$(xdotool search --onlyvisible --name '^Tavolex$' 2>/dev/null | head -1 || true)
    [ -n "$question" ] && break
    sleep 0.1
done
[ -n "$question" ] || { echo "no exit question appeared" >&2; kill "$pid"; exit 1; }
xdotool windowfocus --sync "$question"
xdotool key Return
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "the reader did not exit on Ctrl+X" >&2
    kill "$pid"
    exit 1
fi
wait "$pid"
