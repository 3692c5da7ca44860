#pragma once

#include "core/layout/LineFitter.h"

#include <QStringView>

#include <vector>

// A paragraph takes the direction of its first strong character; one without a strong character
// before its end (CR or LF) reads left to right.
bool startsRightToLeft(QStringView paragraph);

// Whether each of the fitted lines first .. first + count - 1 that exist belongs to a
// right-to-left paragraph: the raw line it was fitted from, so that a paragraph's continuation
// lines keep its direction whatever they start with.
std::vector<bool> rightToLeftLines(const FitPieces &pieces, int first, int count);
