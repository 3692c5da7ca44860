#pragma once

#include <QString>

#include <functional>
#include <vector>

// The default set, in the order the settings file stores it.
inline const QString DefaultPunctuationMarks = QStringLiteral(
    u".:;!?\u00BF\u00A1\u2039\u203A\u00AB\u00BB\"\u201C\u201D\u201E\u2018\u2019\u00B4'");

struct LineBreakRules
{
    // Einzug: keep a break before a line that starts with a space or a TAB.
    bool keepBeforeIndent = true;
    // Punctuation: keep a break after a character of punctuationMarks (trailing spaces aside).
    bool keepAfterPunctuation = false;
    QString punctuationMarks = DefaultPunctuationMarks;
    // "Not after short lines": keep a break after a line that, with a space and the first word
    // of the next line, would still be at most this many characters long; such a line was not
    // broken by wrapping. 0 keeps none.
    int shortLineLimit = 0;
};

// Joins the lines of each paragraph: a CR LF that follows text is replaced by one space (none
// after a space, before a space, after a hyphen attached to a word, or between two characters of
// scripts written without spaces: Han, kana, Thai ...) unless the rules keep it.
// progress receives 10, 20, ... while scanning (at most 100) and 100 at the end; it is not
// called for texts shorter than three characters, which stay unchanged.
// joins, when given, receives for each removed break its position in the joined text times
// two, plus one where a space took its place: enough to put the breaks back.
void RemoveSingleLineBreaks(QString &text, const LineBreakRules &rules,
                            const std::function<void(int percent)> &progress = {},
                            std::vector<qsizetype> *joins = nullptr);
