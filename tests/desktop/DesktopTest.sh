#!/usr/bin/env bash
# The reader on a desktop with a window manager, driven by real input (xdotool, wmctrl):
# window placement over five starts and a maximized start, F11 in and out of full screen
# (also after the window manager's own change), a right click in a page, and start-up
# messages shown once however often the window is resized meanwhile, and Space or a close
# stopping a long table-of-contents build.
# Run through tools/desktop.sh: DesktopTest.sh BUILD_DIR
set -euo pipefail
build=$1
for tool in xdotool wmctrl xprop xwininfo convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done
[ -n "${DISPLAY:-}" ] || { echo "SKIP: no display (run through tools/desktop.sh)"; exit 77; }
fail() {
    echo "FAIL: $*" >&2
    [ -s "${work:-}/reader.log" ] && { echo "--- the reader's messages:" >&2; tail -40 "$work/reader.log" >&2; }
    exit 1
}

work=$(mktemp -d)
pid=""
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# Settings go beside the program; a copy keeps them out of the build folder.
mkdir -p "$work/bin" "$work/home"
cp "$build/tavolex" "$work/bin/"
cp "$build/Help.txt" "$work/bin/" 2>/dev/null || true
settings=$work/bin/Tavolex.ini
export HOME=$work/home
unset XDG_CONFIG_HOME
book=$work/book.txt
"$build/genbook" 200k 5 >"$book"

# The inner area on screen, as "x,y wxh".
inner() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /^ *Width:/ { w = $2 } /^ *Height:/ { h = $2 } END { print x "," y " " w "x" h }'
}
states() { xprop -id "$1" _NET_WM_STATE; }
window_key() {
    awk -v key="$1" '/^\[/ { inside = ($0 == "[Window]") } inside && index($0, key "=") == 1 {
        print substr($0, length(key) + 2) }' "$settings"
}
stored_window() {
    echo "$(window_key Left),$(window_key Top) $(window_key Width)x$(window_key Height)"
}
# Waits until the geometry of window $1 is $2 (the window manager answers asynchronously).
wait_inner() {
    for _ in $(seq 100); do
        [ "$(inner "$1")" = "$2" ] && return 0
        sleep 0.1
    done
    return 1
}
# Waits until window $1 does ($2 = yes) or does not ($2 = no) hold the state $3. The window
# manager sets the geometry and the state apart, so a key sent between them would find the
# reader's state not yet changed.
wait_state() {
    for _ in $(seq 50); do
        if states "$1" | grep -q "$3"; then [ "$2" = yes ] && return 0
        else [ "$2" = no ] && return 0; fi
        sleep 0.1
    done
    return 1
}
# Waits until window $1 shows its book's title again: while a refit or a table-of-contents build
# for a new size runs, keys other than Space are not the reader's to take.
wait_idle() {
    for _ in $(seq 150); do
        xdotool getwindowname "$1" 2>/dev/null | grep -q 'pages)$' && return 0
        sleep 0.1
    done
    return 1
}
# Message boxes are windows of their own, titled with the program's name.
boxes() { { xdotool search --onlyvisible --name '^Tavolex$' 2>/dev/null || true; } | wc -l; }

# Starts the reader with the given arguments; sets wid to its window once the title matches $1.
start() {
    local title=$1
    shift
    "$work/bin/tavolex" "$@" 2>>"$work/reader.log" &
    pid=$!
    wid=""
    for _ in $(seq 200); do
        wid=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -1 || true)
        [ -n "$wid" ] && break
        sleep 0.1
    done
    [ -n "$wid" ] || fail "no reader window titled '$title' appeared"
    sleep 0.5
}
# Keys go to the focused window, as a user's would.
press() {
    xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || xdotool windowfocus --sync "$wid"
    xdotool key "$@"
}
# Waits up to $1 tenths of a second for the reader to end; fails with $2 when it does not.
wait_exit() {
    for _ in $(seq "$1"); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "$2"
    wait "$pid" || true
    pid=""
}
# Ctrl+X and the exit question answered with the keyboard, as a user would.
quit() {
    press ctrl+x
    local question=""
    for _ in $(seq 50); do
        question=$(xdotool search --onlyvisible --name '^Tavolex$' 2>/dev/null | head -1 || true)
        [ -n "$question" ] && break
        sleep 0.1
    done
    [ -n "$question" ] || fail "no exit question appeared"
    xdotool windowactivate --sync "$question" 2>/dev/null || true
    xdotool key Return
    wait_exit 100 "the reader did not exit"
}
with_book='pages)$'

