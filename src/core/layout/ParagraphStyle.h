#pragma once

#include <QString>
#include <QStringView>

// How a plain text marks its paragraphs, read from statistics of its lines, and the line-break
// switches that suit it when the reader has not chosen any for the book.
struct ParagraphStyle
{
    enum class Shape {
        TooShort,            // too few lines to tell
        OneParagraphPerLine, // long lines, not wrapped at any width
        ShortLines,          // short lines that are not wrapped prose: verse, a play, lists
        HardWrapped,         // paragraphs broken at a fixed width
    };
    Shape shape = Shape::TooShort;
    // The width in characters a hard-wrapped text is broken at; 0 for the other shapes.
    int wrapWidth = 0;
    bool blankLineParagraphs = false; // paragraphs apart by blank lines
    bool indentedParagraphs = false;  // a paragraph's first line is indented, the others not

    // The initial states of "Remove single line breaks", "Not before indentation" (always on) and
    // "Not after punctuation marks".
    bool removeLineBreaks() const;
    bool keepBeforeIndent() const;
    bool keepAfterPunctuation() const;

    // A line ending this far before the wrap width, counted with the first word of the next
    // line, was not broken by the wrapping: its break is kept. 0 when the text is not wrapped.
    int shortLineLimit() const;

    // "wrapped at 70 characters, paragraphs after blank lines"
    QString description() const;
};

// Looks at lines spread over the whole text, not at every line: a book of hundreds of megabytes
// is judged in a few milliseconds. Lines end in CR LF.
ParagraphStyle detectParagraphStyle(QStringView text);
