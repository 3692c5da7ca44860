#include "ui/pages/FixedPitchLayout.h"

#include "ui/pages/SetOffLineDrawing.h"
#include "ui/pages/JustifiedLines.h"

#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <cmath>

namespace {

constexpr int kRightToLeftState = 1;
constexpr int kIndentProperty = QTextFormat::UserProperty + 31;

} // namespace

FixedPitchLayout::FixedPitchLayout(QTextDocument *document, QPlainTextEdit *page)
    : QPlainTextDocumentLayout(document), page(page)
{
}

void FixedPitchLayout::install(QPlainTextEdit *page)
{
    auto *document = new QTextDocument(page);
    auto *layout = new FixedPitchLayout(document, page);
    document->setDocumentLayout(layout);
    // Left to right unless a paragraph says otherwise: a line of a left-to-right paragraph that
    // starts with a Hebrew word stays left-aligned.
    QTextOption option = document->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    document->setDefaultTextOption(option);
    page->setDocument(document);
    layout->lineEnds = new JustifiedLines(page);
}

void FixedPitchLayout::setRubyRow(qreal height)
{
    if (height == rubyRow)
        return;
    rubyRow = height;
    step = 0; // worked out again with the row
}

void FixedPitchLayout::setRightToLeft(QTextBlock block, bool rightToLeft)
{
    block.setUserState(rightToLeft ? kRightToLeftState : -1);
}

bool FixedPitchLayout::isRightToLeft(const QTextBlock &block)
{
    return block.userState() == kRightToLeftState;
}

void FixedPitchLayout::setIndent(QTextBlock block, qreal indent)
{
    if (indentOf(block) == indent)
        return;
    QTextCursor cursor(block);
    QTextBlockFormat format = block.blockFormat();
    if (indent > 0)
        format.setProperty(kIndentProperty, indent);
    else
        format.clearProperty(kIndentProperty);
    cursor.setBlockFormat(format);
}

qreal FixedPitchLayout::indentOf(const QTextBlock &block)
{
    return block.blockFormat().doubleProperty(kIndentProperty);
}

QRectF FixedPitchLayout::blockBoundingRect(const QTextBlock &block) const
{
    QRectF rect = QPlainTextDocumentLayout::blockBoundingRect(block);
    if (!block.isValid() || !block.isVisible())
        return rect;
    const QFont font = document()->defaultFont();
    if (step == 0 || font != metricsFont) {
        // The step the lines per page are counted with: the line spacing rounded up.
        const QFontMetricsF metrics(font);
        metricsFont = font;
        step = std::max(1.0, std::ceil(metrics.lineSpacing() + rubyRow));
        ascent = metrics.ascent();
    }
    QTextLayout *layout = block.layout();
    const Qt::LayoutDirection direction = isRightToLeft(block) ? Qt::RightToLeft : Qt::LeftToRight;
    const qreal margin = document()->documentMargin();
    const qreal width = page ? page->viewport()->width() - 2 * margin : 0;
    // A set-off line is centred as it is: justification leaves it alone.
    const bool setOff = SetOffLineDrawing::layOut(layout, block, width, margin, direction);
    if (!setOff && layout->textOption().textDirection() != direction)
        layOutInDirection(layout, direction);
    if (lineEnds && !setOff)
        lineEnds->finishBlock(block, layout);
    const qreal indent = setOff || direction == Qt::RightToLeft ? 0 : indentOf(block);
    // Every baseline where a line in the page font has it.
    for (int i = 0; i < layout->lineCount(); ++i) {
        QTextLine line = layout->lineAt(i);
        const qreal y = i * step + rubyRow + ascent - line.ascent();
        const qreal x = indent > 0 ? margin + indent : line.x();
        if (line.y() != y || line.x() != x)
            line.setPosition(QPointF(x, y));
    }
    const qreal bottomMargin = block.next().isValid() ? 0 : document()->documentMargin();
    rect.setHeight(step * std::max(1, layout->lineCount()) + bottomMargin);
    return rect;
}

void FixedPitchLayout::layOutInDirection(QTextLayout *layout, Qt::LayoutDirection direction) const
{
    QTextOption option = layout->textOption();
    option.setTextDirection(direction);
    option.setAlignment(direction == Qt::RightToLeft ? Qt::AlignRight | Qt::AlignAbsolute
                                                     : Qt::AlignLeft | Qt::AlignAbsolute);
    layout->setTextOption(option);
    const qreal margin = document()->documentMargin();
    // Aligned to the page's right edge: a page without wrapping has no width of its own.
    const qreal width = page ? page->viewport()->width() - 2 * margin : 0;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(std::max<qreal>(width, 0));
        line.setPosition(QPointF(margin, 0));
    }
    layout->endLayout();
}
