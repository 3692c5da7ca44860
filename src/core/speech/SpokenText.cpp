#include "core/speech/SpokenText.h"

#include "core/speech/SentenceSplitter.h"

#include <algorithm>
#include <vector>

namespace {

bool hasWords(QStringView text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.isLetterOrNumber() || c.isMark(); });
}

} // namespace

std::optional<SpokenSentence> nextSpokenSentence(const SpokenLines &lines, TextPoint from,
                                                 qsizetype maxLength)
{
    // Enough text to see the end of a sentence of the longest length and what follows it.
    const qsizetype wanted = maxLength + 64;
    TextPoint at = from;
    while (at.line >= 1 && at.line <= lines.totalLines) {
        // Gather from `at` to the paragraph end or `wanted` characters; where each gathered
        // character came from.
        QString text;
        std::vector<TextPoint> origin;
        TextPoint cursor = at;
        bool paragraphEnd = false;
        while (cursor.line <= lines.totalLines) {
            const QStringView line = lines.line(cursor.line);
            for (qsizetype c = std::min<qsizetype>(cursor.column, line.size()); c < line.size();
                 ++c) {
                text += line[c];
                origin.push_back({cursor.line, static_cast<int>(c)});
            }
            const int n = cursor.line;
            cursor = {n + 1, 0};
            if (lines.endsParagraph(n) || n == lines.totalLines) {
                paragraphEnd = true;
                break;
            }
            if (!lines.joinsNext(n)) {
                text += u' ';
                origin.push_back({n, static_cast<int>(line.size())});
            }
            if (text.size() >= wanted)
                break;
        }
        const std::vector<SentenceSpan> spans = splitSentences(text, maxLength);
        // Only sentences the gathered text holds whole; the last one may go on past it.
        const size_t whole = paragraphEnd ? spans.size() : std::min<size_t>(spans.size(), 1);
        for (size_t s = 0; s < whole; ++s) {
            const SentenceSpan span = spans[s];
            const qsizetype endIndex = span.start + span.length;
            const TextPoint next = endIndex < static_cast<qsizetype>(origin.size())
                                       ? origin[static_cast<size_t>(endIndex)]
                                       : cursor;
            const QStringView spoken = QStringView(text).mid(span.start, span.length);
            if (!hasWords(spoken))
                continue;
            const TextPoint last = origin[static_cast<size_t>(endIndex - 1)];
            return SpokenSentence{spoken.toString(), origin[static_cast<size_t>(span.start)],
                                  TextPoint{last.line, last.column + 1}, next};
        }
        // Nothing to say in this stretch: go on after it.
        if (!paragraphEnd && !spans.empty()) {
            const qsizetype endIndex = spans.front().start + spans.front().length;
            at = endIndex < static_cast<qsizetype>(origin.size())
                     ? origin[static_cast<size_t>(endIndex)]
                     : cursor;
        } else {
            at = cursor;
        }
    }
    return std::nullopt;
}

