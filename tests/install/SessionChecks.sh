# Sourced by the installed-program tests after ReaderSession.sh has run: the title it saw and what
# the reader stored. Needs fail() from the caller.
# Usage: check_session OUT BOOK SETTINGS
check_session() {
    local out=$1 book=$2 settings=$3
    local title
    title=$(cat "$out.title")
    case "$title" in
    "File $book ("*" pt, "*" pages)") ;;
    *) fail "unexpected window title: $title" ;;
    esac
    [ -f "$settings" ] || fail "no settings file in the user's config folder"
    local page
    page=$(awk -v section="[$book]" '
        $0 == section { inside = 1; next }
        /^\[/ { inside = 0 }
        inside && /^Page=/ { sub(/^Page=/, ""); print }' "$settings")
    [ "$page" = "6" ] || fail "stored page is '$page', not 6"
    grep -qxF "Last read file=$book" "$settings" ||
        fail "the book is not the last read file: $(grep "Last read file" "$settings")"
}
