#pragma once

#include "core/layout/SetOffLines.h"

#include <Qt>

class QTextBlock;
class QTextLayout;

// Headings, centred lines and scene breaks drawn centred in the page, headings in bold: drawing
// only, the page's text and its fitted lines stay as they are.
namespace SetOffLineDrawing {

void mark(QTextBlock block, SetOff kind);
SetOff kindOf(const QTextBlock &block);

// Lays out a set-off block centred in [margin, margin + width], its leading blanks left out of
// the centring; a heading in the bold of the font when the bold line fits within the width,
// else as fitted. False, and the layout untouched, for a block that is not set off.
bool layOut(QTextLayout *layout, const QTextBlock &block, qreal width, qreal margin,
            Qt::LayoutDirection direction);

// Whether the block was laid out bold, for tests.
bool drawnBold(const QTextLayout *layout);

} // namespace SetOffLineDrawing
