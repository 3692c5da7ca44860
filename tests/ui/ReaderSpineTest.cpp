#include "ReaderFixture.h"

#include "BookGenerator.h"

#include "core/book/IniFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>
#include <zip.h>

#include <functional>
#include <utility>

namespace {

const QString kCannotOpen = QStringLiteral("Cannot open this file!");
const QString kStartTitle = QStringLiteral("Tavolex Version 1.8.2 - May 2003");
const QString kFont = QStringLiteral("DejaVu Sans");
const QString kSize = QStringLiteral("12");

QString lineText(int n)
{
    return QStringLiteral("Line %1").arg(n, 4, 10, QChar(u'0'));
}

// Short numbered lines: with line-break removal off, every raw line is one fitted line.
QByteArray numberedBook(int count, const QByteArray &eol = "\r\n", int first = 1)
{
    QByteArray bytes;
    for (int n = first; n < first + count; ++n)
        bytes += lineText(n).toUtf8() + eol;
    return bytes;
}

QStringList numberedLines(int from, int to)
{
    QStringList lines;
    for (int n = from; n <= to; ++n)
        lines << lineText(n);
    return lines;
}

QStringList shownLines(const QPlainTextEdit *page)
{
    const QString text = page->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

QStringList historyEntries(const TForm1 &form)
{
    QStringList entries;
    for (int i = 0; i < form.History->count(); ++i)
        entries << form.History->itemText(i);
    return entries;
}

QStringList fittedLines(const TForm1 &form)
{
    QStringList lines;
    for (int n = 1; n <= form.readerState().TotalLines; ++n)
        lines << form.FittedLine(n);
    return lines;
}

QString pagesText(int pageCount)
{
    return QString::number(pageCount) +
           (pageCount == 1 ? QStringLiteral(" page)") : QStringLiteral(" pages)"));
}

QString expectedTitle(const QString &document, int pageCount)
{
    return document + QStringLiteral(" (") + kFont + QStringLiteral(", ") + kSize +
           QStringLiteral(" pt, ") + pagesText(pageCount);
}

void makeZip(const QString &path, const QList<std::pair<QString, QByteArray>> &members)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    int error = 0;
    zip_t *archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    for (const auto &[name, bytes] : members) {
        zip_source_t *source =
            zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        ASSERT_GE(zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8), 0)
            << zip_strerror(archive);
    }
    ASSERT_EQ(zip_close(archive), 0);
}

// A reader in its own program folder whose books show in a known font; line-break removal is
// off for documents without settings of their own, so fitted lines are the raw lines.
struct Reader
{
    ReaderFixture fx;

    Reader()
    {
        preset(QStringLiteral("Options"), QStringLiteral("Default font name"), kFont);
        preset(QStringLiteral("Options"), QStringLiteral("Default font size"), kSize);
    }

    void preset(const QString &section, const QString &key, const QString &value)
    {
        IniFile ini(fx.settingsPath());
        ASSERT_EQ(ini.writeString(section, key, value), IniFile::WriteResult::Written);
    }

    TForm1 &start(const QStringList &arguments = {})
    {
        TForm1 &form = fx.start(arguments, false);
        form.ZWEntfernen->setChecked(false);
        showWindow(form);
        return form;
    }

    TForm1 &form() { return *fx.form; }
    const ReaderState &state() { return fx.form->readerState(); }
    ScriptedPrompts &prompts() { return *fx.prompts; }

    void open(const QString &path)
    {
        prompts().openAnswers.push_back(path);
        form().LadenClick();
    }

    QString readKey(const QString &section, const QString &key)
    {
        return IniFile(fx.settingsPath()).readString(section, key, QStringLiteral("<none>"));
    }

    // Lines per page of the current window for books in the default font.
    int linesPerPage() { return form().LinesPerPageFor(); }

    // The left and right page show the lines of CurrentPage and CurrentPage + 1.
    void expectSpread(int page, int totalLines)
    {
        const int lpp = state().LinesPerPage;
        EXPECT_EQ(state().CurrentPage, page);
        EXPECT_EQ(form().SeitenNrLinks->text(), QString::number(page));
        EXPECT_EQ(form().SeitenNrRechts->text(), QString::number(page + 1));
        const int leftFirst = (page - 1) * lpp + 1;
        const int leftLast = std::min(page * lpp, totalLines);
        EXPECT_EQ(shownLines(form().LinkeSeite), numberedLines(leftFirst, leftLast));
        const int rightLast = std::min((page + 1) * lpp, totalLines);
        EXPECT_EQ(shownLines(form().RechteSeite), numberedLines(page * lpp + 1, rightLast));
    }