# --- Placement: five starts leave the window where it was, on screen and in the file.
first=""
stored=""
for run in 1 2 3 4 5; do
    start "$with_book" "$book"
    now=$(inner "$wid")
    [ -z "$first" ] && first=$now
    [ "$now" = "$first" ] || fail "start $run placed the window at $now, the first start at $first"
    quit
    if [ -z "$stored" ]; then
        stored=$(stored_window)
    else
        [ "$(stored_window)" = "$stored" ] ||
            fail "start $run stored $(stored_window), the first start $stored"
    fi
done
[ "$stored" = "$first" ] || fail "stored $stored for a window shown at $first"
echo "ok: five starts at $first"

# A maximized window reopens maximized and keeps its normal bounds.
start "$with_book" "$book"
wmctrl -i -r "$wid" -b add,maximized_vert,maximized_horz
sleep 0.5
quit
[ "$(window_key Maximized)" = "Yes" ] || fail "a maximized window was stored as not maximized"
[ "$(stored_window)" = "$stored" ] || fail "maximizing changed the stored bounds to $(stored_window)"
start "$with_book" "$book"
wait_state "$wid" yes MAXIMIZED_HORZ || fail "the window did not reopen maximized"
wmctrl -i -r "$wid" -b remove,maximized_vert,maximized_horz
wait_inner "$wid" "$first" || fail "unmaximized to $(inner "$wid"), not to $first"
echo "ok: maximized start keeps the normal bounds"

# --- F11: full screen at once, back to exactly the previous placement.
# A book long enough that every resize keeps the reader busy for a while: a change the window
# manager makes meanwhile must not leave the reader with a wrong idea of its state.
quit
big=$work/big.txt
"$build/genbook" 4m 6 >"$big"
start "$with_book" "$big"
screen=$(xdotool getdisplaygeometry | awk '{ print "0,0 " $1 "x" $2 }')
press F11
wait_inner "$wid" "$screen" || fail "F11 gave $(inner "$wid"), not the screen $screen"
wait_state "$wid" yes FULLSCREEN || fail "F11 did not enter full screen: $(states "$wid")"
press F11
wait_inner "$wid" "$first" || fail "the second F11 gave $(inner "$wid"), not $first"
wait_state "$wid" no FULLSCREEN || fail "the second F11 did not leave full screen"
# Full screen entered by the window manager: the next F11 leaves it.
wmctrl -i -r "$wid" -b add,fullscreen
wait_inner "$wid" "$screen" || fail "the window manager's full screen was not taken"
wait_state "$wid" yes FULLSCREEN || fail "the window manager's full screen left no state"
wait_idle "$wid" || fail "the reader stayed busy after the window manager's full screen"
sleep 0.5
press F11
wait_inner "$wid" "$first" || fail "F11 after the window manager's full screen gave $(inner "$wid") [$(xdotool getwindowname "$wid") / $(states "$wid") / focus $(xdotool getwindowfocus)]"
# From maximized and back.
wmctrl -i -r "$wid" -b add,maximized_vert,maximized_horz
wait_state "$wid" yes MAXIMIZED_HORZ || fail "the window manager did not maximize"
sleep 0.5
wait_idle "$wid" || fail "the reader stayed busy after maximizing"
maximized=$(inner "$wid")
press F11
wait_inner "$wid" "$screen" || fail "F11 from maximized gave $(inner "$wid")"
press F11
wait_inner "$wid" "$maximized" || fail "F11 back gave $(inner "$wid"), not maximized $maximized"
wait_state "$wid" yes MAXIMIZED_HORZ || fail "F11 back did not keep the window maximized"
wmctrl -i -r "$wid" -b remove,maximized_vert,maximized_horz
wait_inner "$wid" "$first" || fail "unmaximized to $(inner "$wid")"
echo "ok: F11 in and out"

