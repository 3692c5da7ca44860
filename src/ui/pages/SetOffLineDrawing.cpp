#include "ui/pages/SetOffLineDrawing.h"

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

namespace {

// Lays the line out as it is drawn, to measure it: the width of its leading blanks and of the
// line up to its last character, in the layout's own fonts and resolution.
struct Measured
{
    qreal lead = 0;
    qreal full = 0;
};

Measured measure(QTextLayout *layout, qsizetype lead, qsizetype end)
{
    Measured m;
    layout->beginLayout();
    QTextLine line = layout->createLine();
    if (line.isValid()) {
        line.setLineWidth(1e6);
        const qreal start = line.cursorToX(0);
        m.lead = std::abs(line.cursorToX(int(lead)) - start);
        m.full = std::abs(line.cursorToX(int(end)) - start);
    }
    layout->endLayout();
    return m;
}

} // namespace

bool layOut(QTextLayout *layout, const QTextBlock &block, qreal width, qreal margin,
            Qt::LayoutDirection direction)
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
    qsizetype end = text.size();
    while (end > lead && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    option.setTextDirection(direction);
    option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
    layout->setTextOption(option);

    QList<QTextLayout::FormatRange> formats;
    if (kind == SetOff::Heading) {
        QTextLayout::FormatRange range;
        range.start = 0;
        range.length = int(text.size());
        range.format.setFontWeight(QFont::Bold);
        formats << range;
    }
    layout->setFormats(formats);
    Measured m = measure(layout, lead, end);
    // Measured as drawn: a bold heading wider than the line the fitter allowed is drawn in the
    // weight it was fitted in.
    if (!formats.isEmpty() && m.full - m.lead > width - 1) {
        layout->setFormats({});
        m = measure(layout, lead, end);
    }

    option.setAlignment(kCentred);
    layout->setTextOption(option);
    // The leading blanks sit outside the centred room: before it left to right, after it right
    // to left.
    const qreal x = direction == Qt::LeftToRight ? margin - m.lead : margin;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(std::max<qreal>(width + m.lead, 0));
        line.setPosition(QPointF(x, 0));
    }
    layout->endLayout();
    return true;
}

} // namespace SetOffLineDrawing
