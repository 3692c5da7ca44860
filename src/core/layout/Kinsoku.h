#pragma once

#include <QStringView>

#include <vector>

// Line-break opportunities inside a run of Chinese or Japanese text without spaces, from a
// small table instead of the full Unicode line-break analysis: ideographs and kana break
// between any two characters, except that a line does not start with closing punctuation, a
// prolonged-sound mark, a small kana or "!?", nor end with opening punctuation; quotation
// marks, two dashes, and letters and digits hold together. The answers are those of
// QTextBoundaryFinder for the same run.
//
// Appends offset + the end of each unit of `run` (each position a line may end at, and the
// run's end) to `ends` and returns true; returns false and leaves `ends` as it was when the
// run holds a character the table does not cover (Thai and other scripts, most punctuation).
bool kinsokuUnitEnds(QStringView run, qsizetype offset, std::vector<qsizetype> &ends);

// The table's class of a character, for tests.
enum class KinsokuClass : unsigned char {
    Other,   // not covered
    Ideograph,
    Opening, // no break after
    Closing, // no break before
    Quote,   // no break on either side
    Dash,    // no break between two
    Letter,  // Latin letters and digits: no break between two
};
KinsokuClass kinsokuClassOf(char16_t c);
