#include "ui/pages/JustifiedLines.h"

#include "core/book/ChapterHeadings.h"
#include "core/layout/RawLineBounds.h"
#include "core/layout/LineFitter.h"
#include "core/speech/SpokenText.h"
#include "ui/Tavolex1.h"
#include "ui/pages/FixedPitchLayout.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>

namespace {

// A line stretched by more than this share of its width reads as gaps: a long word, an address.
constexpr qreal kMostStretch = 1.0 / 3;

// Lays the block's one line out again after its formats changed, as wide as before and inside
// the page's margin.
void layOutAgain(QTextLayout *layout, qreal margin)
{
    const QTextLine old = layout->lineAt(0);
    const qreal lineWidth = old.isValid() ? old.width() : qreal(INT_MAX);
    const QPointF at(margin, old.isValid() ? old.y() : 0);
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(lineWidth);
        line.setPosition(at);
    }
    layout->endLayout();
}

} // namespace

JustifiedLines::JustifiedLines(QPlainTextEdit *page) : QWidget(page->viewport()), page(page)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setObjectName(QStringLiteral("JustifiedLines"));
    setGeometry(page->viewport()->rect());
    page->viewport()->installEventFilter(this);
    // New text on the page: the finishes belong to the text before it.
    connect(page->document(), &QTextDocument::contentsChange, this, [this] {
        finishes.clear();
        done.clear();
    });
}

JustifiedLines *JustifiedLines::of(const QPlainTextEdit *page)
{
    return page->viewport()->findChild<JustifiedLines *>(QString(), Qt::FindDirectChildrenOnly);
}

void JustifiedLines::setFinishes(std::vector<Finish> lines, qreal textWidth)
{
    finishes = std::move(lines);
    done.assign(finishes.size(), false);
    width = textWidth;
    setVisible(std::any_of(finishes.begin(), finishes.end(), [](const Finish &f) {
        return f.hyphen;
    }));
    if (page)
        page->viewport()->update();
}

bool JustifiedLines::keepsNaturalWidth(const HeadingRules &rules, QStringView line)
{
    return rules.isHeading(line);
}

void JustifiedLines::finishBlock(const QTextBlock &block, QTextLayout *layout)
{
    const auto n = size_t(block.blockNumber());
    if (n >= finishes.size() || done[n] || layout->lineCount() != 1)
        return;
    done[n] = true;
    // Stretched for other finishes before: measured plain again.
    if (!layout->formats().isEmpty()) {
        layout->clearFormats();
        layOutAgain(layout, block.document()->documentMargin());
    }
    if (finishes[n].justify)
        stretch(block, layout, finishes[n]);
}

void JustifiedLines::stretch(const QTextBlock &block, QTextLayout *layout, const Finish &finish)
{
    const QString text = block.text();
    const qsizetype first = std::find_if(text.begin(), text.end(),
                                         [](QChar c) { return c != u' ' && c != u'\t'; }) -
                            text.begin();
    if (first >= text.size() - 1 || text.contains(u'\t'))
        return;
    const QFont font = block.document()->defaultFont();
    const qreal hyphen = finish.hyphen ? QFontMetricsF(font).horizontalAdvance(u'-') : 0;
    // A later line of an indented block stands in: it has that much less to fill.
    const qreal available = width - FixedPitchLayout::indentOf(block);
    const qreal extra = available - hyphen - layout->lineAt(0).naturalTextWidth();
    if (extra <= 0 || extra > available * kMostStretch)
        return;
    // The indentation keeps its width; the spaces between words take the rest. Text written
    // without spaces takes it between its characters, whatever blank stands in it.
    const qsizetype spaces = text.mid(first).count(u' ');
    const bool ideographic = std::any_of(text.begin() + first, text.end(), needsLineBreakRules);
    QTextLayout::FormatRange range;
    if (spaces > 0 && !ideographic) {
        range.start = int(first);
        range.length = int(text.size() - first);
        range.format.setFontWordSpacing(extra / qreal(spaces));
    } else {
        // Between characters: after each but the last.
        qsizetype gaps = 0;
        for (qsizetype i = first + 1; i < text.size(); ++i)
            gaps += !text[i].isLowSurrogate() && !text[i].isMark();
        if (gaps == 0)
            return;
        range.start = int(first);
        range.length = int(text.size() - 1 - first);
        range.format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        range.format.setFontLetterSpacing(extra / qreal(gaps));
    }
    layout->setFormats({range});
    layOutAgain(layout, block.document()->documentMargin());
}

bool JustifiedLines::eventFilter(QObject *watched, QEvent *event)
{
    if (page && watched == page->viewport() && event->type() == QEvent::Resize)
        setGeometry(page->viewport()->rect());
    return QWidget::eventFilter(watched, event);
}

void JustifiedLines::paintEvent(QPaintEvent *)
{
    if (!page)
        return;
    QPainter painter(this);
    const QFont font = page->document()->defaultFont();
    painter.setFont(font);
    painter.setPen(page->palette().color(QPalette::Text));
    const qreal hyphenWidth = QFontMetricsF(font).horizontalAdvance(u'-');
    QTextBlock block = page->document()->begin();
    for (size_t n = 0; n < finishes.size() && block.isValid(); ++n, block = block.next()) {
        if (!finishes[n].hyphen || block.layout()->lineCount() < 1)
            continue;
        // The caret after the last character stands where the hyphen goes.
        QTextCursor end(block);
        end.movePosition(QTextCursor::EndOfBlock);
        const QRect caret = page->cursorRect(end);
        if (!rect().intersects(caret.adjusted(-int(hyphenWidth) - 1, 0, int(hyphenWidth) + 1, 0)))
            continue;
        const qreal baseline = caret.top() + block.layout()->lineAt(0).ascent();
        const bool rightToLeft = FixedPitchLayout::isRightToLeft(block);
        const qreal x = rightToLeft ? caret.left() - hyphenWidth : caret.left();
        painter.drawText(QPointF(x, baseline), QStringLiteral("-"));
    }
}

void TForm1::markLineFinishes(QPlainTextEdit *page, int firstLine)
{
    JustifiedLines *lines = JustifiedLines::of(page);
    if (!lines)
        return;
    const int count = page->document()->blockCount();
    const bool justify = JustifyLines && JustifyLines->isChecked();
    std::vector<JustifiedLines::Finish> finishes(size_t(std::max(count, 0)));
    bool any = false;
    const HeadingRules rules(state.HeadingRule);
    for (int i = 0; i < count; ++i) {
        const int n = firstLine + i;
        if (n < 1 || n > state.TotalLines)
            break;
        JustifiedLines::Finish &f = finishes[size_t(i)];
        f.hyphen = FittedLineHyphenated(state.pieces, n);
        f.justify = justify && !FittedLineEndsRawLine(state.pieces, n) &&
                    !JustifiedLines::keepsNaturalWidth(rules, ::FittedLine(state.pieces, n));
        any |= f.hyphen || f.justify;
    }
    if (!any)
        finishes.clear();
    lines->setFinishes(std::move(finishes), fittedWrapWidth > 0 ? fittedWrapWidth : wrapWidth());
}
