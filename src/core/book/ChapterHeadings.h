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

// The built-in heading rules plus one optional rule the reader typed for the book.
class HeadingRules
{
public:
    // An invalid custom rule is left out; headingRuleError tells the reader why.
    explicit HeadingRules(const QString &customRule = {});

    // line as fitted; it is trimmed here.
    bool isHeading(QStringView line) const;
    // What kind of heading the line is; a bare number is one only in a sequence (see BuildToc).
    HeadingMatch match(QStringView line) const;

private:
    QRegularExpression custom;
};

// A line longer than this is prose, whatever it begins with.
constexpr qsizetype kMaxHeadingLength = 60;

// At least three headings in three different tenths of the book: a list of chapters at its
// start alone does not make the book one of headings.
bool headingsSpreadOverBook(const QList<int> &headingLines, int totalLines);
