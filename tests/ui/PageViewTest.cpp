#include "ReaderFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace {

QByteArray numberedLines(int count)
{
    QByteArray text;
    for (int i = 1; i <= count; ++i)
        text += "line " + QByteArray::number(i) + "\r\n";
    return text;
}

} // namespace

// Every line counted for a page must be visible in the page control: a page that holds more
// lines than it can show hides text between the two pages.
TEST(PageView, EveryLineOfAPageIsVisible)
{
    struct Case
    {
        const char *family;
        int size;
        QSize window;
    };
    const Case cases[] = {
        {"Liberation Serif", 12, {800, 608}}, {"DejaVu Sans", 10, {800, 608}},
        {"Liberation Sans", 20, {1000, 700}}, {"DejaVu Sans Mono", 7, {640, 480}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.family);
        // tools/deps.sh installs them; a missing font must not pass for a visible page.
        ASSERT_TRUE(QFontDatabase::families().contains(QString::fromLatin1(c.family)))
            << "install fonts-dejavu-core and fonts-liberation2";
        ReaderFixture f;
        writeFileBytes(f.settingsPath(), QByteArray("[Options]\nDefault font name=") + c.family +
                                             "\nDefault font size=" +
                                             QByteArray::number(c.size) + "\n");
        const QString book = f.writeBook("lines.txt", numberedLines(400));
        TForm1 &form = f.start({}, false);
        form.resize(c.window);
        showWindow(form);
        form.ZWEntfernen->setChecked(false);
        form.openFileFromUser(book);
        ASSERT_EQ(form.pageFont().family(), QString::fromLatin1(c.family));
        ASSERT_EQ(QFontInfo(form.LinkeSeite->font()).family(), QString::fromLatin1(c.family));
        const ReaderState &s = form.readerState();
        ASSERT_GT(s.PageCount, 2);
        for (QPlainTextEdit *page : {form.LinkeSeite, form.RechteSeite}) {
            QTextDocument *doc = page->document();
            ASSERT_EQ(doc->blockCount(), s.LinesPerPage);
            const QTextBlock last = doc->lastBlock();
            const QRect shown = page->cursorRect(QTextCursor(last));
            const QRect first = page->cursorRect(QTextCursor(doc->firstBlock()));
            const QRect second = page->cursorRect(QTextCursor(doc->firstBlock().next()));
            EXPECT_LE(shown.bottom(), page->viewport()->height())
                << "page height " << page->height() << " lines " << s.LinesPerPage << " step "
                << second.top() - first.top() << " first top " << first.top() << " spacing "
                << QFontMetricsF(page->font()).lineSpacing() << " height "
                << QFontMetricsF(page->font()).height();
        }
        // The right page continues exactly where the left one stops.
        EXPECT_EQ(form.LinkeSeite->document()->lastBlock().text(),
                  QStringLiteral("line %1").arg(s.LinesPerPage));
        EXPECT_EQ(form.RechteSeite->document()->firstBlock().text(),
                  QStringLiteral("line %1").arg(s.LinesPerPage + 1));
    }
}

// Page numbers of six digits are shown whole in the strip above the pages.
TEST(PageView, SixDigitPageNumbersAreNotClipped)
{
    ReaderFixture f;
    writeFileBytes(f.settingsPath(), QByteArray("[Options]\nDefault font size=20\n"));
    QByteArray text;
    for (int i = 0; i < 330000; ++i)
        text += "x\r\n";
    const QString book = f.writeBook("many.txt", text);
    TForm1 &form = f.start({}, false);
    form.resize(800, 100);
    showWindow(form);
    form.ZWEntfernen->setChecked(false);
    form.openFileFromUser(book);
    const ReaderState &s = form.readerState();
    ASSERT_GE(s.PageCount, 100001) << s.LinesPerPage << " lines a page";
    QTest::keyClick(&form, Qt::Key_End);
    ASSERT_GE(s.CurrentPage, 100000);
    for (QLabel *label : {form.SeitenNrLinks, form.SeitenNrRechts}) {
        ASSERT_EQ(label->text().size(), 6);
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                  label->contentsRect().width());
        EXPECT_LE(label->geometry().right(), form.width());
    }
    EXPECT_LT(form.SeitenNrRechts->geometry().right(), form.width());
}