    // A point of the window background, outside both pages and every control.
    QPoint backgroundPoint()
    {
        TForm1 &f = form();
        const QRect left = f.LinkeSeite->geometry();
        const QRect right = f.RechteSeite->geometry();
        const int midX = (left.right() + right.left()) / 2;
        for (int dx = 0; dx < f.width() / 2; ++dx) {
            for (int x : {midX - dx, midX + dx}) {
                for (int y = left.top() + 20; y < left.bottom(); y += 7) {
                    const QPoint p(x, y);
                    if (!left.contains(p) && !right.contains(p) && !f.childAt(p))
                        return p;
                }
            }
        }
        ADD_FAILURE() << "no background point found";
        return {};
    }

    // A book of the given number of numbered lines, opened through the open command.
    QString openNumbered(const QString &name, int lines)
    {
        const QString path = fx.writeBook(name, numberedBook(lines));
        open(path);
        EXPECT_FALSE(state().OpenFailed);
        EXPECT_EQ(state().TotalLines, lines);
        return path;
    }
};

class ReaderSpine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QFontDatabase::families().contains(kFont))
            GTEST_SKIP() << kFont.toStdString() << " is not installed";
    }
};

TEST_F(ReaderSpine, CommandLineBookShowsTitleLabelsAndFirstLine)
{
    struct Case
    {
        const char *name;
        int lines;
    };
    for (const Case &c : {Case{"one page", 1}, Case{"many pages", 300}}) {
        SCOPED_TRACE(c.name);
        Reader r;
        const QString path = r.fx.writeBook(QStringLiteral("tale.txt"), numberedBook(c.lines));
        TForm1 &form = r.start({path});
        ASSERT_EQ(r.state().FileName, path);
        const int lpp = r.state().LinesPerPage;
        const int pages = (c.lines - 1) / lpp + 1;
        EXPECT_EQ(r.state().PageCount, pages);
        EXPECT_EQ(form.windowTitle(), expectedTitle(QStringLiteral("File ") + path, pages));
        EXPECT_EQ(form.SeitenNrLinks->text(), QStringLiteral("1"));
        EXPECT_EQ(form.SeitenNrRechts->text(), QStringLiteral("2"));
        EXPECT_TRUE(form.LinkeSeite->toPlainText().startsWith(lineText(1)));
        EXPECT_TRUE(r.prompts().shown.isEmpty()) << r.prompts().shown.join(u'|').toStdString();
    }
}

TEST_F(ReaderSpine, OnePageBookTitleSaysPage)
{
    Reader r;
    const QString path = r.fx.writeBook(QStringLiteral("note.txt"), "Just one line\r\n");
    TForm1 &form = r.start({path});
    EXPECT_EQ(form.windowTitle(),
              QStringLiteral("File ") + path + QStringLiteral(" (DejaVu Sans, 12 pt, 1 page)"));
}

TEST_F(ReaderSpine, TurningPagesByHandlerAndByBackgroundClicks)
{
    Reader r;
    TForm1 &form = r.start();
    const int lpp = r.linesPerPage();
    const int total = 3 * lpp + 1; // four pages, the last with one line
    r.openNumbered(QStringLiteral("four.txt"), total);
    ASSERT_EQ(r.state().PageCount, 4);
    r.expectSpread(1, total);

    const QPoint background = r.backgroundPoint();
    const auto handler = [&](Qt::MouseButton b) { return [&form, b] { form.Blaettern(b); }; };
    const auto click = [&](Qt::MouseButton b) {
        return [&form, b, background] { QTest::mouseClick(&form, b, Qt::NoModifier, background); };
    };
    struct Step
    {
        const char *name;
        std::function<void()> act;
        int page;
    };
    const std::vector<Step> steps = {
        {"handler forward", handler(Qt::RightButton), 3},
        {"forward onto the last spread", handler(Qt::RightButton), 4},
        {"forward at the end", handler(Qt::RightButton), 4},
        {"handler back", handler(Qt::LeftButton), 2},
        {"back below page 1", handler(Qt::LeftButton), 1},
        {"click forward", click(Qt::RightButton), 3},
        {"click forward to the end", click(Qt::RightButton), 4},
        {"click back", click(Qt::LeftButton), 2},
        {"middle button", click(Qt::MiddleButton), 2},
        {"click back to the start", click(Qt::LeftButton), 1},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        r.expectSpread(step.page, total);
        EXPECT_EQ(r.readKey(r.state().FileName, QStringLiteral("Page")),
                  QString::number(step.page));
    }
}

