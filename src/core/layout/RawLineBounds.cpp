#include "core/layout/RawLineBounds.h"

#include <optional>

namespace {

// The span of fitted line n in its piece; none when no used piece holds it.
std::optional<LineSpan> spanOfLine(const FitPieces &pieces, int n, const FitPiece *&piece)
{
    piece = pieceHoldingLine(pieces, n);
    if (!piece || static_cast<size_t>(n - piece->FirstLine) >= piece->lines.size())
        return std::nullopt;
    return piece->lines[static_cast<size_t>(n - piece->FirstLine)];
}

} // namespace

bool FittedLineIsWholeRawLine(const FitPieces &pieces, int n)
{
    const FitPiece *piece = nullptr;
    const std::optional<LineSpan> span = spanOfLine(pieces, n, piece);
    if (!span)
        return true;
    const QStringView text(piece->text);
    // Only blanks between the raw line's start and the line: an indent given up is no wrap.
    for (qsizetype i = span->start - 1; i >= 0 && text[i] != u'\n'; --i) {
        if (!text[i].isSpace())
            return false;
    }
    return !span->joinsNext && FittedLineEndsRawLine(pieces, n);
}

bool FittedLineEndsRawLine(const FitPieces &pieces, int n)
{
    const FitPiece *piece = nullptr;
    const std::optional<LineSpan> span = spanOfLine(pieces, n, piece);
    if (!span)
        return true;
    const QStringView text(piece->text);
    // Blanks at a break hang after the line: a raw line ends where only they stand.
    for (qsizetype i = span->start + span->length; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n')
            return true;
        if (!c.isSpace())
            return false;
    }
    return true;
}
