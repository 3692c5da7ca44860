#pragma once

#include <QFont>
#include <QPlainTextDocumentLayout>
#include <QPointer>

class QPlainTextEdit;
class JustifiedLines;

// The layout of a page: every line at one fixed pitch, the page font's line step, whatever
// fallback fonts its characters need. A taller glyph may reach into the gap between lines; it
// never pushes the following lines down, so a page shows every line it was given.
// Lines of a block marked right to left are laid out right to left and aligned to the right.
class FixedPitchLayout : public QPlainTextDocumentLayout
{
public:
    FixedPitchLayout(QTextDocument *document, QPlainTextEdit *page);

    QRectF blockBoundingRect(const QTextBlock &block) const override;

    static void setRightToLeft(QTextBlock block, bool rightToLeft);
    static bool isRightToLeft(const QTextBlock &block);
    // How far a left-to-right line stands in from the margin (a later line of an indented block).
    static void setIndent(QTextBlock block, qreal indent);
    static qreal indentOf(const QTextBlock &block);

    // Gives the page a document with this layout.
    static void install(QPlainTextEdit *page);

    // Room above every line for a row of ruby; the pitch grows by it for every line alike.
    void setRubyRow(qreal height);
    qreal rubyRowHeight() const { return rubyRow; }

private:
    void layOutInDirection(QTextLayout *layout, Qt::LayoutDirection direction) const;

    QPointer<QPlainTextEdit> page;
    QPointer<JustifiedLines> lineEnds; // stretches lines and draws hyphens
    mutable QFont metricsFont; // the font the pitch and ascent below belong to
    mutable qreal step = 0;
    mutable qreal ascent = 0;
    qreal rubyRow = 0;
};
