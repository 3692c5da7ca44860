#pragma once

#include <QChar>
#include <QStringView>

#include <vector>

// Whether text needs shaping to be readable: joined Arabic letters, Indic conjuncts, combining
// marks placed on their base, brackets mirrored in right-to-left runs, emoji sequences. Text
// that needs none (Latin, Greek, Cyrillic, CJK ...) can be drawn and measured unshaped, which
// is much faster.
bool needsShaping(QStringView text);

// The scripts of the text's characters from U+0300 up, each once, in order of first appearance;
// Common and Inherited are left out.
std::vector<QChar::Script> scriptsOf(QStringView text);
