#include "core/layout/SetOffLines.h"

namespace {

constexpr qsizetype kLongestSceneBreak = 40;
// Every kind of set-off line is short; a longer raw line is not looked at, nor searched to its
// ends, whatever its length.
constexpr qsizetype kLongestSetOff = 512;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimmedBlanks(QStringView line)
{
    qsizetype first = 0;
    qsizetype last = line.size();
    while (first < last && (isBlank(line[first]) || line[first] == u'\r' || line[first] == u'\n'))
        ++first;
    while (last > first && (isBlank(line[last - 1]) || line[last - 1] == u'\r' ||
                            line[last - 1] == u'\n'))
        --last;
    return line.sliced(first, last - first);
}

} // namespace

bool isSceneBreak(QStringView line)
{
    const QStringView t = trimmedBlanks(line);
    if (t.isEmpty() || t.size() > kLongestSceneBreak)
        return false;
    static const QString marks = QStringLiteral("*#~-=\u00B7\u2022o0");
    qsizetype count = 0;
    bool onlyRounds = true; // "o" and "0" alone could be a word or a number
    for (const QChar c : t) {
        if (isBlank(c))
            continue;
        if (!marks.contains(c))
            return false;
        onlyRounds = onlyRounds && (c == u'o' || c == u'0');
        ++count;
    }
    return !onlyRounds || count >= 3;
}

bool isCentredLine(QStringView line, int wrapWidth)
{
    if (wrapWidth <= 0)
        return false;
    qsizetype lead = 0;
    while (lead < line.size() && line[lead] == u' ')
        ++lead;
    qsizetype end = line.size();
    while (end > lead && (isBlank(line[end - 1]) || line[end - 1] == u'\r' || line[end - 1] == u'\n'))
        --end;
    const qsizetype length = end - lead;
    // Indented verse and quotations start a few blanks in, whatever their length.
    if (length == 0 || lead < 8)
        return false;
    const qsizetype room = wrapWidth - lead - length;
    return room >= 0 && std::abs(lead - room) <= std::max(3, wrapWidth / 10) &&
           !line.sliced(lead, length).contains(u'\t');
}

SetOffLines::SetOffLines(const QString &headingRule, int wrapWidth)
    : headings(headingRule), wrapWidth(wrapWidth)
{
}

SetOff SetOffLines::classify(QStringView rawLine) const
{
    if (isSceneBreak(rawLine))
        return SetOff::SceneBreak;
    if (headings.isHeading(rawLine))
        return SetOff::Heading;
    if (isCentredLine(rawLine, wrapWidth))
        return SetOff::Centred;
    return SetOff::None;
}

std::vector<SetOff> SetOffLines::ofFittedLines(const FitPieces &pieces, int first,
                                               int count) const
{
    std::vector<SetOff> result;
    const FitPiece *current = nullptr;
    qsizetype rawEnd = -1; // where the raw line of the last fitted line ends in its piece
    SetOff kind = SetOff::None;
    for (int n = first; n < first + count; ++n) {
        const FitPiece *piece = pieceHoldingLine(pieces, n);
        if (!piece || static_cast<size_t>(n - piece->FirstLine) >= piece->lines.size())
            break;
        const LineSpan span = piece->lines[static_cast<size_t>(n - piece->FirstLine)];
        const QStringView text(piece->text);
        if (piece != current || span.start > rawEnd) {
            const qsizetype from = std::max<qsizetype>(0, span.start - kLongestSetOff);
            const qsizetype lf = text.sliced(from, span.start - from).lastIndexOf(u'\n');
            const qsizetype start = lf < 0 ? (from == 0 ? 0 : -1) : from + lf + 1;
            const qsizetype reach = std::min(text.size(), qsizetype(span.start) + kLongestSetOff);
            qsizetype end = text.sliced(0, reach).indexOf(u'\r', span.start);
            if (end < 0 && reach == text.size())
                end = text.size();
            kind = start < 0 || end < 0 ? SetOff::None : classify(text.sliced(start, end - start));
            // A long raw line ends somewhere beyond: its next fitted lines are looked at afresh.
            rawEnd = end < 0 ? span.start + span.length : end;
            current = piece;
        }
        result.push_back(kind);
    }
    return result;
}
