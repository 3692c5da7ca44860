#pragma once

#include "core/layout/LineFitter.h"

#include <QStringView>

// Where the book itself begins in a Project Gutenberg text: the first non-blank line after the
// start marker ("*** START OF THE PROJECT GUTENBERG EBOOK ...", "*** START OF THIS PROJECT
// GUTENBERG EBOOK ...", "*END*THE SMALL PRINT! ...*END*"), as a position in the text; -1 when
// the text holds no marker near its start or nothing after it. Lines end in CR LF.
qsizetype gutenbergTextStart(QStringView text);

// The fitted line (1-based) that holds the character at a position of the text the pieces were
// cut from; 0 when no fitted line does.
int fittedLineAt(const FitPieces &pieces, QStringView workingText, qsizetype position);
