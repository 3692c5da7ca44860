#include "ReaderFixture.h"
#include "ScriptSamples.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

QString withoutBlanks(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

struct PageCheck
{
    QString shown; // the text of every line, in order
    QString failure;
};

// Every line of the page at one pitch, inside the page, and aligned by its paragraph's direction.
void checkPage(const TForm1 &form, QPlainTextEdit *page, bool rightToLeft, PageCheck &check)
{
    const QFontMetricsF metrics(page->font());
    const double step = std::ceil(metrics.lineSpacing());
    const double margin = page->document()->documentMargin();
    const int viewportWidth = page->viewport()->width();
    double firstBaseline = 0;
    int i = 0;
    for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next(), ++i) {
        check.shown += block.text();
        const QTextLine line = block.layout()->lineAt(0);
        const double baseline = page->cursorRect(QTextCursor(block)).top() + line.ascent();
        if (i == 0)
            firstBaseline = baseline;
        const auto fail = [&](const QString &what) {
            if (check.failure.isEmpty())
                check.failure = QStringLiteral("line %1 \"%2\": %3").arg(i).arg(block.text(), what);
        };
        if (std::abs(baseline - (firstBaseline + i * step)) > 1)
            fail(QStringLiteral("baseline %1, not %2").arg(baseline).arg(firstBaseline + i * step));
        if (baseline + metrics.descent() > page->viewport()->height() + 1)
            fail(QStringLiteral("below the page"));
        if (line.naturalTextWidth() > form.wrapWidth() + 0.5)
            fail(QStringLiteral("%1 px wide").arg(line.naturalTextWidth()));
        if (block.text().trimmed().isEmpty())
            continue;
        const QRectF drawn = line.naturalTextRect();
        if (rightToLeft && std::abs(drawn.right() - (viewportWidth - margin)) > 2)
            fail(QStringLiteral("right edge %1, page %2").arg(drawn.right()).arg(viewportWidth));
        if (!rightToLeft && std::abs(drawn.left() - margin) > 1)
            fail(QStringLiteral("left edge %1").arg(drawn.left()));
    }
}

} // namespace

// Lines whose characters come from fallback fonts are taller than the page font's; they must not
// push the page's last lines out of sight, and right-to-left paragraphs read from the right.
TEST(ScriptPages, EveryLineIsShownAtOnePitchInItsDirection)
{
    const QSize windows[] = {{800, 608}, {1100, 500}};
    for (const ScriptSample &sample : scriptSamples()) {
        for (const QSize window : windows) {
            SCOPED_TRACE(std::string(sample.name) + " in " + std::to_string(window.width()));
            ReaderFixture f;
            QString text;
            for (int i = 0; i < 12; ++i)
                text += sample.paragraph + QStringLiteral("\r\n\r\n");
            const QString book = f.writeBook(QStringLiteral("book.txt"), text.toUtf8());
            TForm1 &form = f.start({}, false);
            form.resize(window);
            showWindow(form);
            form.ZWEntfernen->setChecked(false);
            form.openFileFromUser(book);
            const ReaderState &s = form.readerState();
            ASSERT_GT(s.PageCount, 1);
            const bool unshaped = form.LinkeSeite->font().styleStrategy() & QFont::PreferNoShaping;
            const bool plainScript =
                QByteArrayList{"Russian", "Greek", "Chinese", "Japanese", "Korean"}.contains(
                    sample.name);
            EXPECT_EQ(unshaped, plainScript) << "shaping of the page font";
            // A phrase of the script is found and selected exactly, in logical order.
            const QString phrase = sample.paragraph.mid(12, 6);
            form.FindInBook(phrase, Qt::CaseSensitive);
            EXPECT_EQ(form.LinkeSeite->textCursor().selectedText(), phrase) << "find";
            PageCheck check;
            // Spread after spread; the last turn would show the last page again on the left.
            for (bool more = true; more;) {
                more = s.CurrentPage + 1 < s.PageCount;
                for (QPlainTextEdit *page : {form.LinkeSeite, form.RechteSeite}) {
                    if (page == form.RechteSeite && s.CurrentPage * s.LinesPerPage >= s.TotalLines)
                        break;
                    EXPECT_LE(page->document()->blockCount(), s.LinesPerPage);
                    checkPage(form, page, sample.rightToLeft, check);
                }
                ASSERT_TRUE(check.failure.isEmpty())
                    << "page " << s.CurrentPage << ", " << check.failure.toStdString();
                form.Blaettern(Qt::RightButton);
            }
            EXPECT_EQ(withoutBlanks(check.shown), withoutBlanks(text)) << "text lost or doubled";
        }
    }
}
