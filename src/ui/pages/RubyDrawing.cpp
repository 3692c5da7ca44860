#include "ui/pages/RubyDrawing.h"

#include "core/layout/LineFitter.h"
#include "ui/Tavolex1.h"
#include "ui/pages/FixedPitchLayout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

QFont rubyFontFor(const QFont &pageFont)
{
    QFont font = pageFont;
    if (pageFont.pointSizeF() > 0)
        font.setPointSizeF(std::max(4.0, pageFont.pointSizeF() / 2));
    else
        font.setPixelSize(std::max(4, pageFont.pixelSize() / 2));
    return font;
}

qreal rubyRowFor(const QFont &pageFont)
{
    return std::ceil(QFontMetricsF(rubyFontFor(pageFont)).height());
}

RubyOverlay::RubyOverlay(QPlainTextEdit *page) : QWidget(page->viewport()), page(page)
{
    setObjectName(QStringLiteral("RubyOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(page->viewport()->rect());
    show();
}

void RubyOverlay::setSpans(QList<Span> shown)
{
    spans = std::move(shown);
    if (page)
        setGeometry(page->viewport()->rect());
    update();
}

QList<RubyOverlay::Placed> RubyOverlay::placed() const
{
    QList<Placed> result;
    if (!page)
        return result;
    QTextDocument *document = page->document();
    const QFontMetricsF ruby(rubyFontFor(document->defaultFont()));
    for (const Span &span : spans) {
        const QTextBlock block = document->findBlockByNumber(span.block);
        if (!block.isValid() || !block.layout() || block.layout()->lineCount() == 0)
            continue;
        QTextCursor cursor(block);
        cursor.setPosition(block.position() + span.start);
        const QRect start = page->cursorRect(cursor);
        cursor.setPosition(block.position() + span.start + span.length);
        const QRect end = page->cursorRect(cursor);
        // The line stands below the ruby row of its block, however tall its glyphs are.
        const QTextLine line = block.layout()->lineAt(0);
        const qreal lineTop = start.top();
        const qreal blockTop = lineTop - line.y();
        const auto *layout = dynamic_cast<const FixedPitchLayout *>(document->documentLayout());
        const qreal row = layout ? layout->rubyRowHeight() : ruby.height();
        const qreal left = std::min(start.left(), end.left());
        const qreal right = std::max(start.left(), end.left());
        const qreal width = ruby.horizontalAdvance(span.reading);
        const qreal centre = (left + right) / 2;
        Placed p;
        p.reading = span.reading;
        p.base = QRectF(left, lineTop, right - left, start.height());
        p.readingRect = QRectF(centre - width / 2, blockTop + row - ruby.height(), width,
                               ruby.height());
        result.append(p);
    }
    return result;
}

namespace {

// Emphasis marks are drawn as shapes: few fonts have the sesame dots.
bool drawEmphasisMark(QPainter &painter, const QRectF &row, QChar mark)
{
    const qreal size = std::max(2.0, std::min(row.width(), row.height()) * 0.45);
    const QPointF c(row.center().x(), row.center().y());
    const QRectF box(c.x() - size / 2, c.y() - size / 2, size, size);
    const QColor ink = painter.pen().color();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const bool filled = mark == QChar(0xFE45) || mark == u'●' || mark == u'▲' || mark == u'◉';
    painter.setBrush(filled ? QBrush(ink) : Qt::NoBrush);
    painter.setPen(QPen(ink, std::max(1.0, size / 6)));
    switch (mark.unicode()) {
    case 0xFE45: // sesame: a drop leaning right
    case 0xFE46: {
        painter.translate(c);
        painter.rotate(-30);
        painter.drawEllipse(QRectF(-size * 0.25, -size * 0.45, size * 0.5, size * 0.9));
        break;
    }
    case u'●':
    case u'○':
        painter.drawEllipse(box.adjusted(size * 0.1, size * 0.1, -size * 0.1, -size * 0.1));
        break;
    case u'◎':
    case u'◉':
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(box);
        painter.setBrush(mark == u'◉' ? QBrush(ink) : Qt::NoBrush);
        painter.drawEllipse(box.adjusted(size * 0.3, size * 0.3, -size * 0.3, -size * 0.3));
        break;
    case u'▲':
    case u'△':
        painter.drawPolygon(QPolygonF({QPointF(c.x(), box.top()), box.bottomRight(), box.bottomLeft()}));
        break;
    case u'×':
        painter.drawLine(box.topLeft(), box.bottomRight());
        painter.drawLine(box.topRight(), box.bottomLeft());
        break;
    default:
        painter.restore();
        return false;
    }
    painter.restore();
    return true;
}

} // namespace

void RubyOverlay::paintEvent(QPaintEvent *)
{
    if (!page || spans.isEmpty())
        return;
    QPainter painter(this);
    painter.setFont(rubyFontFor(page->document()->defaultFont()));
    painter.setPen(page->palette().color(QPalette::Text));
    const qreal ascent = QFontMetricsF(painter.font()).ascent();
    for (const Placed &p : placed()) {
        const QRectF over(p.base.left(), p.readingRect.top(), p.base.width(), p.readingRect.height());
        if (p.reading.size() == 1 && drawEmphasisMark(painter, over, p.reading[0]))
            continue;
        painter.drawText(QPointF(p.readingRect.left(), p.readingRect.top() + ascent), p.reading);
    }
}

qreal TForm1::rubyRowHeight() const
{
    const EastAsianBook &book = state.EastAsian;
    // Emphasis dots take the row in every form; readings only when drawn above.
    if (!book.aozora || ((book.ruby != RubyForm::Above || book.marks.ruby.isEmpty()) &&
                         book.marks.emphasis.isEmpty()))
        return 0;
    return rubyRowFor(pageFont());
}

void TForm1::applyRubyRow()
{
    const qreal row = rubyRowHeight();
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite}) {
        if (auto *layout = dynamic_cast<FixedPitchLayout *>(page->document()->documentLayout()))
            layout->setRubyRow(row);
    }
}

