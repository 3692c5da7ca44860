#!/usr/bin/env bash
# Makes the Debian package of the build with CPack, checks its fields and files and runs
# lintian on it, installs it into this machine with dpkg, starts /usr/bin/tavolex on a book as
# an unprivileged user on a desktop (tools/desktop.sh), checks the title and the settings in
# that user's ~/.config/tavolex/, then removes the package and checks that none of its files
# is left. The package is removed again however the test ends.
# Usage: PackageSmoke.sh BUILD_DIR VERSION SANITIZE(0|1)
set -euo pipefail
build=$1
version=$2
sanitize=${3:-0}
here=$(cd "$(dirname "$0")" && pwd)
skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

[ "$sanitize" = 0 ] || skip "a sanitizer build is not packaged; the normal build's test installs the package"
[ "$(id -u)" -eq 0 ] || skip "installing the package into the machine needs root"
for tool in cpack dpkg dpkg-deb dpkg-query dpkg-shlibdeps lintian Xvfb openbox xdotool setpriv; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (tools/deps.sh lists it)"
done
status=$(dpkg-query -W -f='${db:Status-Status}' tavolex 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] ||
    skip "a tavolex package is on this machine already ($status); it is left alone"

work=$(mktemp -d)
chmod 755 "$work"
started=${EPOCHREALTIME/./}
step() {
    local tenths=$(((${EPOCHREALTIME/./} - started) / 100000))
    echo "$((tenths / 10)).$((tenths % 10)) s: $*"
}
installed=0
# Runs dpkg, waiting up to 20 s while another program holds its lock; 75 when it stays locked.
run_dpkg() {
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        DEBIAN_FRONTEND=noninteractive dpkg "$@" >"$work/dpkg.log" 2>&1 && return 0
        grep -q 'is locked\|was locked' "$work/dpkg.log" || return 1
        sleep 2
    done
    return 75
}
cleanup() {
    if [ "$installed" = 1 ] && ! run_dpkg -r tavolex; then
        cat "$work/dpkg.log" >&2
        echo "could not remove the tavolex package: run dpkg -r tavolex" >&2
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# --- the package
arch=$(dpkg --print-architecture)
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack could not make the package"; }
deb=$work/pkg/tavolex_${version}_${arch}.deb
[ -f "$deb" ] || fail "cpack made no $(basename "$deb"): $(ls "$work/pkg")"

step "package made"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tavolex ] || fail "package name '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "package version '$(field Version)'"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
[ -n "$(field Section)" ] || fail "no section"
[ "$(field Description | wc -l)" -gt 2 ] || fail "no long description"
# Found by dpkg-shlibdeps from the binary: Qt Widgets and the libraries the core links.
depends=$(field Depends)
for library in libc6 libqt6widgets6 libzip4 libuchardet0; do
    tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -qx "$library" ||
        fail "Depends lacks $library: $depends"
done
recommends=$(field Recommends)
for speech in qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng espeak-ng; do
    [[ $recommends == *$speech* ]] || fail "Recommends lacks $speech: $recommends"
    [[ $depends != *$speech* ]] || fail "$speech is a dependency, not a recommendation"
done

# Regular files and symbolic links of the package, as absolute paths.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -n 's|^\./|/|; /[^/]$/p' >"$work/files"
for file in /usr/bin/tavolex /usr/share/tavolex/Help.txt \
    /usr/share/applications/org.tavolex.Tavolex.desktop \
    /usr/share/metainfo/org.tavolex.Tavolex.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/org.tavolex.Tavolex.svg \
    /usr/share/man/man1/tavolex.1.gz /usr/share/doc/tavolex/copyright \
    /usr/share/doc/tavolex/changelog.gz; do
    grep -qxF "$file" "$work/files" || fail "the package lacks $file"
done
grep -v '^/usr/' "$work/files" && fail "the package puts files outside /usr"

step "files and fields checked"
# Errors and warnings of lintian fail the test; its remarks are listed for whoever reads the log.
setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$work" \
    lintian --fail-on error,warning --display-info --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log" >&2; fail "lintian reports errors or warnings"; }
cat "$work/lintian.log"

step "lintian done"
# Removal must leave nothing behind: the files of the package, and the folders it made.
while read -r file; do
    if [ -e "$file" ] || [ -L "$file" ]; then
        skip "$file is on this machine already; the package would overwrite it"
    fi
done <"$work/files"
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -n 's|^\./\(.\+\)/$|/\1|p' | while read -r dir; do
    [ -d "$dir" ] || echo "$dir"
done >"$work/new-dirs"

# --- installing
export DEBIAN_FRONTEND=noninteractive
installed=1
rc=0
run_dpkg -i "$deb" || rc=$?
if [ $rc -eq 75 ]; then
    installed=0
    skip "dpkg stayed locked by another program: $(head -1 "$work/dpkg.log")"
fi
[ $rc -eq 0 ] || { cat "$work/dpkg.log" >&2; fail "dpkg -i failed"; }
step "installed"
[ "$(dpkg-query -W -f='${Status}' tavolex)" = "install ok installed" ] ||
    fail "the package is not installed after dpkg -i"
[ "$(/usr/bin/tavolex --version)" = "Tavolex $version" ] || fail "/usr/bin/tavolex --version"
man -l /usr/share/man/man1/tavolex.1.gz 2>/dev/null | grep -q -- '--toc' ||
    fail "the manual page does not describe --toc"

# --- the installed reader, started as a user on a desktop
home=$work/home
out=$work/out
mkdir -p "$home" "$work/books" "$out"
chown nobody "$home" "$out"
book="$work/books/Package book [2] = Bücher.txt"
"$build/genbook" 200k 12 >"$book"
chmod a+r "$book"
install -m 755 "$here/ReaderSession.sh" "$work/session.sh"
bash "$here/../../tools/desktop.sh" \
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env -u XDG_CONFIG_HOME -u QT_QPA_PLATFORM HOME="$home" \
    bash "$work/session.sh" /usr/bin/tavolex "$book" "$out/session" ||
    { cat "$out/session.log" >&2 || true; fail "the session on Xvfb failed"; }
step "session done"
source "$here/SessionChecks.sh"
check_session "$out/session" "$book" "$home/.config/tavolex/Tavolex.ini"

# --- removing
run_dpkg -r tavolex || { cat "$work/dpkg.log" >&2; fail "dpkg -r failed"; }
installed=0
step "removed"
status=$(dpkg-query -W -f='${db:Status-Status}' tavolex 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "the package is '$status' after dpkg -r"
left=()
while read -r path; do
    if [ -e "$path" ] || [ -L "$path" ]; then left+=("$path"); fi
done < <(cat "$work/files" "$work/new-dirs")
[ ${#left[@]} -eq 0 ] || fail "dpkg -r left behind: ${left[*]}"
echo "PASS: $(basename "$deb") ($(stat -c %s "$deb") bytes) installed, opened the book at page 6 as" \
    "nobody, and was removed without a trace"
