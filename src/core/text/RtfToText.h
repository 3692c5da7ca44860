#pragma once

#include <QByteArray>
#include <QString>

// Interprets RTF source in one pass and returns its visible text, not yet trimmed:
// - "\par", "\line", "\sect", "\page" and "\row" end a line with CR LF; "\tab" and "\cell"
//   give a tab (the tab of a row's last cell is dropped).
// - "\'hh" bytes are decoded in the code page of the current font's "\fcharset" (or "\cpg"),
//   else of "\ansicpg"; "\uN" with "\ucN" fallback skipping; "\binN" data is skipped.
// - "\~" is U+00A0 (it keeps two words together when lines are fitted), "\-" is dropped,
//   "\_" is "-".
// - Hidden text ("\v"), field instructions, pictures, objects, headers and footers, tables of
//   fonts, colours, styles and lists, document information and every "\*" destination this
//   interpreter does not know are left out; a field shows its result.
// - Footnotes and endnotes are kept: their reference becomes "[n]" in the text and their text
//   is gathered, in order, after a blank line at the end of the document.
// - Characters below 32 other than those CR LF and tabs are dropped; a NUL does not end RTF.
// - Interpretation ends at the brace that closes the document group; unbalanced or truncated
//   input yields the text read so far. Nesting depth costs no stack.
// Bytes that do not begin with "{\rtf" (after blanks or a UTF-8 byte-order mark) are not RTF:
// they are decoded as a plain-text document, lines ended by CR LF.
QString RtfToText(const QByteArray &rtf);
