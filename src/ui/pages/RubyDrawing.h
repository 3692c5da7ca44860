#pragma once

#include <QFont>
#include <QList>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QWidget>

class QPlainTextEdit;

// The ruby font: half the page font, as furigana is set.
QFont rubyFontFor(const QFont &pageFont);
// The height of the ruby row above every line of a book with ruby.
qreal rubyRowFor(const QFont &pageFont);

// Draws readings above their bases on a page, over the page's own text.
class RubyOverlay : public QWidget
{
public:
    struct Span
    {
        int block = 0;  // the line of the page
        int start = 0;  // the base, in the line
        int length = 0;
        QString reading;
    };
    struct Placed
    {
        QString reading;
        QRectF readingRect; // where the reading is drawn, in the page's viewport
        QRectF base;         // where its base stands
    };

    explicit RubyOverlay(QPlainTextEdit *page);

    void setSpans(QList<Span> spans);
    // Where each reading goes, as it is drawn.
    QList<Placed> placed() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPointer<QPlainTextEdit> page;
    QList<Span> spans;
};
