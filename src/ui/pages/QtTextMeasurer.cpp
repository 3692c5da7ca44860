#include "ui/pages/QtTextMeasurer.h"

namespace {

// Letters and pairs whose hinted advances would differ from the design ones if the platform
// hinted advances (full hinting rounds them to pixels). Only characters of the book join
// them: a character of a script the fonts lack sends Qt through every fallback font.
const QString &latinProbe()
{
    static const QString probe = QStringLiteral(
        "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789 .,;:!?'\"-()"
        " AV To Wa Ty fi LT");
    return probe;
}

} // namespace

QFont QtTextMeasurer::measuringFont(const QFont &font, QStringView sample)
{
    // Shaped text takes its advances another way, and its scripts are not all probed.
    if (font.hintingPreference() != QFont::PreferDefaultHinting ||
        !(font.styleStrategy() & QFont::PreferNoShaping))
        return font;
    QFont unhinted = font;
    unhinted.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF hinted(font);
    const QFontMetricsF plain(unhinted);
    const QString probe = latinProbe() + sample.toString();
    if (hinted.horizontalAdvance(probe) != plain.horizontalAdvance(probe))
        return font;
    for (const QChar c : probe) {
        if (hinted.horizontalAdvance(c) != plain.horizontalAdvance(c))
            return font;
    }
    return unhinted;
}

QtTextMeasurer::QtTextMeasurer(const QFont &font, double tabStop, QStringView sample)
    : QtTextMeasurer(Chosen{}, measuringFont(font, sample), tabStop)
{
}

QtTextMeasurer::QtTextMeasurer(Chosen, const QFont &font, double tabStop)
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
    return std::unique_ptr<QtTextMeasurer>(new QtTextMeasurer(Chosen{}, own, tabStop));
}
