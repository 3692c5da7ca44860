#include "core/book/TableOfContents.h"

#include "core/book/SettingsValues.h"

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

namespace {

// One way of starting sections, run over the lines. Automatic runs the blank-line and the
// heading scan side by side, so that the book is read once whichever wins.
struct SectionScan
{
    bool byBlankLines = false;
    bool byHeadings = false;
    bool failed = false; // P was needed and is not a number
    QList<TocSection> sections;
    int blanks = 0;
    int headerEnd = 0;
    bool headerOpen = false;
    bool tenthSeen[10] = {};
    int headingTenths = 0; // tenths of the book in which a heading began a section

    // Returns true when line i begins a section.
    template <typename ReadP, typename IsHeading>
    bool step(int i, QStringView L, bool blank, const TocInput &input, int H, const ReadP &readP,
              const IsHeading &isHeading)
    {
        if (headerOpen && (i > headerEnd || i == input.totalLines)) {
            sections.last().header += QStringLiteral(" ...");
            headerOpen = false;
        }
        if (headerOpen) {
            QString &header = sections.last().header;
            if (!blank) {
                if (input.brokenAtSpace && input.brokenAtSpace(i - 1))
                    header += u' ';
                header += L;
            } else {
                header = trimBlanks(header) + QStringLiteral("\r\n");
                if (!input.countBlankLines)
                    ++headerEnd;
            }
            return false;
        }
        if (blank && i > 1) {
            ++blanks;
            return false;
        }
        const std::optional<int> P = byBlankLines ? readP() : std::nullopt;
        if (byBlankLines && !P) {
            failed = true;
            return false;
        }
        const bool heading = byHeadings && isHeading();
        const bool begins = i == 1 || (byBlankLines && blanks >= *P) || heading;
        if (begins) {
            TocSection section;
            section.line = i;
            section.page = (i - 1) / std::max(1, input.linesPerPage) + 1;
            section.firstLine = L.toString();
            section.header = section.firstLine;
            sections.append(section);
            headerEnd = H + i - 1;
            headerOpen = true;
            if (heading) {
                const int tenth = static_cast<int>((qint64(i) - 1) * 10 / input.totalLines);
                if (!tenthSeen[tenth]) {
                    tenthSeen[tenth] = true;
                    ++headingTenths;
                }
            }
        }
        blanks = 0;
        return begins;
    }
};

} // namespace

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
    const int H = *headerSize;
    const bool automatic = input.source == TocSource::Automatic;
    // blank: the blank-line scan, or the only scan; headed: the heading scan beside it.
    SectionScan blank;
    SectionScan headed;
    blank.byBlankLines = input.source != TocSource::Headings;
    blank.byHeadings =
        input.source == TocSource::Headings || input.source == TocSource::HeadingsAndBlankLines;
    headed.byHeadings = true;
    bool both = automatic;
    SectionScan *shown = &blank; // the scan whose table the progress title counts
    const HeadingRules rules(blank.byHeadings || automatic ? input.headingRule : QString());
    std::optional<int> P;
    bool precedingRead = false;
    // The field is read where the first non-blank line needs it.
    const auto readP = [&] {
        if (!precedingRead) {
            P = parseInteger(input.precedingBlankLinesText);
            precedingRead = true;
        }
        return P;
    };

    for (int i = 1; i <= input.totalLines; ++i) {
        if (PollAbortKey && PollAbortKey()) {
            result.end = TocEnd::SpaceStopped;
            break;
        }
        const QStringView L = line(i);
        const bool isBlank = isBlankLine(L);
        int heading = -1; // worked out once a line, and only when a scan asks
        const auto isHeading = [&] {
            if (heading < 0)
                heading = rules.isHeading(L) ? 1 : 0;
            return heading == 1;
        };
        if (shown == &blank && !blank.failed) {
            if (blank.step(i, L, isBlank, input, H, readP, isHeading) && sectionFound)
                sectionFound(static_cast<int>(blank.sections.size()), blank.sections.last().page);
            if (blank.failed && !both) {
                result.end = TocEnd::BadPrecedingBlankLines;
                break;
            }
        }
        if (both) {
            if (headed.step(i, L, isBlank, input, H, readP, isHeading) && shown == &headed &&
                sectionFound)
                sectionFound(static_cast<int>(headed.sections.size()), headed.sections.last().page);
            // Headings spread over three tenths decide it; the blank-line scan is dropped.
            if (headed.headingTenths >= 3 && shown == &blank) {
                shown = &headed;
                blank = SectionScan();
                if (sectionFound && !headed.sections.isEmpty())
                    sectionFound(static_cast<int>(headed.sections.size()),
                                 headed.sections.last().page);
            }
        }
    }
    if (shown == &blank && blank.failed && result.end != TocEnd::SpaceStopped)
        result.end = TocEnd::BadPrecedingBlankLines;
    if (result.end == TocEnd::BadPrecedingBlankLines) {
        // The scan ended where P was first needed: line 1.
        result.used = TocSource::BlankLines;
        return result;
    }
    result.sections = std::move(shown->sections);
    result.used = shown == &headed ? TocSource::Headings
                  : automatic      ? TocSource::BlankLines
                                   : input.source;
    return result;
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
