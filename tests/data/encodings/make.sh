#!/bin/sh
# Regenerates the legacy-encoded copies from the UTF-8 originals beside this script.
set -eu
cd "$(dirname "$0")"
encode() {
    iconv -f UTF-8 -t "$2" "$1.utf8.txt" > "$1.$3.txt"
}
encode russian WINDOWS-1251 cp1251
encode russian KOI8-R koi8r
encode czech ISO-8859-2 iso88592
encode japanese SHIFT_JIS sjis
encode chinese GB18030 gb18030
encode german WINDOWS-1252 cp1252
encode french WINDOWS-1252 cp1252
