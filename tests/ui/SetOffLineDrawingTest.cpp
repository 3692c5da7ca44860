#include "ui/pages/SetOffLineDrawing.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

// The width of a text as a document lays it out: its resolution need not be the screen's.
double laidOutWidth(const QFont &font, const QString &text, bool bold = false)
{
    QTextDocument document;
    document.setDefaultFont(font);
    document.setPlainText(text);
    QTextLayout *layout = document.begin().layout();
    if (bold) {
        QTextLayout::FormatRange range;
        range.start = 0;
        range.length = int(text.size());
        range.format.setFontWeight(QFont::Bold);
        layout->setFormats({range});
    }
    layout->beginLayout();
    QTextLine line = layout->createLine();
    line.setLineWidth(1e6);
    layout->endLayout();
    return line.naturalTextWidth();
}

} // namespace

// A bold heading is measured as drawn: where the bold line would run out of the room the fitter
// gave the line, it is drawn in the weight it was fitted in.
TEST(SetOffLineDrawing, BoldOnlyWhereTheBoldLineFits)
{
    const QFont font(QStringLiteral("Liberation Serif"), 12);
    const QString heading = QStringLiteral("CHAPTER XXXVIII. THE WANDERING MAMMOTH");
    const double regular = laidOutWidth(font, heading);
    const double bold = laidOutWidth(font, heading, true);
    ASSERT_GT(bold, regular + 4);
    const struct
    {
        const char *name;
        double width;
        SetOff kind;
        bool bold;
    } cases[] = {
        {"room enough", bold + 20, SetOff::Heading, true},
        {"room for the fitted line only", regular + 2, SetOff::Heading, false},
        {"a centred line is never bold", bold + 20, SetOff::Centred, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        document.setDefaultFont(font);
        document.setPlainText(heading);
        const QTextBlock block = document.begin();
        SetOffLineDrawing::mark(block, c.kind);
        QTextLayout *layout = block.layout();
        ASSERT_TRUE(SetOffLineDrawing::layOut(layout, block, c.width, 4, Qt::LeftToRight));
        EXPECT_EQ(SetOffLineDrawing::drawnBold(layout), c.bold);
        const QTextLine line = layout->lineAt(0);
        // Centred in the room, and inside it.
        EXPECT_NEAR(line.cursorToX(0) + line.naturalTextWidth() / 2, 4 + c.width / 2, 1.5);
        EXPECT_GE(line.cursorToX(0), 4 - 0.5);
        EXPECT_LE(line.cursorToX(0) + line.naturalTextWidth(), 4 + c.width + 0.5);
    }
    // A line that is not set off is left to the page's own layout.
    QTextDocument plain;
    plain.setPlainText(heading);
    EXPECT_FALSE(SetOffLineDrawing::layOut(plain.begin().layout(), plain.begin(), 300, 4,
                                           Qt::LeftToRight));
}

// Leading blanks of a line centred in the file are not part of what is centred.
TEST(SetOffLineDrawing, LeadingBlanksStayOutOfTheCentring)
{
    const QFont font(QStringLiteral("Liberation Serif"), 12);
    QTextDocument document;
    document.setDefaultFont(font);
    document.setPlainText(QString(24, u' ') + QStringLiteral("THE END"));
    const QTextBlock block = document.begin();
    SetOffLineDrawing::mark(block, SetOff::Centred);
    QTextLayout *layout = block.layout();
    ASSERT_TRUE(SetOffLineDrawing::layOut(layout, block, 400, 4, Qt::LeftToRight));
    const QTextLine line = layout->lineAt(0);
    const double textStart = line.cursorToX(24);
    const double textWidth = line.cursorToX(31) - textStart;
    EXPECT_NEAR(textStart + textWidth / 2, 4 + 200, 1.5);
}