# --- A right click in a page opens the menu centred on the pointer and turns no page.
read -r x y < <(inner "$wid" | awk -F'[, x]' '{ print $1 + 200, $2 + 300 }')
xdotool mousemove "$x" "$y"
sleep 0.2
xdotool click 3
sleep 0.5
import -window root "$work/menu.png"
# The menu's command labels are teal; the page has none.
teal=$(convert "$work/menu.png" -crop "90x120+$((x - 45))+$((y - 60))" +repage -fuzz 15% \
    -fill red -opaque '#008080' -fuzz 0 -fill black +opaque red -fill white -opaque red \
    -format '%[fx:round(mean*w*h)]' info:)
[ "$teal" -gt 100 ] || fail "no menu around the pointer after a right click ($teal teal pixels)"
press Escape
quit
page=$(awk -v section="[$big]" '$0 == section { inside = 1; next } /^\[/ { inside = 0 }
    inside && /^Page=/ { sub(/^Page=/, ""); print }' "$settings")
[ "$page" = "1" ] || fail "the right click turned the page to $page"
echo "ok: right click opens the menu"

# --- Start-up messages appear once, over their window, however often it is resized meanwhile.
launch() {
    "$work/bin/tavolex" "$@" 2>>"$work/reader.log" &
    pid=$!
}
expect_one_message() {
    local what=$1
    local seen=0
    for _ in $(seq 200); do
        seen=$(boxes)
        [ "$seen" -gt 0 ] && break
        sleep 0.1
    done
    [ "$seen" -eq 1 ] || fail "$what: $seen message boxes instead of one"
    local main
    main=$(xdotool search --name '^Tavolex Version' 2>/dev/null | head -1 || true)
    [ -n "$main" ] || fail "$what: no reader window"
    xdotool search --onlyvisible --name '^Tavolex Version' >/dev/null 2>&1 ||
        fail "$what: the message came before its window"
    for size in "700 500" "900 650" "760 560"; do
        # shellcheck disable=SC2086
        xdotool windowsize "$main" $size
        sleep 0.4
        [ "$(boxes)" -eq 1 ] || fail "$what: $(boxes) message boxes after a resize"
    done
    xdotool windowactivate --sync "$(xdotool search --onlyvisible --name '^Tavolex$' | head -1)"
    xdotool key Return
    sleep 1
    [ "$(boxes)" -eq 0 ] || fail "$what: the message came again after it was answered"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=""
}
printf '[Options]\nAuto-open=Yes\n[Last]\nLast read file=%s\n' "$work/gone.txt" >"$settings"
launch
expect_one_message "missing last file"
rm -f "$settings"
head -c 3000 /dev/urandom >"$work/damaged.zip"
printf 'PK\003\004' | dd of="$work/damaged.zip" conv=notrunc status=none
launch "$work/damaged.zip"
expect_one_message "damaged archive"
# --- A long table-of-contents build stops on a real Space, and on a close from the window
# manager. The rule takes some 30 microseconds on each of a million lines: half a minute.
slow=$work/slow.txt
awk 'BEGIN { printf "Chapter 1\r\n\r\n"; for (i = 0; i < 1000000; i++) printf "aaaaaaaaaaab\r\n" }' \
    >"$slow"
printf '[%s]\nRemove line breaks=No\nSections start at=Headings\nHeading rule=^(a+)+$\nAutomatically create TOC=Yes\n' \
    "$slow" >"$settings"
start 'Press Space to abort$' "$slow"
press space
wait_title() {
    for _ in $(seq 50); do
        xdotool getwindowname "$wid" 2>/dev/null | grep -q "$1" && return 0
        sleep 0.1
    done
    return 1
}
wait_title 'pages)$' || fail "Space did not stop the build: $(xdotool getwindowname "$wid")"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=""
start 'Press Space to abort$' "$slow"
wmctrl -i -c "$wid"
wait_exit 50 "a close during the build did not end the reader"
echo "ok: Space and a close stop a long table-of-contents build"
echo "PASS: placement, full screen, right click, start-up messages and long builds on a managed desktop"
