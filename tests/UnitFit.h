#pragma once

#include "core/layout/LineFitter.h"

// Every character one unit wide.
class UnitMeasurer : public TextMeasurer
{
public:
    double advance(QStringView text) const override { return double(text.size()); }
    double tabStopDistance() const override { return 8; }
};

// The text cut into pieces and every piece wrapped to width units, the lines numbered.
inline FitPieces unitFit(const QString &text, double width)
{
    FitPieces pieces;
    cutIntoPieces(text, pieces);
    const UnitMeasurer measurer;
    WordWidthCache cache;
    for (FitPiece &piece : pieces) {
        if (piece.used())
            wrapPiece(piece, width, measurer, cache);
    }
    numberFittedLines(pieces);
    return pieces;
}
