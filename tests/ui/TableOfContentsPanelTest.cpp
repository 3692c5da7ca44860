#include "BookSteps.h"

#include "BookGenerator.h"

#include "core/book/ChapterHeadings.h"
#include "core/book/IniFile.h"

#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

namespace {

// Opens a synthetic book (line breaks kept) and returns its path.
QString openGeneratedBook(ReaderFixture &fixture, TForm1 &form, qsizetype chars = 120000,
                          int tailLines = 0)
{
    form.ZWEntfernen->setChecked(false);
    QByteArray bytes = generateBookBytes(7, chars);
    for (int i = 0; i < tailLines; ++i)
        bytes += "\r\nand the story went on";
    const QString path = fixture.writeBook(QStringLiteral("synthetic.txt"), bytes);
    form.openFileFromUser(path);
    // These tests pin the blank-line rules; the book's default would take its headings.
    form.TocSourceChange(static_cast<int>(TocSource::BlankLines));
    return path;
}

QStringList column(const TForm1 &form, int c)
{
    QStringList cells;
    for (int r = 0; r < form.ChapterList->rowCount(); ++r) {
        const QTableWidgetItem *item = form.ChapterList->item(r, c);
        cells << (item ? item->text() : QString());
    }
    return cells;
}

// The chapter headings of the synthetic book, by fitted line.
QList<int> chapterLines(const TForm1 &form)
{
    QList<int> lines;
    for (int n = 1; n <= form.readerState().TotalLines; ++n) {
        if (form.FittedLine(n).startsWith(QStringLiteral("CHAPTER ")))
            lines << n;
    }
    return lines;
}

void postKey(QWidget *to, Qt::Key key)
{
    QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
}

QPoint rowCentre(const TForm1 &form, int row)
{
    return form.ChapterList->visualRect(form.ChapterList->model()->index(row, 1)).center();
}

} // namespace

TEST(TocTest, CreateListsTheChaptersWithTheirPagesAndHeaders)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    openGeneratedBook(fixture, form);
    const QString title = form.windowTitle();
    form.CreateTOCClick();

    const QStringList pages = column(form, 0);
    const QStringList first = column(form, 1);
    const QStringList headers = column(form, 2);
    ASSERT_GT(pages.size(), 3);
    EXPECT_EQ(pages[0], QStringLiteral("Page"));
    EXPECT_EQ(first[0], QStringLiteral("First line"));
    EXPECT_EQ(first[1], QStringLiteral("THE SYNTHETIC VOLUME"));
    // Chapter 1 follows the title within its header window's reach; every later one is listed.
    const QList<int> chapters = chapterLines(form);
    ASSERT_EQ(pages.size(), 2 + chapters.size() - 1);
    const int lpp = form.readerState().LinesPerPage;
    for (qsizetype i = 1; i < chapters.size(); ++i) {
        const int row = static_cast<int>(i + 1);
        EXPECT_EQ(first[row], form.FittedLine(chapters[i]));
        EXPECT_EQ(pages[row].toInt(), (chapters[i] - 1) / lpp + 1);
        EXPECT_TRUE(headers[row].startsWith(first[row] + QStringLiteral("\r\n")))
            << headers[row].toStdString();
        EXPECT_TRUE(headers[row].endsWith(QStringLiteral(" ..."))) << headers[row].toStdString();
    }
    EXPECT_EQ(form.ChapterPreview->toPlainText(), QString(headers[1]).replace("\r\n", "\n"));
    EXPECT_EQ(form.windowTitle(), title);
    EXPECT_TRUE(form.readerState().LayoutCause.isEmpty());
    EXPECT_TRUE(fixture.prompts->shown.isEmpty());
}

TEST(TocTest, SpaceDuringTheScanKeepsWhatWasFoundAndOtherKeysAreLost)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openGeneratedBook(fixture, form, 400000);
    form.keyPollIntervalMs = 0;
    QStringList titles;
    QObject::connect(&form, &QWidget::windowTitleChanged, [&](const QString &t) {
        titles << t;
        if (t.startsWith(QStringLiteral("TOC section 2 ")))
            postKey(&form, Qt::Key_X);
        if (t.startsWith(QStringLiteral("TOC section 4 ")))
            postKey(&form, Qt::Key_Space);
    });
    postKey(&form, Qt::Key_Space); // pending at the start: ignored
    const int page = form.readerState().CurrentPage;
    form.CreateTOCClick();
    EXPECT_EQ(form.ChapterList->rowCount(), 5); // the heading and four sections
    EXPECT_FALSE(column(form, 2).last().endsWith(QStringLiteral(" ...")));
    EXPECT_EQ(titles.value(0), QStringLiteral("Creating TOC ..."));
    EXPECT_TRUE(titles.contains(QStringLiteral("TOC section 1 (page 1/%1) - Press Space to abort")
                                    .arg(form.readerState().PageCount)));
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.Finden->isVisible()); // the letter did not open quick find
    EXPECT_EQ(form.readerState().CurrentPage, page);
}

