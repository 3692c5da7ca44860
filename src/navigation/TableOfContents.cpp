#include "TableOfContents.h"

#include "navigation/SettingsValues.h"

bool isBlankLine(QStringView line)
{
    for (const QChar c : line) {
        if (c.unicode() > 32)
            return false;
    }
    return true;
}

QString trimBlanks(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 32)
        ++first;
    while (last > first && text[last - 1].unicode() <= 32)
        --last;
    return text.mid(first, last - first).toString();
}

QString tocProgressTitle(int section, int page, int pageCount)
{
    return QStringLiteral("TOC section %1 (page %2/%3) - Press Space to abort")
        .arg(section)
        .arg(page)
        .arg(pageCount);
}

TocResult BuildToc(const TocInput &input, const LineSource &line, const AbortKeyPoll &PollAbortKey,
                   const std::function<void(int n, int page)> &sectionFound)
{
    TocResult result;
    // A key already waiting when the build starts is taken out without stopping it.
    if (PollAbortKey)
        PollAbortKey();

    const std::optional<int> headerSize = parseInteger(input.headerSizeText);
    if (!headerSize) {
        result.end = TocEnd::BadHeaderSize;
        return result;
    }
    bool stopped = false;
    result.used = resolveTocSource(input, line, PollAbortKey, &stopped);
    if (stopped) {
        result.end = TocEnd::SpaceStopped;
        return result;
    }
    const bool byBlankLines = result.used != TocSource::Headings;
    const bool byHeadings = result.used != TocSource::BlankLines;
    const HeadingRules rules(byHeadings ? input.headingRule : QString());
    const int H = *headerSize;
    const int lpp = std::max(1, input.linesPerPage);
    std::optional<int> P;
    bool precedingRead = false;

    int blanks = 0;
    int headerEnd = 0;
    bool headerOpen = false;
    for (int i = 1; i <= input.totalLines; ++i) {
        if (PollAbortKey && PollAbortKey()) {
            result.end = TocEnd::SpaceStopped;
            break;
        }
        const QStringView L = line(i);
        if (headerOpen && (i > headerEnd || i == input.totalLines)) {
            result.sections.last().header += QStringLiteral(" ...");
            headerOpen = false;
        }
        const bool blank = isBlankLine(L);
        if (headerOpen) {
            QString &header = result.sections.last().header;
            if (!blank) {
                header += L;
            } else {
                header = trimBlanks(header) + QStringLiteral("\r\n");
                if (!input.countBlankLines)
                    ++headerEnd;
            }
            continue;
        }
        if (blank && i > 1) {
            ++blanks;
            continue;
        }
        // The field is read where the first non-blank line needs it.
        if (byBlankLines && !precedingRead) {
            P = parseInteger(input.precedingBlankLinesText);
            precedingRead = true;
        }
        if (byBlankLines && !P) {
            result.end = TocEnd::BadPrecedingBlankLines;
            break;
        }
        if (i == 1 || (byBlankLines && blanks >= *P) || (byHeadings && rules.isHeading(L))) {
            TocSection section;
            section.line = i;
            section.page = (i - 1) / lpp + 1;
            section.firstLine = L.toString();
            section.header = section.firstLine;
            result.sections.append(section);
            if (sectionFound)
                sectionFound(static_cast<int>(result.sections.size()), section.page);
            headerEnd = H + i - 1;
            headerOpen = true;
        }
        blanks = 0;
    }
    return result;
}

TocSource resolveTocSource(const TocInput &input, const LineSource &line,
                           const AbortKeyPoll &PollAbortKey, bool *stopped)
{
    if (stopped)
        *stopped = false;
    if (input.source != TocSource::Automatic)
        return input.source;
    const HeadingRules rules(input.headingRule);
    bool tenthSeen[10] = {};
    int tenths = 0;
    for (int i = 1; i <= input.totalLines; ++i) {
        if (PollAbortKey && PollAbortKey()) {
            if (stopped)
                *stopped = true;
            break;
        }
        // The same measure as headingsSpreadOverBook, kept as it goes so that it can stop early.
        if (rules.isHeading(line(i))) {
            const int tenth = static_cast<int>((qint64(i) - 1) * 10 / input.totalLines);
            if (!tenthSeen[tenth]) {
                tenthSeen[tenth] = true;
                if (++tenths >= 3)
                    return TocSource::Headings;
            }
        }
    }
    return TocSource::BlankLines;
}

int sectionJumpTarget(const QList<int> &sectionPages, int currentPage, int pageCount, bool forward)
{
    int target = currentPage;
    int candidate = 0;
    for (qsizetype r = 0; r < sectionPages.size(); ++r) {
        const int a = sectionPages[r];
        if (forward || a < currentPage)
            candidate = a;
        if (a > currentPage) {
            target = candidate;
            break;
        }
        if (r == sectionPages.size() - 1)
            target = forward ? pageCount : candidate;
    }
    target = std::min(target, pageCount);
    return std::max(target, 1);
}
