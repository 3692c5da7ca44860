#include "ui/pages/QtTextMeasurer.h"

QtTextMeasurer::QtTextMeasurer(const QFont &font, double tabStop)
    : font(font), metrics(font), tabStop(tabStop),
      // Without shaping Qt gives these scripts one glyph per character, each with its own
      // advance; kerning and spacing are what could make a pair differ from its parts.
      addsUp(!font.kerning() && (font.styleStrategy() & QFont::PreferNoShaping) &&
             font.letterSpacing() == 0 && font.wordSpacing() == 0)
{
}

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
