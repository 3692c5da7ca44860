#pragma once

#include "core/book/ChapterHeadings.h"

#include <QList>
#include <QStringView>

#include <functional>

// A line that may begin a section; which ones do is decided once the whole book is seen.
struct HeadingCandidate
{
    int line = 0;
    HeadingMatch match;
    bool contentsTitle = false;
    // Non-blank lines between the previous candidate and this one: none or one in a contents list.
    int proseBefore = 0;
};

// Gathers the candidates line by line, beside the blank-line scan.
class HeadingCollector
{
public:
    explicit HeadingCollector(const HeadingRules &rules) : rules(rules) {}

    // wholeLine tells whether line i is a whole line of the working text; it is asked only of
    // lines that read as headings. marked: the book's own notation makes line i a heading.
    // Returns true when line i became a candidate.
    bool add(int i, QStringView L, bool blank, const std::function<bool()> &wholeLine,
             bool marked = false);

    const QList<HeadingCandidate> &candidates() const { return found; }
    // The line of the Project Gutenberg end marker, 0 when there is none.
    int endMarker() const { return marker; }

private:
    const HeadingRules &rules;
    QList<HeadingCandidate> found;
    int prose = 0;
    int marker = 0;
};

struct AcceptedHeadings
{
    // The lines that begin sections, ascending: headings, and one line for each contents list and
    // for the licence after the end marker.
    QList<int> starts;
    // The headings among them, to judge whether they are spread over the book.
    QList<int> headings;
};

// Leaves out the lines of contents lists, everything after the end marker, and bare numbers that
// are not part of a rising sequence spread over the book.
AcceptedHeadings acceptHeadings(const QList<HeadingCandidate> &candidates, int endMarker,
                                int totalLines);
