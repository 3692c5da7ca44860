#include "core/layout/RawLineBounds.h"

bool FittedLineIsWholeRawLine(const FitPieces &pieces, int n)
{
    for (const FitPiece &piece : pieces) {
        if (!piece.used() || piece.LastLine < n)
            continue;
        const size_t index = static_cast<size_t>(n - piece.FirstLine);
        if (n < piece.FirstLine || index >= piece.lines.size())
            return true;
        const LineSpan span = piece.lines[index];
        const QStringView text(piece.text);
        // Only blanks between the raw line's start and the line: an indent given up is no wrap.
        for (qsizetype i = span.start - 1; i >= 0 && text[i] != u'\n'; --i) {
            if (!text[i].isSpace())
                return false;
        }
        return !span.joinsNext && FittedLineEndsRawLine(pieces, n);
    }
    return true;
}

bool FittedLineEndsRawLine(const FitPieces &pieces, int n)
{
    for (const FitPiece &piece : pieces) {
        if (!piece.used() || piece.LastLine < n)
            continue;
        const size_t index = static_cast<size_t>(n - piece.FirstLine);
        if (n < piece.FirstLine || index >= piece.lines.size())
            return true;
        const LineSpan span = piece.lines[index];
        const QStringView text(piece.text);
        // Blanks at a break hang after the line: a raw line ends where only they stand.
        for (qsizetype i = span.start + span.length; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == u'\r' || c == u'\n')
                return true;
            if (!c.isSpace())
                return false;
        }
        return true;
    }
    return true;
}