namespace {

// The part of a reading over `count` characters of its base of `length`, `before` of them on
// earlier lines: a base cut by a line end carries the reading in proportion to its characters on
// each line, as readings of compounds are set over each character.
QString readingShare(const QString &reading, qsizetype length, qsizetype before, qsizetype count)
{
    if (before <= 0 && count >= length)
        return reading;
    const auto cut = [&](qsizetype characters) {
        qsizetype at = (reading.size() * characters + length / 2) / std::max<qsizetype>(1, length);
        at = std::clamp<qsizetype>(at, 0, reading.size());
        if (at > 0 && at < reading.size() && reading[at].isLowSurrogate())
            ++at;
        return at;
    };
    const qsizetype from = cut(before);
    return reading.mid(from, cut(before + count) - from);
}

// A dot over every character of the runs that reach into the line, which may have begun on an
// earlier line.
void addEmphasisDots(QList<RubyOverlay::Span> &spans, int block, QStringView line,
                     qsizetype offset, const QList<AozoraEmphasis> &emphasis,
                     const QList<qsizetype> &runs)
{
    // Runs do not overlap: only the one before the line's start may reach into it.
    qsizetype r = std::lower_bound(runs.begin(), runs.end(), offset) - runs.begin();
    for (r = std::max<qsizetype>(0, r - 1);
         r < runs.size() && r < emphasis.size() && runs[r] < offset + line.size(); ++r) {
        const qsizetype from = std::max(runs[r], offset);
        const qsizetype to = std::min(runs[r] + emphasis[r].length, offset + line.size());
        for (qsizetype p = from; p < to; ++p) {
            const QChar c = line[p - offset];
            if (c.isLowSurrogate() || c.isSpace() || c.isMark())
                continue;
            const int width = c.isHighSurrogate() ? 2 : 1;
            spans.append({block, int(p - offset), width, QString(emphasis[r].mark)});
        }
    }
}

} // namespace

