#pragma once

#include <QStringView>

#include <vector>

// One sentence of a text: where it starts and how long it is, without the blanks around it.
struct SentenceSpan
{
    qsizetype start = 0;
    qsizetype length = 0;
};

constexpr qsizetype kLongestSpokenSentence = 400;

// Cuts a text into the sentences a voice speaks one by one. A sentence ends at ".", "!", "?",
// "…" (and "؟", "۔", "।") followed by a blank, a line end, the end of the text or a closing
// quote or bracket, which stay with the sentence; at "。", "！", "？" whatever follows, as CJK
// text has no blanks; and always at a line end (a paragraph end). A full stop after a known
// abbreviation ("Mr.", "e.g."), after a single capital (an initial), or before a lower-case
// word ends nothing. A sentence longer than maxLength is cut after the last comma or blank
// within it, else at maxLength, never inside a surrogate pair.
std::vector<SentenceSpan> splitSentences(QStringView text,
                                         qsizetype maxLength = kLongestSpokenSentence);
