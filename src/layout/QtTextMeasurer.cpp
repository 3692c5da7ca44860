#include "QtTextMeasurer.h"

double QtTextMeasurer::advance(QStringView text) const
{
    // fromRawData avoids copying the word: the view outlives this call.
    return metrics.horizontalAdvance(QString::fromRawData(text.data(), text.size()));
}