RubyOverlay *TForm1::rubyOverlay(QPlainTextEdit *page)
{
    auto *overlay = page->viewport()->findChild<QWidget *>(QStringLiteral("RubyOverlay"),
                                                            Qt::FindDirectChildrenOnly);
    return overlay ? static_cast<RubyOverlay *>(overlay) : new RubyOverlay(page);
}

void TForm1::showRuby(QPlainTextEdit *page, int firstLine)
{
    const QList<RubySpan> &ruby = state.EastAsian.marks.ruby;
    if (rubyRowHeight() == 0) {
        if (page->viewport()->findChild<QWidget *>(QStringLiteral("RubyOverlay")))
            rubyOverlay(page)->setSpans({});
        return;
    }
    const bool readings = state.EastAsian.ruby == RubyForm::Above;
    const QList<qsizetype> &bases = marksInWorkingText().rubyStarts;
    const QList<AozoraEmphasis> &emphasis = state.EastAsian.marks.emphasis;
    const QList<qsizetype> &runs = marksInWorkingText().emphasisStarts;
    QList<RubyOverlay::Span> spans;
    const int blocks = page->document()->blockCount();
    for (int k = 0; k < blocks && firstLine + k <= state.TotalLines; ++k) {
        const QStringView line = ::FittedLine(state.pieces, firstLine + k);
        const qsizetype offset = workingOffsetOf(line);
        if (offset < 0 || line.isEmpty())
            continue;
        // Bases do not overlap: only the one before the line's start may reach into it.
        auto at = std::lower_bound(bases.begin(), bases.end(), offset);
        if (at != bases.begin() && *(at - 1) + ruby[at - 1 - bases.begin()].length > offset)
            --at;
        for (; readings && at != bases.end() && *at < offset + line.size(); ++at) {
            const RubySpan &span = ruby[at - bases.begin()];
            const qsizetype from = std::max(*at, offset);
            const qsizetype to = std::min(*at + span.length, offset + line.size());
            const QString share = readingShare(span.reading, span.length, from - *at, to - from);
            if (!share.isEmpty())
                spans.append({k, int(from - offset), int(to - from), share});
        }
        addEmphasisDots(spans, k, line, offset, emphasis, runs);
    }
    rubyOverlay(page)->setSpans(std::move(spans));
}

QString TForm1::spokenWithReadings(const SpokenSentence &sentence)
{
    if (rubyRowHeight() == 0 || sentence.start.line < 1 || sentence.end.line > state.TotalLines)
        return sentence.text;
    const qsizetype from = workingOffsetOf(::FittedLine(state.pieces, sentence.start.line));
    const qsizetype to = workingOffsetOf(::FittedLine(state.pieces, sentence.end.line));
    if (from < 0 || to < 0)
        return sentence.text;
    const QList<qsizetype> &bases = marksInWorkingText().rubyStarts;
    const QList<RubySpan> &ruby = state.EastAsian.marks.ruby;
    QString spoken;
    qsizetype done = 0; // of sentence.text
    auto at = std::lower_bound(bases.begin(), bases.end(), from + sentence.start.column);
    for (; at != bases.end() && *at < to + sentence.end.column; ++at) {
        const RubySpan &span = ruby[at - bases.begin()];
        const QStringView base = QStringView(state.WorkingText).mid(*at, span.length);
        // The bases come in the order of the sentence; a line join may stand between them.
        const qsizetype found = sentence.text.indexOf(base, done);
        if (found < 0)
            continue;
        spoken += QStringView(sentence.text).mid(done, found - done);
        spoken += span.reading;
        done = found + base.size();
    }
    spoken += QStringView(sentence.text).mid(done);
    return spoken;
}
