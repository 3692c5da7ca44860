#pragma once

#include "core/layout/TextMeasurer.h"

#include <QFont>
#include <QFontMetricsF>

#include <memory>

// Widths in a page font, as the page controls draw it.
class QtTextMeasurer : public TextMeasurer
{
public:
    // sample: characters of the text's scripts beyond Latin, one font of each to try.
    QtTextMeasurer(const QFont &font, double tabStop, QStringView sample = {});
    // The font whose widths are measured: the page font, or the same without hinting where
    // that changes no width, since hinting a glyph only to learn its advance costs ten times
    // more (most of a Chinese book's fitting, one glyph of thousands at a time).
    static QFont measuringFont(const QFont &font, QStringView sample);
    double advance(QStringView text) const override;
    // The same measurer for another thread, made on this one: copies of a font share the font
    // engines they load, and two threads would load them into the same place.
    std::unique_ptr<QtTextMeasurer> forAnotherThread() const;
    const QFont &measuredFont() const { return font; }
    double tabStopDistance() const override { return tabStop; }
    bool widthsAddUp() const override { return addsUp; }

private:
    struct Chosen
    {
    };
    QtTextMeasurer(Chosen, const QFont &font, double tabStop);
    QFont font;
    QFontMetricsF metrics;
    double tabStop;
    bool addsUp;
};
