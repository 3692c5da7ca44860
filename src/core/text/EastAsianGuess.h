#pragma once

#include <QByteArray>
#include <QByteArrayView>

// For bytes the charset detector gave up on: the East Asian code page - GB18030, BIG5,
// SHIFT_JIS, EUC-JP or EUC-KR, named as the detector names them - in which the bytes decode
// without error into runs of characters, the one whose text holds the largest share of the
// most frequent characters of its language; empty when none does. Latin text with a few
// accented letters never qualifies: its letters stand alone between ASCII letters.
QByteArray guessEastAsianCodePage(QByteArrayView bytes);

// The share (0..1) of the characters above ASCII in text that are among the most frequent
// characters of the language the code page writes; 0 for another code page.
double commonCharacterShare(QStringView text, QByteArrayView codePage);
