#!/bin/sh
# Regenerates the legacy-encoded copies from the UTF-8 originals beside this script.
# chinese-generated.utf8.txt is the start of `tools/genbook --chinese 400K 1` (ideographs drawn
# from a pool of 3500), cut at a line end where the charset detector gives no answer for it in
# GB18030.
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
# One for every code page a reader can choose.
encode czech WINDOWS-1250 cp1250
encode greek WINDOWS-1253 cp1253
encode turkish WINDOWS-1254 cp1254
encode hebrew WINDOWS-1255 cp1255
encode arabic WINDOWS-1256 cp1256
encode lithuanian WINDOWS-1257 cp1257
encode finnish ISO-8859-1 iso88591
encode russian ISO-8859-5 iso88595
encode greek ISO-8859-7 iso88597
encode estonian ISO-8859-15 iso885915
encode ukrainian KOI8-U koi8u
encode russian CP866 cp866
encode chinese-traditional BIG5 big5
encode japanese EUC-JP eucjp
encode korean EUC-KR euckr
encode russian UTF-16 utf16
encode greek UTF-16BE utf16be
encode chinese-generated GB18030 gb18030
