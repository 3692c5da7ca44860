#include "ReaderFixture.h"
#include "ScriptSamples.h"

#include "core/layout/LineFitter.h"
#include "core/layout/RawLineBounds.h"
#include "core/speech/SpokenText.h"
#include "ui/pages/JustifiedLines.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

const char16_t *const kEnglish =
    u"It is a truth universally acknowledged, that a single man in possession of a good fortune, "
    u"must be in want of a wife. However little known the feelings or views of such a man may be "
    u"on his first entering a neighbourhood, this truth is so well fixed in the minds of the "
    u"surrounding families, that he is considered the rightful property of some one or other of "
    u"their daughters.";

struct Edges
{
    double left = 0;
    double right = 0;
};

// Where the line's ink starts and ends on the page, as drawn.
Edges drawnEdges(QPlainTextEdit *page, const QTextBlock &block)
{
    const QTextLine line = block.layout()->lineAt(0);
    const QRectF r = line.naturalTextRect();
    const double offset = page->cursorRect(QTextCursor(block)).left() - line.cursorToX(0);
    return {r.left() + offset, r.right() + offset};
}

// Opens a book of paragraphs of `paragraph` with both switches as given.
TForm1 &openBook(ReaderFixture &f, const QString &paragraph, bool justify, bool hyphenate,
                 QSize window = {900, 600})
{
    QString text;
    for (int i = 0; i < 10; ++i)
        text += paragraph + QStringLiteral("\r\n\r\n");
    const QString book = f.writeBook(QStringLiteral("book.txt"), text.toUtf8());
    TForm1 &form = f.start({}, false);
    form.resize(window);
    showWindow(form);
    form.JustifyLines->setChecked(justify);
    form.Hyphenate->setChecked(hyphenate);
    form.openFileFromUser(book);
    return form;
}

struct ScriptCase
{
    const char *name;
    bool rightToLeft;
};

class JustifiedPage : public ::testing::TestWithParam<ScriptCase>
{
};

TEST_P(JustifiedPage, LinesInsideAParagraphReachBothEdges)
{
    const ScriptCase &c = GetParam();
    QString paragraph = QString::fromUtf16(kEnglish);
    for (const ScriptSample &sample : scriptSamples())
        if (sample.name == std::string(c.name))
            paragraph = sample.paragraph + u' ' + sample.paragraph;
    ReaderFixture f;
    TForm1 &form = openBook(f, paragraph, true, false);
    const ReaderState &s = form.readerState();
    ASSERT_GT(s.TotalLines, 4);
    QPlainTextEdit *page = form.LinkeSeite;
    const double margin = page->document()->documentMargin();
    const double textLeft = margin;
    const double textRight = margin + form.wrapWidth();
    const double pageRight = page->viewport()->width() - margin;
    int justified = 0;
    int last = 0;
    int n = 1;
    for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next(), ++n) {
        if (block.text().trimmed().isEmpty())
            continue;
        SCOPED_TRACE("line " + std::to_string(n) + ": " + block.text().toStdString());
        const Edges e = drawnEdges(page, block);
        if (!FittedLineEndsRawLine(s.pieces, n)) {
            ++justified;
            if (c.rightToLeft) {
                EXPECT_NEAR(e.right, pageRight, 2);
                EXPECT_NEAR(e.left, pageRight - form.wrapWidth(), 2);
            } else {
                EXPECT_NEAR(e.left, textLeft, 1);
                EXPECT_NEAR(e.right, textRight, 2);
            }
        } else {
            ++last;
            // The paragraph's last line keeps its natural width at its own side.
            if (c.rightToLeft)
                EXPECT_GT(e.left, pageRight - form.wrapWidth() + 10);
            else
                EXPECT_LT(e.right, textRight - 10);
        }
    }
    EXPECT_GT(justified, 2);
    EXPECT_GT(last, 0);
}

INSTANTIATE_TEST_SUITE_P(Scripts, JustifiedPage,
                         ::testing::Values(ScriptCase{"English", false},
                                           ScriptCase{"Russian", false},
                                           ScriptCase{"Chinese", false},
                                           ScriptCase{"Arabic", true},
                                           ScriptCase{"Hebrew", true}),
                         [](const auto &info) { return std::string(info.param.name); });

// Justification is drawing only: the fitted lines are those of "No", and "No" for both
// switches leaves every line as the page lays it out.
TEST(JustifiedLinesTest, NoForBothGivesThePlainPages)
{
    QStringList shown[3];
    int total[3] = {};
    const bool switches[3][2] = {{false, false}, {true, false}, {false, false}};
    for (int run = 0; run < 3; ++run) {
        ReaderFixture f;
        TForm1 &form = openBook(f, QString::fromUtf16(kEnglish), switches[run][0],
                                switches[run][1]);
        const ReaderState &s = form.readerState();
        total[run] = s.TotalLines;
        for (int n = 1; n <= s.TotalLines; ++n)
            EXPECT_FALSE(FittedLineHyphenated(s.pieces, n));
        for (QPlainTextEdit *page : {form.LinkeSeite, form.RechteSeite}) {
            for (QTextBlock b = page->document()->begin(); b.isValid(); b = b.next()) {
                shown[run] << b.text();
                page->cursorRect(QTextCursor(b)); // lays the block out
                if (!switches[run][0]) {
                    EXPECT_TRUE(b.layout()->formats().isEmpty()) << b.text().toStdString();
                }
            }
            EXPECT_FALSE(JustifiedLines::of(page)->isVisible());
        }
        if (run == 1) {
            // Switched off on the open book, the lines lose their stretch at once.
            form.JustifyLines->setChecked(false);
            for (QTextBlock b = form.LinkeSeite->document()->begin(); b.isValid(); b = b.next()) {
                form.LinkeSeite->cursorRect(QTextCursor(b));
                EXPECT_TRUE(b.layout()->formats().isEmpty());
            }
        }
    }
    EXPECT_EQ(shown[1], shown[0]);
    EXPECT_EQ(total[1], total[0]);
    EXPECT_EQ(shown[2], shown[0]);
}

TEST(JustifiedLinesTest, AHyphenatedLineShowsItsHyphenInsideThePage)
{
    ReaderFixture f;
    TForm1 &form = openBook(f, QString::fromUtf16(kEnglish), true, true, {520, 600});
    const ReaderState &s = form.readerState();
    QPlainTextEdit *page = form.LinkeSeite;
    const double textRight = page->document()->documentMargin() + form.wrapWidth();
    const double hyphen = QFontMetricsF(page->document()->defaultFont()).horizontalAdvance(u'-');
    int hyphenated = 0;
    int n = 1;
    for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next(), ++n) {
        if (!FittedLineHyphenated(s.pieces, n))
            continue;
        ++hyphenated;
        QTextCursor end(block);
        end.movePosition(QTextCursor::EndOfBlock);
        // The hyphen goes after the last letter and ends at the text edge, not beyond it.
        const double after = page->cursorRect(end).left() + hyphen;
        EXPECT_NEAR(after, textRight, 2) << block.text().toStdString();
    }
    EXPECT_GT(hyphenated, 0);
    EXPECT_TRUE(JustifiedLines::of(page)->isVisible());
}

} // namespace
