#pragma once

#include "core/layout/LineFitter.h"

#include <QList>
#include <QString>

#include <vector>

// A raw line of the working text whose every fitted line stands in by `characters` ideographic
// spaces: the line starts with them, and its later fitted lines are drawn that far in.
struct HangingIndent
{
    qsizetype lineStart = 0; // in the working text
    int characters = 0;
};

// Fits the listed raw lines again (sorted by lineStart) after wrapPiece, before the lines are
// numbered: the text after the leading spaces to wrapWidth less the spaces' width, the spaces
// staying on the first fitted line. Every other line is left as it was.
void fitHangingIndents(FitPieces &pieces, const QString &workingText,
                       const QList<HangingIndent> &indents, double wrapWidth,
                       const TextMeasurer &measurer, WordWidthCache &cache,
                       const Hyphenator *hyphenator = nullptr);

// For the numbered fitted lines firstLine .. firstLine + count - 1: how many ideographic spaces
// in each is drawn; 0 for a line that is no later line of a listed raw line.
std::vector<int> hangingIndentsOfLines(const FitPieces &pieces, const QString &workingText,
                                       const QList<HangingIndent> &indents, int firstLine,
                                       int count);
