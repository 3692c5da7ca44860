#pragma once

#include "core/layout/LineFitter.h"

// Fitted line n (1-based) holds a whole raw line: it neither continues the line before it nor
// goes on in the next one. A wrapped tail that reads like a heading is no heading.
bool FittedLineIsWholeRawLine(const FitPieces &pieces, int n);

// Fitted line n is the last of its raw line: nothing but blanks follows it before the line break.
bool FittedLineEndsRawLine(const FitPieces &pieces, int n);