TEST(TocTest, SettingTextsThatAreNoNumbersAndNoDocument)
{
    struct Case
    {
        const char *name;
        bool document;
        QString preChapter;
        QString chapterLines;
        QStringList shown;
    };
    const Case cases[] = {
        {"header size not a number", true, "3", "x", {"'x' is not a valid integer value"}},
        {"blank lines not a number", true, "y", "5", {}},
        {"no document", false, "3", "5", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture fixture;
        TForm1 &form = fixture.start();
        if (c.document) {
            openGeneratedBook(fixture, form, 20000);
            form.CreateTOCClick();
            ASSERT_GT(form.ChapterList->rowCount(), 1);
        }
        form.PreChapter->setText(c.preChapter);
        form.ChapterLines->setText(c.chapterLines);
        form.CreateTOCClick();
        EXPECT_EQ(form.ChapterList->rowCount(), 1);
        EXPECT_TRUE(form.ChapterPreview->toPlainText().isEmpty());
        EXPECT_EQ(fixture.prompts->shown, c.shown);
        EXPECT_TRUE(form.readerState().LayoutCause.isEmpty());
    }
}

TEST(TocTest, SectionJumpsAndClicks)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openGeneratedBook(fixture, form, 200000, 400);
    form.CreateTOCClick();
    const QStringList pages = column(form, 0);
    ASSERT_GT(pages.size(), 4);
    const int last = form.readerState().PageCount;
    const int second = pages[2].toInt();
    const int lastSection = pages.last().toInt();
    ASSERT_LT(lastSection, last);
    struct Case
    {
        const char *name;
        int from;
        QLabel *field; // nullptr: the key with Ctrl
        bool forward;
        int to;
    };
    const Case cases[] = {
        {"next from page 1", 1, form.ChapterNext, true, second},
        {"next with Ctrl+Right", 1, nullptr, true, second},
        {"next after the last section goes to the last page", lastSection, form.ChapterNext, true,
         last},
        {"previous on page 1 stays", 1, form.ChapterPrev, false, 1},
        {"previous from the second section", second, nullptr, false, 1},
        {"previous from the end", last - 1, form.ChapterPrev, false, lastSection},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        goToPage(form, 1);
        for (int p = 1; p < c.from; p += 10)
            press(form, Qt::Key_PageDown);
        while (form.readerState().CurrentPage > c.from)
            press(form, Qt::Key_Left);
        ASSERT_EQ(form.readerState().CurrentPage, c.from);
        if (c.field)
            QTest::mouseClick(c.field, Qt::LeftButton);
        else
            press(form, c.forward ? Qt::Key_Right : Qt::Key_Left, Qt::ControlModifier);
        EXPECT_EQ(form.readerState().CurrentPage, c.to);
    }

    // A right click on "<<" shows the table.
    ASSERT_FALSE(form.Contents->isVisible());
    QTest::mouseClick(form.ChapterPrev, Qt::RightButton);
    ASSERT_TRUE(form.Contents->isVisible());
    EXPECT_EQ(form.ShowTOC->text(), QStringLiteral("&Hide TOC"));
    goToPage(form, 1);
    QTest::mouseClick(form.ChapterList->viewport(), Qt::LeftButton, {}, rowCentre(form, 0));
    EXPECT_EQ(form.readerState().CurrentPage, 1); // the heading row does not jump
    QTest::mouseClick(form.ChapterList->viewport(), Qt::LeftButton, {}, rowCentre(form, 3));
    EXPECT_EQ(form.readerState().CurrentPage, pages[3].toInt());
    EXPECT_TRUE(form.Contents->isVisible());
}

