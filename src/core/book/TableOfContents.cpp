#include "core/book/TableOfContents.h"

#include "core/book/HeadingScan.h"
#include "core/book/SettingsValues.h"

namespace {

// The ideographic space indents and pads East Asian lines as spaces do.
bool isBlankChar(QChar c)
{
    return c.unicode() <= 32 || c.unicode() == 0x3000;
}

} // namespace

bool isBlankLine(QStringView line)
{
    for (const QChar c : line) {
        if (!isBlankChar(c))
            return false;
    }
    return true;
}

QString trimBlanks(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlankChar(text[first]))
        ++first;
    while (last > first && isBlankChar(text[last - 1]))
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

TocSection sectionAt(int i, QStringView L, const TocInput &input)
{
    TocSection section;
    section.line = i;
    section.page = (i - 1) / std::max(1, input.linesPerPage) + 1;
    section.firstLine = L.toString();
    section.header = section.firstLine;
    return section;
}

// One way of starting sections, run over the lines: by blank lines, by the accepted headings, or
// by either.
struct SectionScan
{
    bool byBlankLines = false;
    bool byHeadings = false;
    bool failed = false; // P was needed and is not a number
    QList<TocSection> sections;
    int blanks = 0;
    int headerEnd = 0;
    bool headerOpen = false;

    // Returns true when line i begins a section.
    template <typename ReadP, typename IsHeading>
    bool step(int i, QStringView L, bool blank, const TocInput &input, int H, const ReadP &readP,
              const IsHeading &isHeading)
    {
        if (headerOpen && (i > headerEnd || i == input.totalLines)) {
            sections.last().header += QStringLiteral(" ...");
            headerOpen = false;
        }
        // A heading ends the header before it early, unmarked: that section has no more text.
        if (headerOpen && !blank && byHeadings && isHeading())
            headerOpen = false;
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
        const bool heading = byHeadings ? isHeading()
                                        : input.markedSection && input.markedSection(i);
        const bool begins = i == 1 || (byBlankLines && blanks >= *P) || heading;
        if (begins) {
            sections.append(sectionAt(i, L, input));
            headerEnd = H + i - 1;
            headerOpen = true;
        }
        blanks = 0;
        return begins;
    }
};

