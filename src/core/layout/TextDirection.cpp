#include "core/layout/TextDirection.h"

bool startsRightToLeft(QStringView paragraph)
{
    const qsizetype n = paragraph.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = paragraph[i];
        if (c == u'\r' || c == u'\n')
            return false;
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < n && paragraph[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(c, paragraph[++i]);
        switch (QChar::direction(code)) {
        case QChar::DirL:
            return false;
        case QChar::DirR:
        case QChar::DirAL:
            return true;
        default:
            break;
        }
    }
    return false;
}

std::vector<bool> rightToLeftLines(const FitPieces &pieces, int first, int count)
{
    std::vector<bool> result;
    const FitPiece *current = nullptr;
    qint32 previousStart = 0;
    bool rightToLeft = false;
    for (int n = first; n < first + count; ++n) {
        const FitPiece *piece = pieceHoldingLine(pieces, n);
        if (!piece || static_cast<size_t>(n - piece->FirstLine) >= piece->lines.size())
            break;
        const LineSpan span = piece->lines[static_cast<size_t>(n - piece->FirstLine)];
        const QStringView text(piece->text);
        // Lines of one paragraph follow each other: only a line break between them starts anew,
        // so a page looks back for its paragraph's start once.
        const bool sameParagraph =
            piece == current && span.start >= previousStart &&
            !text.mid(previousStart, span.start - previousStart).contains(u'\n');
        if (!sameParagraph) {
            const qsizetype start = text.left(span.start).lastIndexOf(u'\n') + 1;
            rightToLeft = startsRightToLeft(text.mid(start));
        }
        current = piece;
        previousStart = span.start;
        result.push_back(rightToLeft);
    }
    return result;
}
