#pragma once

#include "layout/TextMeasurer.h"

#include <QFont>
#include <QFontMetricsF>

// Widths in a page font, as the page controls draw it.
class QtTextMeasurer : public TextMeasurer
{
public:
    QtTextMeasurer(const QFont &font, double tabStop) : metrics(font), tabStop(tabStop) {}
    double advance(QStringView text) const override;
    double tabStopDistance() const override { return tabStop; }

private:
    QFontMetricsF metrics;
    double tabStop;
};
