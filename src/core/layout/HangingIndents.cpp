#include "core/layout/HangingIndents.h"

#include <algorithm>

namespace {

constexpr char16_t kIdeographicSpace = u'\u3000';

qsizetype rawLineEnd(const QString &text, qsizetype start)
{
    const qsizetype end = text.indexOf(QStringLiteral("\r\n"), start);
    return end < 0 ? text.size() : end;
}

// The spaces the line really starts with, at most the indent asked for.
int leadingSpaces(QStringView line, int characters)
{
    int n = 0;
    while (n < characters && n < line.size() && line[n] == kIdeographicSpace)
        ++n;
    return n;
}

} // namespace

void fitHangingIndents(FitPieces &pieces, const QString &workingText,
                       const QList<HangingIndent> &indents, double wrapWidth,
                       const TextMeasurer &measurer, WordWidthCache &cache,
                       const Hyphenator *hyphenator)
{
    if (indents.isEmpty())
        return;
    for (FitPiece &piece : pieces) {
        if (!piece.used() || piece.text.isEmpty())
            continue;
        const qsizetype base = piece.text.constData() - workingText.constData();
        if (base < 0 || base > workingText.size())
            continue;
        const qsizetype size = piece.text.size();
        auto at = std::lower_bound(indents.begin(), indents.end(), base,
                                   [](const HangingIndent &h, qsizetype p) { return h.lineStart < p; });
        if (at == indents.end() || at->lineStart >= base + size)
            continue;
        const QStringView text(piece.text);
        LineSpans rebuilt;
        rebuilt.reserve(piece.lines.size());
        size_t old = 0;
        for (; at != indents.end() && at->lineStart < base + size; ++at) {
            const qsizetype start = at->lineStart - base;
            // Only a raw line's own start: positions inside a line are no line of their own.
            if (start > 0 && !(text[start - 1] == u'\n' && start >= 2 && text[start - 2] == u'\r'))
                continue;
            const qsizetype end = std::min(rawLineEnd(piece.text, start), size);
            const QStringView line = text.sliced(start, end - start);
            const int spaces = leadingSpaces(line, at->characters);
            if (spaces == 0 || spaces == line.size())
                continue;
            while (old < piece.lines.size() && piece.lines[old].start < start)
                rebuilt.push_back(piece.lines[old++]);
            while (old < piece.lines.size() && piece.lines[old].start <= end)
                ++old;
            const double indent = measurer.advance(QString(spaces, kIdeographicSpace));
            LineSpans lines;
            wrapRawLine(line.sliced(spaces), static_cast<qint32>(start + spaces),
                        std::max(1.0, wrapWidth - indent), measurer, cache, lines, hyphenator);
            for (size_t k = 0; k < lines.size(); ++k) {
                LineSpan span = lines[k];
                if (k == 0) {
                    span.start -= spaces;
                    span.length = span.length + spaces;
                }
                rebuilt.push_back(span);
            }
        }
        while (old < piece.lines.size())
            rebuilt.push_back(piece.lines[old++]);
        piece.lines = std::move(rebuilt);
    }
}

std::vector<int> hangingIndentsOfLines(const FitPieces &pieces, const QString &workingText,
                                       const QList<HangingIndent> &indents, int firstLine,
                                       int count)
{
    std::vector<int> result(static_cast<size_t>(std::max(0, count)), 0);
    if (indents.isEmpty())
        return result;
    for (int i = 0; i < count; ++i) {
        const QStringView line = FittedLine(pieces, firstLine + i);
        const qsizetype offset = line.data() - workingText.constData();
        if (line.data() == nullptr || offset <= 0 || offset > workingText.size())
            continue;
        auto at = std::lower_bound(indents.begin(), indents.end(), offset,
                                   [](const HangingIndent &h, qsizetype p) { return h.lineStart < p; });
        if (at == indents.begin())
            continue;
        --at;
        if (offset <= rawLineEnd(workingText, at->lineStart))
            result[size_t(i)] = leadingSpaces(QStringView(workingText).sliced(at->lineStart),
                                              at->characters);
    }
    return result;
}
