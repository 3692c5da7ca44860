#include "ui/pages/SetOffLineDrawing.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextLayout>

namespace {

class SetOffData : public QTextBlockUserData
{
public:
    explicit SetOffData(SetOff kind) : kind(kind) {}
    SetOff kind;
};

constexpr Qt::Alignment kCentred = Qt::AlignHCenter | Qt::AlignAbsolute;

} // namespace

namespace SetOffLineDrawing {

void mark(QTextBlock block, SetOff kind)
{
    block.setUserData(kind == SetOff::None ? nullptr : new SetOffData(kind));
}

SetOff kindOf(const QTextBlock &block)
{
    const auto *data = static_cast<const SetOffData *>(block.userData());
    return data ? data->kind : SetOff::None;
}

bool drawnBold(const QTextLayout *layout)
{
    const QList<QTextLayout::FormatRange> formats = layout->formats();
    return !formats.isEmpty() && formats.front().format.fontWeight() >= QFont::Bold;
}

bool layOut(QTextLayout *layout, const QTextBlock &block, const QFont &font, qreal width,
            qreal margin, Qt::LayoutDirection direction)
{
    const SetOff kind = kindOf(block);
    if (kind == SetOff::None)
        return false;
    QTextOption option = layout->textOption();
    if (option.alignment() == kCentred && option.textDirection() == direction)
        return true;

    const QString text = block.text();
    qsizetype lead = 0;
    while (lead < text.size() && (text[lead] == u' ' || text[lead] == u'\t'))
        ++lead;
    QFont drawn = font;
    bool bold = false;
    if (kind == SetOff::Heading) {
        QFont heavy = font;
        heavy.setWeight(QFont::Bold);
        // Measured as drawn: a bold heading wider than the line the fitter allowed is drawn as
        // it was fitted.
        if (QFontMetricsF(heavy).horizontalAdvance(text.trimmed()) <= width - 1) {
            drawn = heavy;
            bold = true;
        }
    }
    const qreal leadWidth = QFontMetricsF(drawn).horizontalAdvance(text.left(lead));

    QList<QTextLayout::FormatRange> formats;
    if (bold) {
        QTextLayout::FormatRange range;
        range.start = 0;
        range.length = int(text.size());
        range.format.setFontWeight(QFont::Bold);
        formats << range;
    }
    layout->setFormats(formats);
    option.setTextDirection(direction);
    option.setAlignment(kCentred);
    layout->setTextOption(option);
    // The leading blanks sit outside the centred room: before it left to right, after it right
    // to left.
    const qreal x = direction == Qt::LeftToRight ? margin - leadWidth : margin;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(std::max<qreal>(width + leadWidth, 0));
        line.setPosition(QPointF(x, 0));
    }
    layout->endLayout();
    return true;
}

} // namespace SetOffLineDrawing
