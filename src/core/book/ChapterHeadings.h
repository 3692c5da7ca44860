#pragma once

#include "core/book/HeadingForms.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringView>

// Where the table of contents starts its sections.
enum class TocSource {
    Automatic,            // headings when they are found spread over the book, else blank lines
    BlankLines,           // a run of blank lines before a line, as the table always did
    Headings,             // a line that reads as a chapter heading
    HeadingsAndBlankLines // either
};

// The texts stored in the settings file and shown in the choice, in enum order.
QString tocSourceKey(TocSource source);
// Unknown or empty text gives Automatic, so that a hand-edited file still opens.
TocSource tocSourceFromKey(const QString &key);
QString tocSourceCaption(TocSource source);

// Why a rule the reader typed cannot be used; empty when it can.
QString headingRuleError(const QString &pattern);

// Tells the reader that their rule met a line it could not decide within its limit.
QString headingRuleTooSlowMessage(const QString &pattern);

// The built-in heading rules plus one optional rule the reader typed for the book.
class HeadingRules
{
public:
    // An invalid custom rule is left out; headingRuleError tells the reader why.
    explicit HeadingRules(const QString &customRule = {});

    // line as fitted; it is trimmed here.
    bool isHeading(QStringView line) const;
    // The custom rule gave up on a line at its match limit (such a line counts as no heading),
    // or has taken seconds at a cost per line that a book of a million lines cannot afford.
    bool customRuleTooSlow() const { return tooSlow; }
    // What kind of heading the line is; a bare number is one only in a sequence (see BuildToc).
    HeadingMatch match(QStringView line) const;

private:
    QRegularExpression custom;
    mutable bool tooSlow = false;
    mutable qint64 customNanoseconds = 0;
    mutable qint64 customLines = 0;
};

// A line longer than this is prose, whatever it begins with.
constexpr qsizetype kMaxHeadingLength = 60;

// At least three headings in three different tenths of the book: a list of chapters at its
// start alone does not make the book one of headings.
bool headingsSpreadOverBook(const QList<int> &headingLines, int totalLines);
