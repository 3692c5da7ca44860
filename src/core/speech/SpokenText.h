#pragma once

#include "core/layout/LineFitter.h"

#include <QString>

#include <functional>
#include <optional>

// A place in the fitted lines: line 1..TotalLines, column 0-based in that line.
struct TextPoint
{
    int line = 1;
    int column = 0;
    bool operator==(const TextPoint &) const = default;
    auto operator<=>(const TextPoint &) const = default;
};

// The fitted lines as the voice reads them.
struct SpokenLines
{
    std::function<QStringView(int n)> line;
    // Line n goes on in line n + 1 with no blank between them (broken inside a word or between
    // ideographs).
    std::function<bool(int n)> joinsNext;
    // Line n is the last of its paragraph (a raw line of the text).
    std::function<bool(int n)> endsParagraph;
    int totalLines = 0;
};

struct SpokenSentence
{
    QString text;    // as spoken: the lines joined as copying joins them
    TextPoint start; // its first character
    TextPoint end;   // just after its last character, on the line of that character
    TextPoint next;  // where the search for the following sentence starts
};

// The first sentence at or after `from` that holds a letter or a digit (a row of asterisks is
// passed over); nothing at the end of the text.
std::optional<SpokenSentence> nextSpokenSentence(const SpokenLines &lines, TextPoint from,
                                                 qsizetype maxLength = 400);

