#pragma once

#include <QByteArrayView>
#include <QString>

// Shift_JIS as Windows-31J, decoded through a table taken from the system's own converter, so
// that the text is the one that converter gives, character for character. Long texts are
// decoded in parts on up to `threads` threads, cut after line feeds (never a second byte).
// False, and `out` untouched, when the bytes hold anything the table does not decode (a byte
// that is no character, a lead byte without its second byte): the caller then asks the
// converter itself, which says how such bytes decode.
bool decodeShiftJisQuickly(QByteArrayView bytes, QString &out, int threads = 1);
