#pragma once

#include <QString>
#include <QStringView>

// The built-in heading forms and the other lines the table of contents looks for. Every function
// takes a line trimmed of blanks, short enough to be a heading.

enum class HeadingForm : quint8 {
    None,
    Chapter, // a chapter or a part of one: "CHAPTER XII.", "Erstes Kapitel", "第三回", "Prologue"
    Higher, // a level above chapters, after which their numbers start again: "BOOK II", "Часть
            // первая"
    Bare    // a number alone: "12", "XIV.", "十二"; a heading only in a rising sequence
};

struct HeadingMatch
{
    HeadingForm form = HeadingForm::None;
    // Bare: 1 digits, 2 digits and a dot, 3 Roman, 4 Roman and a dot, 5 Chinese; else 0.
    quint8 style = 0;
    int value = 0; // Bare: the number
    // What stays alike from heading to heading of one kind: the heading word ("chapter", "回") or
    // the bare style; a contents list repeats it.
    QString kind;
    // The heading word and its number ("chapter xii"), for finding a contents entry again.
    QString key;
};

HeadingMatch matchBuiltInHeading(QStringView trimmed);

// "CONTENTS", "Table des matières", "Оглавление", "目录" ...: the title of a contents list.
bool isContentsTitle(QStringView trimmed);

// The line after which a Project Gutenberg text ends and its licence begins.
bool isGutenbergEndMarker(QStringView line);
