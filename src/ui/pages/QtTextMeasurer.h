#pragma once

#include "core/layout/TextMeasurer.h"

#include <QFont>
#include <QFontMetricsF>

#include <memory>

// Widths in a page font, as the page controls draw it.
class QtTextMeasurer : public TextMeasurer
{
public:
    QtTextMeasurer(const QFont &font, double tabStop);
    double advance(QStringView text) const override;
    // The same measurer for another thread, made on this one: copies of a font share the font
    // engines they load, and two threads would load them into the same place.
    std::unique_ptr<QtTextMeasurer> forAnotherThread() const;
    double tabStopDistance() const override { return tabStop; }
    bool widthsAddUp() const override { return addsUp; }

private:
    QFont font;
    QFontMetricsF metrics;
    double tabStop;
    bool addsUp;
};
