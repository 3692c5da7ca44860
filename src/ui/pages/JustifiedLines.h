#pragma once

#include <QPointer>
#include <QWidget>

#include <vector>

class QPlainTextEdit;
class QTextBlock;
class QTextLayout;
class HeadingRules;

// How the lines of a page end, drawing only: a justified line is stretched to the text width
// (by its spaces, or between its characters when it has none), a hyphenated one is drawn with a
// hyphen after its last character. The text, the positions of the characters in it and the page's
// lines stay what they are, so selection, copy and find are not touched.
//
// One per page, lying over its text: it paints the hyphens, the page layout asks it to stretch
// each line it lays out.
class JustifiedLines : public QWidget
{
public:
    struct Finish
    {
        bool justify = false;
        bool hyphen = false;
    };

    explicit JustifiedLines(QPlainTextEdit *page);

    static JustifiedLines *of(const QPlainTextEdit *page);

    // The finishes of the page's lines in order, and the width justified lines are stretched to.
    // Empty: every line as laid out.
    void setFinishes(std::vector<Finish> finishes, qreal textWidth);

    // Called by the page layout for each block it has laid out, before the line is placed.
    void finishBlock(const QTextBlock &block, QTextLayout *layout);

    // A line that keeps its natural width although its paragraph goes on: a heading.
    static bool keepsNaturalWidth(const HeadingRules &rules, QStringView line);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void stretch(const QTextBlock &block, QTextLayout *layout, const Finish &finish);

    QPointer<QPlainTextEdit> page;
    std::vector<Finish> finishes;
    std::vector<bool> done; // per line: stretched for the current finishes
    qreal width = 0;
};
