#include "QtTextMeasurer.h"

double QtTextMeasurer::advance(QStringView text) const
{
    // fromRawData avoids copying the word: the view outlives this call.
    return metrics.horizontalAdvance(QString::fromRawData(text.data(), text.size()));
}

std::unique_ptr<QtTextMeasurer> QtTextMeasurer::forAnotherThread() const
{
    // Changing a setting gives the copy data of its own; setting it back leaves the font as it was.
    QFont own = font;
    own.setKerning(!font.kerning());
    own.setKerning(font.kerning());
    return std::make_unique<QtTextMeasurer>(own, tabStop);
}
