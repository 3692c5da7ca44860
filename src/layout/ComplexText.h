#pragma once

#include <QStringView>

// Whether text needs shaping to be readable: joined Arabic letters, Indic conjuncts, combining
// marks placed on their base, brackets mirrored in right-to-left runs, emoji sequences. Text
// that needs none (Latin, Greek, Cyrillic, CJK ...) can be drawn and measured unshaped, which
// is much faster.
bool needsShaping(QStringView text);
