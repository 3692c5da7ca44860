#pragma once

#include <QChar>
#include <QStringView>

#include <vector>

// Whether text needs shaping to be readable: joined Arabic letters, Indic conjuncts, combining
// marks placed on their base, brackets mirrored in right-to-left runs, emoji sequences. Text
// that needs none (Latin, Greek, Cyrillic, CJK ...) can be drawn and measured unshaped, which
// is much faster.
bool needsShaping(QStringView text);

// The scripts of the text's characters from U+0300 up, each once, in order of first appearance;
// Common and Inherited are left out.
std::vector<QChar::Script> scriptsOf(QStringView text);

// Both answers in one pass over the text.
struct TextScripts
{
    bool shaping = false;
    std::vector<QChar::Script> scripts;
    std::vector<qsizetype> firstAt; // where each script's first character is
};
TextScripts textScriptsOf(QStringView text);

// One character's answers as the passes above use them, from tables built once out of Qt's
// character properties.
struct CharScript
{
    QChar::Script script = QChar::Script_Unknown;
    bool shaping = false;
};
CharScript charScriptOf(char32_t c);
// The same answer asked of Qt's properties directly: what the tables are built from.
bool characterNeedsShaping(char32_t c);