TEST(TocTest, PointerOverTheTableMovesTheSelectionOneRowAtATime)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    openGeneratedBook(fixture, form, 200000);
    form.ShowTOCClick();
    form.CreateTOCClick();
    ASSERT_GT(form.ChapterList->rowCount(), 5);
    const auto preview = [&](int row) {
        return form.ChapterList->item(row, 2)->text().replace("\r\n", "\n");
    };
    EXPECT_EQ(form.ChapterList->currentRow(), 1);
    struct Step
    {
        QObject *over;
        int row; // the row under the pointer in ChapterList, else -1
        int selected;
    };
    const Step steps[] = {
        {form.ChapterList->viewport(), 3, 3},     {form.ChapterList->viewport(), 0, 2},
        {form.ChapterLabelDown, -1, 1},           {form.ChapterLabelDown, -1, 1},
        {form.ChapterPreview->viewport(), -1, 2}, {form.ChapterLabelUp, -1, 3},
    };
    for (const Step &s : steps) {
        const QPoint at = s.row >= 0 ? rowCentre(form, s.row) : QPoint(5, 5);
        form.ContentsMouseMove(s.over, at);
        EXPECT_EQ(form.ChapterList->currentRow(), s.selected);
        EXPECT_EQ(form.ChapterPreview->toPlainText(), preview(s.selected));
    }
}

TEST(TocTest, PanelPlacesAndPerDocumentSettings)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    form.resize(900, 640);
    const QString path = openGeneratedBook(fixture, form, 60000);
    EXPECT_EQ(form.ShowTOC->text(), QStringLiteral("S&how TOC"));
    form.ShowTOCClick();
    ASSERT_TRUE(form.Contents->isVisible());
    EXPECT_EQ(form.Contents->size(), QSize(262, 400));
    EXPECT_EQ(form.ChapterPreview->height(), 90);
    form.TOCLeft->setChecked(true);
    EXPECT_EQ(form.Contents->geometry(), QRect(5, 5, 195, form.height() - 10));
    EXPECT_EQ(form.ChapterPreview->height(), 130);
    EXPECT_EQ(form.readerState().TocOffset, 200);
    form.TOCCloseClick();
    EXPECT_FALSE(form.Contents->isVisible());
    EXPECT_FALSE(form.TOCLeft->isChecked());
    EXPECT_EQ(form.ShowTOC->text(), QStringLiteral("S&how TOC"));

    form.AutomaticTOC->setChecked(true);
    form.ChapterLinesUpDown->setValue(2);
    form.PreChapterUpDown->setValue(4);
    form.ChapterCountBlank->setChecked(false);
    EXPECT_GT(form.ChapterList->rowCount(), 1); // rebuilt by the change
    const auto key = [&](const char *name) {
        return IniFile(fixture.settingsPath()).readString(path, QString::fromLatin1(name), "-");
    };
    EXPECT_EQ(key("Automatically create TOC"), QStringLiteral("Yes"));
    EXPECT_EQ(key("Section header size"), QStringLiteral("2"));
    EXPECT_EQ(key("Preceding blank lines"), QStringLiteral("4"));
    EXPECT_EQ(key("Count blank lines"), QStringLiteral("No"));

    // Opening another book and this one again applies its settings without a rebuild each.
    form.AutomaticTOC->setChecked(false);
    form.ChapterLinesUpDown->setValue(5);
    form.openFileFromUser(fixture.writeBook(QStringLiteral("other.txt"), "x\r\n"));
    IniFile ini(fixture.settingsPath());
    ASSERT_EQ(ini.writeString(path, QStringLiteral("Section header size"), "3"),
              IniFile::WriteResult::Written);
    ASSERT_EQ(ini.writeString(path, QStringLiteral("Automatically create TOC"), "Yes"),
              IniFile::WriteResult::Written);
    form.openFileFromUser(path);
    EXPECT_EQ(form.ChapterLines->text(), QStringLiteral("3"));
    EXPECT_EQ(form.PreChapter->text(), QStringLiteral("4"));
    EXPECT_FALSE(form.ChapterCountBlank->isChecked());
    EXPECT_TRUE(form.AutomaticTOC->isChecked());
    EXPECT_GT(form.ChapterList->rowCount(), 1); // built once by the fit
}

