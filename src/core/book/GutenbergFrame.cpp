#include "core/book/GutenbergFrame.h"

#include <QRegularExpression>

namespace {

// Headers are a few pages at most, the old licence included.
constexpr qsizetype kHeaderReach = 100000;

} // namespace

qsizetype gutenbergTextStart(QStringView text)
{
    static const QRegularExpression marker(
        QStringLiteral("^[ \\t]*(?:\\*\\*\\*[ \\t]*START OF (?:THE|THIS) PROJECT GUTENBERG "
                       "E-?BOOK|\\*END\\*?[ \\t]*THE SMALL PRINT!)"),
        QRegularExpression::MultilineOption | QRegularExpression::CaseInsensitiveOption);
    const QStringView head = text.first(std::min(text.size(), kHeaderReach));
    const QRegularExpressionMatch m = marker.match(head);
    if (!m.hasMatch())
        return -1;
    qsizetype at = m.capturedEnd();
    // A long title can carry the marker's closing stars onto the next line.
    const bool starred = m.captured().trimmed().startsWith(u'*') &&
                         !m.captured().contains(QStringLiteral("SMALL PRINT"), Qt::CaseInsensitive);
    if (starred) {
        const qsizetype close = text.indexOf(QStringLiteral("***"), at);
        const qsizetype nextBlank = text.indexOf(QStringLiteral("\r\n\r\n"), at);
        if (close >= 0 && (nextBlank < 0 || close < nextBlank))
            at = close + 3;
    }
    qsizetype line = text.indexOf(QStringLiteral("\r\n"), at);
    while (line >= 0) {
        const qsizetype start = line + 2;
        qsizetype end = text.indexOf(QStringLiteral("\r\n"), start);
        if (end < 0)
            end = text.size();
        for (qsizetype i = start; i < end; ++i) {
            if (text[i].unicode() > 32)
                return start;
        }
        line = end < text.size() ? end : -1;
    }
    return -1;
}

int fittedLineAt(const FitPieces &pieces, QStringView workingText, qsizetype position)
{
    for (const FitPiece &piece : pieces) {
        if (!piece.used() || piece.lines.empty() || piece.source.constData() != workingText.data())
            continue;
        const qsizetype offset = piece.text.constData() - workingText.data();
        if (position < offset || position >= offset + piece.text.size())
            continue;
        const qsizetype inPiece = position - offset;
        // The last line that starts at or before the position.
        size_t low = 0;
        size_t high = piece.lines.size();
        while (high - low > 1) {
            const size_t mid = (low + high) / 2;
            if (piece.lines[mid].start <= inPiece)
                low = mid;
            else
                high = mid;
        }
        return piece.FirstLine + int(low);
    }
    return 0;
}
