#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the installed files, then starts the
# installed reader on a desktop with a window manager (tools/desktop.sh) as a user who cannot
# write to its bin/ folder, turns pages with real key events, exits with Ctrl+X and checks the
# title and the stored page.
# Usage: InstalledSmoke.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
for tool in Xvfb openbox xdotool appstreamcli desktop-file-validate; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done
fail() { echo "FAIL: $*" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/tavolex share/tavolex/Help.txt share/applications/org.tavolex.Tavolex.desktop \
    share/metainfo/org.tavolex.Tavolex.metainfo.xml \
    share/icons/hicolor/scalable/apps/org.tavolex.Tavolex.svg; do
    [ -f "$prefix/$file" ] || fail "$file was not installed"
done
appstreamcli validate --no-net "$prefix/share/metainfo/org.tavolex.Tavolex.metainfo.xml" ||
    fail "the metainfo file does not validate"
desktop-file-validate "$prefix/share/applications/org.tavolex.Tavolex.desktop" ||
    fail "the desktop entry does not validate"
grep -qx 'Exec=tavolex %f' "$prefix/share/applications/org.tavolex.Tavolex.desktop" ||
    fail "the desktop entry does not start tavolex with a file"

tavolex=$prefix/bin/tavolex
[ "$("$tavolex" --version)" = "Tavolex $version" ] || fail "--version printed the wrong text"
"$tavolex" --help | grep -q -- '--version' || fail "--help does not name --version"
set +e
"$tavolex" --bogus >"$work/stdout" 2>"$work/stderr"
rc=$?
set -e
[ $rc -eq 2 ] || fail "an unknown option exited with $rc, not 2"
grep -q "unknown option '--bogus'" "$work/stderr" || fail "an unknown option was not named"
[ ! -s "$work/stdout" ] || fail "an unknown option printed to standard output"

# A user who cannot write to bin/: nobody when run as root, else bin/ made read-only.
home=$work/home
out=$work/out
mkdir -p "$home" "$work/books" "$out"
runas=()
if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$home" "$out"
    runas=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    # A sanitizer build reads its suppressions as that user too; the checkout may be private.
    lsan=()
    IFS=: read -r -a lsan <<<"${LSAN_OPTIONS:-}"
    for i in "${!lsan[@]}"; do
        if [[ ${lsan[$i]} == suppressions=* ]]; then
            install -m 644 "${lsan[$i]#suppressions=}" "$work/lsan.supp"
            lsan[$i]="suppressions=$work/lsan.supp"
        fi
    done
    [ ${#lsan[@]} -eq 0 ] || export LSAN_OPTIONS="$(IFS=:; echo "${lsan[*]}")"
else
    chmod a-w "$prefix/bin"
fi
book="$work/books/Smoke book [1] = Büchlein.txt"
"$build/genbook" 300k 11 >"$book"
chmod a+r "$book"

install -m 755 "$(dirname "$0")/ReaderSession.sh" "$work/session.sh"
bash "$(dirname "$0")/../../tools/desktop.sh" \
    "${runas[@]}" env -u XDG_CONFIG_HOME -u QT_QPA_PLATFORM HOME="$home" \
    bash "$work/session.sh" "$tavolex" "$book" "$out/session" || { cat "$out/session.log" >&2 || true; fail "the session on Xvfb failed"; }

source "$(dirname "$0")/SessionChecks.sh"
check_session "$out/session" "$book" "$home/.config/tavolex/Tavolex.ini"
[ ! -e "$prefix/bin/Tavolex.ini" ] || fail "a settings file was written beside the program"
echo "PASS: installed reader opened the book, turned to page 6 and stored it"