// The sections that begin at line 1 and at the given lines, each header read as the scan would
// have read it; lines after last were not reached.
QList<TocSection> sectionsAt(const QList<int> &starts, const TocInput &input, int H,
                             const LineSource &line, int last)
{
    QList<int> at = starts;
    if (at.isEmpty() || at.first() != 1)
        at.prepend(1);
    QList<TocSection> sections;
    for (qsizetype s = 0; s < at.size() && at[s] <= last; ++s) {
        const int a = at[s];
        const int next = s + 1 < at.size() ? at[s + 1] : last + 1;
        TocSection section = sectionAt(a, line(a), input);
        int k = H + a - 1;
        for (int i = a + 1; i <= last; ++i) {
            if (i > k || i == input.totalLines) {
                section.header += QStringLiteral(" ...");
                break;
            }
            if (i >= next)
                break;
            const QStringView L = line(i);
            if (!isBlankLine(L)) {
                section.header += L;
            } else {
                section.header = trimBlanks(section.header) + QStringLiteral("\r\n");
                if (!input.countBlankLines)
                    ++k;
            }
        }
        sections.append(section);
    }
    return sections;
}

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
    const TocSource source = input.source;
    const bool automatic = source == TocSource::Automatic;
    // The first pass: the blank-line scan (alone, or beside the headings when automatic) and the
    // heading candidates. Which headings begin sections is known only after it.
    const bool blankFirst = source == TocSource::BlankLines || automatic;
    const bool headings = source != TocSource::BlankLines;
    SectionScan blank;
    blank.byBlankLines = true;
    const HeadingRules rules(headings ? input.headingRule : QString());
    HeadingCollector collector(rules);
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
    const auto never = [] { return false; };

    // Progress counts the blank-line sections until headings are seen in three tenths.
    bool showHeadings = !blankFirst;
    bool blankDropped = false;
    int headingCount = 0;
    bool tenthSeen[10] = {};
    int headingTenths = 0;
    int last = input.totalLines;
    for (int i = 1; i <= input.totalLines; ++i) {
        if (PollAbortKey && PollAbortKey()) {
            result.end = TocEnd::SpaceStopped;
            last = i - 1;
            break;
        }
        const QStringView L = line(i);
        const bool isBlank = isBlankLine(L);
        if (blankFirst && !blank.failed && !blankDropped) {
            if (blank.step(i, L, isBlank, input, H, readP, never) && sectionFound && !showHeadings)
                sectionFound(static_cast<int>(blank.sections.size()), blank.sections.last().page);
            if (blank.failed && !automatic) {
                result.end = TocEnd::BadPrecedingBlankLines;
                break;
            }
        }
        if (headings &&
            collector.add(i, L, isBlank, [&] { return !input.wholeLine || input.wholeLine(i); },
                          input.markedSection && input.markedSection(i)) &&
            collector.candidates().last().match.form != HeadingForm::Bare) {
            ++headingCount;
            const int tenth = static_cast<int>((qint64(i) - 1) * 10 / input.totalLines);
            if (!tenthSeen[tenth]) {
                tenthSeen[tenth] = true;
                showHeadings = showHeadings || ++headingTenths >= 3;
                // Headings will most likely win: the blank-line scan is run again if not.
                if (showHeadings && automatic && !blank.failed) {
                    blank = SectionScan();
                    blankDropped = true;
                }
            }
            if (showHeadings && sectionFound)
                sectionFound(headingCount + 1, (i - 1) / std::max(1, input.linesPerPage) + 1);
        }
        if (rules.customRuleTooSlow()) {
            result.end = TocEnd::RuleTooSlow;
            return result;
        }
    }
    if (result.end == TocEnd::BadPrecedingBlankLines) {
        result.used = TocSource::BlankLines;
        return result;
    }
    if (source == TocSource::BlankLines) {
        result.sections = std::move(blank.sections);
        result.used = TocSource::BlankLines;
        return result;
    }

    const AcceptedHeadings accepted =
        acceptHeadings(collector.candidates(), collector.endMarker(), input.totalLines);
    if (source == TocSource::Headings ||
        (automatic && headingsSpreadOverBook(accepted.headings, input.totalLines))) {
        result.sections = sectionsAt(accepted.starts, input, H, line, last);
        result.used = TocSource::Headings;
        return result;
    }
    if (automatic) {
        if (blankDropped) {
            blank.byBlankLines = true;
            for (int i = 1; i <= last && !blank.failed; ++i) {
                const QStringView L = line(i);
                blank.step(i, L, isBlankLine(L), input, H, readP, never);
            }
        }
        if (blank.failed && result.end != TocEnd::SpaceStopped) {
            // The scan ended where P was first needed: line 1.
            result.end = TocEnd::BadPrecedingBlankLines;
            result.used = TocSource::BlankLines;
            return result;
        }
        result.sections = std::move(blank.sections);
        result.used = TocSource::BlankLines;
        return result;
    }

    // Headings and blank lines: the blank-line scan again, now knowing the headings.
    SectionScan both;
    both.byBlankLines = true;
    both.byHeadings = true;
    qsizetype next = 0;
    for (int i = 1; i <= last; ++i) {
        const QStringView L = line(i);
        while (next < accepted.starts.size() && accepted.starts[next] < i)
            ++next;
        const bool atHeading = next < accepted.starts.size() && accepted.starts[next] == i;
        both.step(i, L, isBlankLine(L), input, H, readP, [atHeading] { return atHeading; });
        if (both.failed) {
            result.end = TocEnd::BadPrecedingBlankLines;
            result.used = TocSource::BlankLines;
            return result;
        }
    }
    result.sections = std::move(both.sections);
    result.used = source;
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