// A resize while the scan polls for Space must wait for its end: refitted under the scan, the
// lines would no longer be where it counts them. The table then belongs to the new layout.
TEST(TocTest, ResizeDuringTheScanIsLaidOutAfterIt)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openGeneratedBook(fixture, form, 400000);
    form.AutomaticTOC->setChecked(true);
    form.keyPollIntervalMs = 0;
    const QSize smaller = form.size() - QSize(150, 150);
    bool asked = false;
    QObject::connect(&form, &QWidget::windowTitleChanged, [&](const QString &t) {
        if (!asked && t.startsWith(QStringLiteral("TOC section 2 "))) {
            asked = true;
            QTimer::singleShot(0, &form, [&form, smaller] { form.resize(smaller); });
        }
    });
    form.CreateTOCClick();
    ASSERT_EQ(form.size(), smaller) << "the resize came after the scan";
    QCoreApplication::processEvents();

    const QList<int> chapters = chapterLines(form);
    const int lpp = form.readerState().LinesPerPage;
    ASSERT_EQ(lpp, form.LinesPerPageFor());
    QStringList expected = column(form, 0).mid(0, 2);
    for (qsizetype i = 1; i < chapters.size(); ++i)
        expected << QString::number((chapters[i] - 1) / lpp + 1);
    EXPECT_EQ(column(form, 0), expected);
    EXPECT_TRUE(form.readerState().LayoutCause.isEmpty());
}

namespace {

// Chapters that begin with a paragraph of numbered words, wider than the page and the table.
QByteArray bookOfLongHeadings(QString &paragraph)
{
    paragraph.clear();
    for (int w = 1; w <= 120; ++w)
        paragraph += QStringLiteral("word%1 ").arg(w);
    paragraph = paragraph.trimmed();
    QByteArray book;
    for (int chapter = 1; chapter <= 40; ++chapter) {
        book += "\r\n\r\n\r\n\r\n" + paragraph.toLatin1() + "\r\n";
        for (int i = 0; i < 60; ++i)
            book += "a line of the chapter\r\n";
    }
    return book;
}

} // namespace

// The preview joins the lines a paragraph was wrapped into with the space they were broken at.
TEST(TocTest, PreviewKeepsTheSpacesOfWrappedLines)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    form.ZWEntfernen->setChecked(false);
    QString paragraph;
    form.openFileFromUser(fixture.writeBook(QStringLiteral("long.txt"), bookOfLongHeadings(paragraph)));
    form.TocSourceChange(static_cast<int>(TocSource::BlankLines));
    form.PreChapterUpDown->setValue(4);
    form.ChapterLinesUpDown->setValue(3);
    form.CreateTOCClick();
    const QStringList headers = column(form, 2);
    ASSERT_GE(headers.size(), 3);
    for (int row = 2; row < headers.size(); ++row) {
        QString header = headers[row];
        ASSERT_TRUE(header.endsWith(QStringLiteral(" ...")));
        header.chop(4);
        EXPECT_GT(header.size(), form.FittedLine(1 + 4).size());
        EXPECT_TRUE(paragraph.startsWith(header)) << header.toStdString();
    }
}

// A click on a row whose first line is wider than the table keeps the Page column in view.
TEST(TocTest, ClickOnAWideRowDoesNotScrollSideways)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    form.ZWEntfernen->setChecked(false);
    QString paragraph;
    form.openFileFromUser(fixture.writeBook(QStringLiteral("long.txt"), bookOfLongHeadings(paragraph)));
    form.TocSourceChange(static_cast<int>(TocSource::BlankLines));
    form.PreChapterUpDown->setValue(4);
    form.ShowTOCClick();
    form.CreateTOCClick();
    ASSERT_GE(form.ChapterList->rowCount(), 4);
    QTableWidget *table = form.ChapterList;
    ASSERT_GT(table->fontMetrics().horizontalAdvance(table->item(3, 1)->text()),
              table->columnWidth(1));
    // With the vertical scroll bar the two columns are wider than the table.
    ASSERT_LT(table->viewport()->width(), table->columnWidth(0) + table->columnWidth(1));
    for (const int row : {3, 2}) {
        const QRect cell = table->visualRect(table->model()->index(row, 1));
        // A hand moves a little while it clicks; the pointer is near the table's right edge.
        const QPoint at(table->viewport()->width() - 6, cell.center().y());
        QTest::mousePress(table->viewport(), Qt::LeftButton, {}, at);
        QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(2, 1)),
                         table->viewport()->mapToGlobal(QPointF(at + QPoint(2, 1))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(table->viewport(), &move);
        QTest::qWait(250);
        QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, at + QPoint(2, 1));
        EXPECT_EQ(table->horizontalScrollBar()->value(), 0);
        EXPECT_EQ(table->visualRect(table->model()->index(row, 0)).left(), 0);
    }
}
