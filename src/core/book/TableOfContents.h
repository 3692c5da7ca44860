#pragma once

#include "core/book/ChapterHeadings.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

// Fitted line n (1-based, 1 <= n <= totalLines) of the book being scanned.
using LineSource = std::function<QStringView(int n)>;

// Takes the oldest pending key press out of the queue; true when it was Space.
using AbortKeyPoll = std::function<bool()>;

struct TocSection
{
    int line = 0; // the fitted line the section begins at
    int page = 0;
    QString firstLine;
    QString header; // first line, further header lines, CR LF per run of blank lines, " ..."
};

struct TocInput
{
    int totalLines = 0;
    int linesPerPage = 1;
    int pageCount = 0;
    QString precedingBlankLinesText; // P, as the settings field shows it
    QString headerSizeText;          // H, as the settings field shows it
    bool countBlankLines = true;
    TocSource source = TocSource::BlankLines;
    QString headingRule; // the reader's own rule for the book, added to the built-in ones
    // Fitted line n is a whole line of the working text, not part of a wrapped one; empty when
    // every line is.
    std::function<bool(int n)> wholeLine;
    // Lines the book itself marks as beginning a section (its own notation for headings and
    // page breaks); they begin one whatever the source.
    std::function<bool(int n)> markedSection;
    // Whether fitted line n and the next are one raw line broken at spaces, which the header
    // keeps as one space; unset, lines are joined as they stand.
    std::function<bool(int n)> brokenAtSpace;
};

enum class TocEnd {
    Complete,
    SpaceStopped,
    BadHeaderSize,         // nothing scanned; the caller reports the conversion error
    BadPrecedingBlankLines, // the scan ended silently where P was first needed
    RuleTooSlow             // the reader's own heading rule hit its limit; no table
};

struct TocResult
{
    QList<TocSection> sections;
    TocEnd end = TocEnd::Complete;
    TocSource used = TocSource::BlankLines; // what Automatic settled on, else the source asked for
};

// A line of characters with codes 0 to 32 and ideographic spaces only.
bool isBlankLine(QStringView line);
// Removes characters with codes 0 to 32 and ideographic spaces from both ends.
QString trimBlanks(QStringView text);

// The section scan. sectionFound runs once per section start, for the progress title. Automatic
// scans by blank lines and by headings side by side and keeps the headings' table when the
// headings it accepts are spread over the book (see headingsSpreadOverBook and acceptHeadings).
// A heading begins a section even inside the header of the section before it.
TocResult BuildToc(const TocInput &input, const LineSource &line, const AbortKeyPoll &PollAbortKey,
                   const std::function<void(int n, int page)> &sectionFound = {});

// "TOC section n (page p/P) - Press Space to abort"
QString tocProgressTitle(int section, int page, int pageCount);

// The page the next (forward) or previous section jump lands on; sectionPages in text order.
int sectionJumpTarget(const QList<int> &sectionPages, int currentPage, int pageCount, bool forward);