TEST_F(ReaderSpine, BackAtPageOneChangesNothing)
{
    Reader r;
    TForm1 &form = r.start();
    const int total = 3 * r.linesPerPage();
    r.openNumbered(QStringLiteral("start.txt"), total);
    const QStringList history = historyEntries(form);
    const QByteArray settings = readFileBytes(r.fx.settingsPath());
    const QPoint background = r.backgroundPoint();

    form.Blaettern(Qt::LeftButton);
    QTest::mouseClick(&form, Qt::LeftButton, Qt::NoModifier, background);

    r.expectSpread(1, total);
    EXPECT_EQ(historyEntries(form), history);
    EXPECT_EQ(readFileBytes(r.fx.settingsPath()), settings);
}

TEST_F(ReaderSpine, SpreadShowsLinesOfBothPages)
{
    struct Case
    {
        const char *name;
        int (*total)(int lpp);
        int turns; // forward turns after opening
        int page;
    };
    const Case cases[] = {
        {"two and a half pages, last spread", [](int lpp) { return 2 * lpp + lpp / 2; }, 1, 3},
        {"one and a half pages, first spread", [](int lpp) { return lpp + lpp / 2; }, 0, 1},
        {"exactly two pages", [](int lpp) { return 2 * lpp; }, 0, 1},
        {"one line over two pages", [](int lpp) { return 2 * lpp + 1; }, 1, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Reader r;
        TForm1 &form = r.start();
        const int lpp = r.linesPerPage();
        ASSERT_GE(lpp, 4);
        const int total = c.total(lpp);
        r.openNumbered(QStringLiteral("spread.txt"), total);
        for (int i = 0; i < c.turns; ++i)
            form.Blaettern(Qt::RightButton);
        r.expectSpread(c.page, total);
        if (c.page * lpp >= total) {
            EXPECT_TRUE(form.RechteSeite->toPlainText().isEmpty());
        }
    }
}

TEST_F(ReaderSpine, BlankLinesAtTheTopOfAPageAreDropped)
{
    Reader r;
    TForm1 &form = r.start();
    const int lpp = r.linesPerPage();
    // Page 2 starts with three empty lines; page 1 ends with blanks after its last word.
    QByteArray book = numberedBook(lpp - 1);
    book += "Last of page one   \r\n";
    book += "\r\n\r\n\r\n";
    book += numberedBook(lpp, "\r\n", 2000);
    const QString path = r.fx.writeBook(QStringLiteral("blank.txt"), book);
    r.open(path);
    ASSERT_EQ(r.state().TotalLines, 2 * lpp + 3);
    EXPECT_EQ(shownLines(form.RechteSeite).value(0), lineText(2000));
    EXPECT_EQ(r.state().RightTrim.BlankLines, 3);
    EXPECT_EQ(shownLines(form.LinkeSeite).value(lpp - 1), QStringLiteral("Last of page one"));
}

TEST_F(ReaderSpine, PageHistoryRecordsEveryPageChange)
{
    Reader r;
    TForm1 &form = r.start();
    r.openNumbered(QStringLiteral("history.txt"), 10 * r.linesPerPage());
    EXPECT_EQ(historyEntries(form), QStringList({"1"}));

    form.Blaettern(Qt::RightButton);
    form.Blaettern(Qt::RightButton);
    EXPECT_EQ(historyEntries(form), QStringList({"1", "3", "5"}));

    // A fit that keeps the page still records it.
    form.AnpassenClick();
    EXPECT_EQ(r.state().CurrentPage, 5);
    form.AnpassenClick();
    EXPECT_EQ(historyEntries(form), QStringList({"1", "3", "5", "5", "5"}));

    // Turning while an earlier entry is selected drops the later entries first.
    form.History->setCurrentIndex(1);
    form.Blaettern(Qt::RightButton);
    const QString now = QString::number(r.state().CurrentPage);
    EXPECT_EQ(historyEntries(form), QStringList({"1", "3", now}));
    EXPECT_EQ(form.History->currentIndex(), 2);
}

TEST_F(ReaderSpine, FailedOpenKeepsThePreviousBook)
{
    struct Case
    {
        const char *name;
        std::function<QString(const Reader &)> path;
    };
    const Case cases[] = {
        {"a folder", [](const Reader &r) { return r.fx.programDir; }},
        {"a missing file",
         [](const Reader &r) { return r.fx.programDir + QStringLiteral("/gone.txt"); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Reader r;
        TForm1 &form = r.start();
        const QString good = r.openNumbered(QStringLiteral("good.txt"), 50);
        const QString title = form.windowTitle();
        const QString left = form.LinkeSeite->toPlainText();
        ASSERT_TRUE(title.startsWith(QStringLiteral("File ") + good));

        r.open(c.path(r));

        EXPECT_EQ(r.prompts().shown, QStringList({kCannotOpen}));
        EXPECT_EQ(r.state().FileName, good);
        EXPECT_EQ(form.windowTitle(), title);
        EXPECT_TRUE(r.state().OpenFailed);
        EXPECT_EQ(form.LinkeSeite->toPlainText(), left);
        EXPECT_EQ(r.readKey(QStringLiteral("Last"), QStringLiteral("Last read file")), good);
    }
}

TEST_F(ReaderSpine, LineEndsNulAndEmptyFiles)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        QStringList lines;
        QStringList shown = {}; // what the reader is told
    };
    const Case cases[] = {
        {"CR LF", numberedBook(40), numberedLines(1, 40)},
        {"LF only", numberedBook(40, "\n"), numberedLines(1, 40)},
        {"CR only", numberedBook(40, "\r"), numberedLines(1, 40)},
        {"mixed", numberedBook(3, "\n") + numberedBook(3, "\r\n", 4) + numberedBook(3, "\r", 7),
         numberedLines(1, 9)},
        {"NUL ends the text",
         QByteArray("Before\r\nAfter", 13) + '\0' + "hidden\r\nmore\r\n",
         {"Before", "After"},
         {"The text ends at a NUL character; 14 bytes after it are not shown"}},
        {"NUL first", QByteArray(1, '\0') + "hidden\r\n", {""},
         {"The text ends at a NUL character; 8 bytes after it are not shown"}},
        {"empty", QByteArray(), {""}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Reader r;
        TForm1 &form = r.start();
        const QString path = r.fx.writeBook(QStringLiteral("ends.txt"), c.bytes);
        r.open(path);
        ASSERT_FALSE(r.state().OpenFailed);
        EXPECT_EQ(fittedLines(form), c.lines);
        const int pages = (static_cast<int>(c.lines.size()) - 1) / r.state().LinesPerPage + 1;
        EXPECT_EQ(r.state().PageCount, pages);
        EXPECT_EQ(form.windowTitle(), expectedTitle(QStringLiteral("File ") + path, pages));
        EXPECT_EQ(r.prompts().shown, c.shown);
    }
}

TEST_F(ReaderSpine, LfOnlyBookFitsLikeCrLfBookWithBreaksRemoved)
{
    const QByteArray crlf = generateBookBytes(7, 60000);
    QByteArray lf = crlf;
    lf.replace("\r\n", "\n");
    ASSERT_NE(lf, crlf);
    QList<QStringList> results;
    for (const QByteArray &bytes : {crlf, lf}) {
        ReaderFixture fx;
        const QString path = fx.writeBook(QStringLiteral("novel.txt"), bytes);
        TForm1 &form = fx.start({path});
        ASSERT_TRUE(form.ZWEntfernen->isChecked());
        ASSERT_TRUE(form.readerState().BreaksRemoved);
        results << fittedLines(form);
    }
    EXPECT_GT(results[0].size(), 100);
    EXPECT_EQ(results[0], results[1]);
}

TEST_F(ReaderSpine, PageTurnWritesPageUnlessThePathIsExcluded)
{
    struct Case
    {
        const char *name;
        bool insideProgramFolder;
        QString exclusion; // "" none, "*" all, "folder" the book's folder
        bool written;
    };
    const Case cases[] = {
        {"book in the program folder", true, "", true},
        {"book elsewhere", false, "", true},
        {"everything excluded, book in the program folder", true, "*", true},
        {"everything excluded", false, "*", false},
        {"book folder excluded", false, "folder", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Reader r;
        const QString folder =
            c.insideProgramFolder ? r.fx.programDir + QStringLiteral("/books") : makeTempDir();
        const QString path = folder + QStringLiteral("/excluded.txt");
        writeFileBytes(path, numberedBook(200));
        if (c.exclusion == QLatin1String("*"))
            r.preset(QStringLiteral("Excluded Paths"), QStringLiteral("*"), QString());
        else if (c.exclusion == QLatin1String("folder"))
            r.preset(QStringLiteral("Excluded Paths"), folder + u'/', QString());
        TForm1 &form = r.start({path});
        ASSERT_EQ(r.state().FileName, path);
        ASSERT_GE(r.state().PageCount, 3);
        const QByteArray before = readFileBytes(r.fx.settingsPath());

        form.Blaettern(Qt::RightButton);
        ASSERT_EQ(r.state().CurrentPage, 3);

        if (c.written) {
            EXPECT_EQ(r.readKey(path, QStringLiteral("Page")), QStringLiteral("3"));
        } else {
            EXPECT_EQ(readFileBytes(r.fx.settingsPath()), before);
            EXPECT_FALSE(r.fx.settingsText().contains(path)) << r.fx.settingsText().toStdString();
        }
    }
}

TEST_F(ReaderSpine, ReopeningReturnsToTheRememberedPageAndFont)
{
    Reader r;
    r.start();
    const int lpp = r.linesPerPage();
    r.fx.stop();
    const QString path = r.fx.writeBook(QStringLiteral("long.txt"), numberedBook(8 * lpp + 1));

    TForm1 &first = r.start({path});
    for (int i = 0; i < 3; ++i)
        first.Blaettern(Qt::RightButton);
    ASSERT_EQ(r.state().CurrentPage, 7);
    const QString family = first.pageFont().family();
    r.fx.stop();

    // A changed default must not reach a document that has its own font.
    r.preset(QStringLiteral("Options"), QStringLiteral("Default font name"),
             QStringLiteral("DejaVu Sans Mono"));
    r.preset(QStringLiteral("Options"), QStringLiteral("Default font size"), QStringLiteral("16"));
    TForm1 &second = r.fx.start({path});
    EXPECT_EQ(r.state().CurrentPage, 7);
    EXPECT_EQ(second.pageFont().family(), family);
    EXPECT_EQ(second.Fontgroesse->text(), kSize);
    EXPECT_EQ(second.SeitenNrLinks->text(), QStringLiteral("7"));
    EXPECT_EQ(shownLines(second.LinkeSeite).value(0), lineText(6 * lpp + 1));
    EXPECT_EQ(second.windowTitle(), expectedTitle(QStringLiteral("File ") + path, 9));
}

TEST_F(ReaderSpine, MissingArgumentOpensNothingAndSaysSo)
{
    Reader r;
    const QString missing = r.fx.programDir + QStringLiteral("/missing.txt");
    TForm1 &form = r.start({missing});
    EXPECT_TRUE(r.state().FileName.isEmpty());
    EXPECT_EQ(r.state().PageCount, 0);
    EXPECT_EQ(form.windowTitle(), kStartTitle);
    EXPECT_EQ(r.prompts().shown, QStringList{QStringLiteral("Cannot open this file!\r") + missing});
    // A click on the background with nothing open turns nothing.
    QTest::mouseClick(&form, Qt::RightButton, Qt::NoModifier, r.backgroundPoint());
    EXPECT_EQ(r.state().CurrentPage, 1);
    EXPECT_TRUE(form.LinkeSeite->toPlainText().isEmpty());
}

TEST_F(ReaderSpine, OneMemberArchiveOpensWithoutTheChooser)
{
    Reader r;
    TForm1 &form = r.start();
    const QString zipPath = r.fx.programDir + QStringLiteral("/books/single.ZIP");
    makeZip(zipPath, {{QStringLiteral("story.txt"), numberedBook(200)}});

    r.open(zipPath);

    ASSERT_FALSE(r.state().OpenFailed);
    EXPECT_TRUE(r.prompts().memberLists.isEmpty());
    EXPECT_EQ(r.state().ArchiveMember, QStringLiteral("story.txt"));
    EXPECT_FALSE(r.state().MultiMemberArchive);
    EXPECT_EQ(form.windowTitle(),
              expectedTitle(QStringLiteral("File [story.txt] from archive ") + zipPath,
                            r.state().PageCount));
    EXPECT_TRUE(form.LinkeSeite->toPlainText().startsWith(lineText(1)));
    form.Blaettern(Qt::RightButton);
    EXPECT_EQ(r.readKey(zipPath, QStringLiteral("Page")), QStringLiteral("3"));
}

TEST_F(ReaderSpine, ChosenMemberOfTwoOpensAndLeavesNoTrace)
{
    Reader r;
    TForm1 &form = r.start();
    const QString zipPath = r.fx.programDir + QStringLiteral("/books/pair.zip");
    makeZip(zipPath, {{QStringLiteral("first.txt"), "First book\r\n"},
                      {QStringLiteral("second.txt"), numberedBook(200, "\r\n", 500)}});
    r.prompts().memberAnswers.push_back(QStringLiteral("second.txt"));

    r.open(zipPath);

    ASSERT_FALSE(r.state().OpenFailed);
    EXPECT_EQ(r.prompts().memberLists,
              QList<QStringList>({{QStringLiteral("first.txt"), QStringLiteral("second.txt")}}));
    EXPECT_EQ(r.state().ArchiveMember, QStringLiteral("second.txt"));
    EXPECT_TRUE(r.state().MultiMemberArchive);
    EXPECT_EQ(form.windowTitle(),
              expectedTitle(QStringLiteral("File [second.txt] from archive ") + zipPath,
                            r.state().PageCount));
    EXPECT_TRUE(form.LinkeSeite->toPlainText().startsWith(lineText(500)));
    form.Blaettern(Qt::RightButton);
    EXPECT_EQ(r.state().CurrentPage, 3);
    EXPECT_FALSE(IniFile(r.fx.settingsPath()).sectionExists(zipPath))
        << r.fx.settingsText().toStdString();
}

TEST_F(ReaderSpine, CancelledOrDamagedArchiveKeepsThePreviousBook)
{
    struct Case
    {
        const char *name;
        std::function<QString(Reader &)> archive; // makes the archive, plans the chooser
        QStringList shown;
    };
    const Case cases[] = {
        {"chooser cancelled",
         [](Reader &r) {
             const QString path = r.fx.programDir + QStringLiteral("/books/pair.zip");
             makeZip(path,
                     {{QStringLiteral("a.txt"), "A\r\n"}, {QStringLiteral("b.txt"), "B\r\n"}});
             r.prompts().memberAnswers.push_back(QString());
             return path;
         },
         {}},
        {"not an archive",
         [](Reader &r) {
             return r.fx.writeBook(QStringLiteral("junk.zip"), "PK\x03\x04 this is no archive");
         },
         {kCannotOpen}},
        {"truncated archive",
         [](Reader &r) {
             const QString whole = r.fx.programDir + QStringLiteral("/whole.zip");
             makeZip(whole, {{QStringLiteral("a.txt"), numberedBook(500)},
                             {QStringLiteral("b.txt"), numberedBook(500)}});
             const QByteArray bytes = readFileBytes(whole);
             return r.fx.writeBook(QStringLiteral("cut.zip"), bytes.left(bytes.size() / 2));
         },
         {kCannotOpen}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Reader r;
        TForm1 &form = r.start();
        const QString good = r.openNumbered(QStringLiteral("good.txt"), 50);
        const QString title = form.windowTitle();
        const QString left = form.LinkeSeite->toPlainText();

        r.open(c.archive(r));

        EXPECT_EQ(r.prompts().shown, c.shown);
        EXPECT_TRUE(r.state().OpenFailed);
        EXPECT_EQ(r.state().FileName, good);
        EXPECT_EQ(form.windowTitle(), title);
        EXPECT_EQ(form.LinkeSeite->toPlainText(), left);
    }
}

} // namespace
