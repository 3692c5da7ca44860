#pragma once

#include "core/book/ChapterHeadings.h"
#include "core/layout/LineFitter.h"

#include <QStringView>

#include <vector>

// Lines a reader expects set off from the text: drawn centred in the page, headings in bold.
enum class SetOff : quint8 {
    None,
    Heading,    // a line the table of contents takes as a chapter heading
    Centred,    // centred in the source: its leading blanks about balance the room after it
    SceneBreak, // "* * *", "#", "~~~", "-----" and the like
};

// A short line of only "*", "#", "~", "-", "=", "·", "•", "o" or "0" characters and blanks;
// letters or "o"/"0" alone in fewer than three make none.
bool isSceneBreak(QStringView line);

// Centred in a text wrapped at wrapWidth characters; no line is when wrapWidth is 0.
bool isCentredLine(QStringView line, int wrapWidth);

class SetOffLines
{
public:
    // headingRule: the reader's own heading rule for the book, as the table of contents takes
    // it; wrapWidth: the width the book is wrapped at, 0 when it is not.
    SetOffLines(const QString &headingRule, int wrapWidth);

    // A raw line, without its line break.
    SetOff classify(QStringView rawLine) const;

    // Fitted lines first .. first + count - 1 that exist: each takes the kind of the raw line
    // it was fitted from.
    std::vector<SetOff> ofFittedLines(const FitPieces &pieces, int first, int count) const;

private:
    HeadingRules headings;
    int wrapWidth;
};
