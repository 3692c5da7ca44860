#include "BookSteps.h"
#include "core/book/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QListWidget>

namespace {

QStringList shownNames(const TForm1 &form)
{
    QStringList names;
    for (int i = 0; i < form.RecentList->count(); ++i)
        names << form.RecentList->item(i)->text();
    return names;
}

QStringList storedList(TForm1 &form)
{
    QStringList stored{form.settings().readString(QStringLiteral("Last"),
                                                  QStringLiteral("Last read file"), QString())};
    for (int k = 1; k <= 10; ++k) {
        const QString key = QStringLiteral("Recent %1").arg(k);
        // The start-up content holds an empty "Recent 1".
        const QString value = form.settings().readString(QStringLiteral("Recent"), key, QString());
        if (!value.isEmpty())
            stored << value;
    }
    return stored;
}

// A press on entry `row` of the shown panel.
void clickEntry(TForm1 &form, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    form.RecentShowClick();
    ASSERT_TRUE(form.Recent->isVisible());
    const QRect item = form.RecentList->visualItemRect(form.RecentList->item(row));
    QTest::mouseClick(form.RecentList->viewport(), Qt::LeftButton, modifiers, item.center());
}

QString book(ReaderFixture &fixture, const QString &name)
{
    return fixture.writeBook(name, shortLineBook(50));
}

} // namespace

TEST(RecentTest, TheListSurvivesOpeningReopeningRemovingAndARestart)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const QString base = fixture.programDir + QStringLiteral("/books/");
    const QString a = book(fixture, "a.txt");
    const QString b = book(fixture, "b.txt");
    const QString c = book(fixture, "sub/c.txt");
    for (const QString &path : {a, b, c}) {
        fixture.prompts->openAnswers.push_back(path);
        form.LadenClick();
    }
    // The first remembered book made its folder the base directory.
    EXPECT_EQ(form.readerState().BaseDirectory, base);
    EXPECT_EQ(form.BaseDir->text(), base);
    EXPECT_EQ(form.settings().readString("Base Directory", "InitialDir", {}), base);
    EXPECT_EQ(shownNames(form), (QStringList{"sub/c.txt", "b.txt", "a.txt"}));
    EXPECT_EQ(storedList(form), (QStringList{c, b, a}));

    clickEntry(form, 2); // reopen a
    EXPECT_FALSE(form.Recent->isVisible());
    EXPECT_EQ(form.readerState().FileName, a);
    EXPECT_EQ(form.readerState().PreviousFileName, c);
    EXPECT_EQ(shownNames(form), (QStringList{"a.txt", "sub/c.txt", "b.txt"}));
    EXPECT_EQ(storedList(form), (QStringList{a, c, b}));

    clickEntry(form, 0, Qt::ShiftModifier); // remove a; the panel stays
    EXPECT_TRUE(form.Recent->isVisible());
    EXPECT_EQ(form.readerState().FileName, a);
    EXPECT_EQ(shownNames(form), (QStringList{"sub/c.txt", "b.txt"}));
    EXPECT_EQ(storedList(form), (QStringList{c, b}));
    EXPECT_FALSE(fixture.settingsText().contains(QStringLiteral("Recent 2")));

    fixture.stop();
    TForm1 &again = fixture.start();
    EXPECT_EQ(shownNames(again), (QStringList{"sub/c.txt", "b.txt"}));
    EXPECT_EQ(again.BaseDir->text(), base);
    EXPECT_TRUE(again.Letzte->isVisible());
    EXPECT_EQ(again.Letzte->toolTip(),
              QStringLiteral("Left click: Show list of recent files\nRight click: Open ") + c);
    EXPECT_TRUE(fixture.prompts->shown.isEmpty());

    // A right click on "Recent" opens the latest book and leaves the list alone.
    QTest::mouseClick(again.Letzte, Qt::RightButton);
    EXPECT_EQ(again.readerState().FileName, c);
    EXPECT_EQ(shownNames(again), (QStringList{"sub/c.txt", "b.txt"}));
    EXPECT_FALSE(again.Letzte->isVisible());
}

TEST(RecentTest, MissingFilesAreReportedAndStayListed)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const QString a = book(fixture, "a.txt");
    const QString b = book(fixture, "b.txt");
    form.openFileFromUser(a);
    form.openFileFromUser(b);
    ASSERT_TRUE(QFile::remove(a));
    ASSERT_TRUE(QFile::remove(b));

    clickEntry(form, 1);
    ASSERT_EQ(fixture.prompts->shown.size(), 1);
    EXPECT_EQ(fixture.prompts->shown.at(0),
              QStringLiteral("File ") + a + QStringLiteral(" does not exist (any more)!"));
    form.OpenLatest();
    EXPECT_EQ(fixture.prompts->shown.at(1),
              QStringLiteral("File ") + b + QStringLiteral(" doesn't exist (any more)!"));
    EXPECT_EQ(shownNames(form), (QStringList{"b.txt", "a.txt"}));
    EXPECT_EQ(form.readerState().FileName, b);

    // A Shift+click on the only entry does not remove it.
    clickEntry(form, 0, Qt::ShiftModifier);
    clickEntry(form, 0, Qt::ShiftModifier);
    EXPECT_EQ(shownNames(form), (QStringList{"a.txt"}));
    EXPECT_EQ(storedList(form), (QStringList{a}));
}

TEST(RecentTest, TenEntriesAtMostAndTheOldestDrops)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    QStringList paths;
    for (int i = 1; i <= 11; ++i) {
        paths.prepend(book(fixture, QStringLiteral("b%1.txt").arg(i)));
        form.openFileFromUser(paths.first());
    }
    paths.removeLast();
    EXPECT_EQ(storedList(form), paths);
    EXPECT_EQ(form.RecentList->count(), 10);
    EXPECT_EQ(form.RecentList->currentRow(), 0);
}

TEST(RecentTest, SetToCurrentPathSplitsTheNamesAgainOnly)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const QString a = book(fixture, "a.txt");
    const QString t1 = book(fixture, "texts/t1.txt");
    const QString t2 = book(fixture, "texts/deep/t2.txt");
    for (const QString &path : {a, t2, t1})
        form.openFileFromUser(path);
    const QStringList stored = storedList(form);
    EXPECT_EQ(shownNames(form), (QStringList{"texts/t1.txt", "texts/deep/t2.txt", "a.txt"}));
    form.RecentShowClick();
    QTest::mouseClick(form.SetBaseDir, Qt::LeftButton);
    const QString texts = fixture.programDir + QStringLiteral("/books/texts/");
    EXPECT_TRUE(form.Recent->isVisible());
    EXPECT_EQ(form.BaseDir->text(), texts);
    EXPECT_EQ(shownNames(form), (QStringList{"t1.txt", "deep/t2.txt", a}));
    EXPECT_EQ(storedList(form), stored);
    EXPECT_EQ(form.settings().readString("Base Directory", "InitialDir", {}), texts);
}

TEST(RecentTest, TheFullNameUnderThePointerShowsOnTwoLines)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const QString longPath = book(fixture, QString(60, u'x') + QStringLiteral("/") +
                                               QString(60, u'y') + QStringLiteral(".txt"));
    form.openFileFromUser(longPath);
    const QString shortPath = book(fixture, "short.txt");
    form.openFileFromUser(shortPath);
    form.RecentShowClick();
    const auto hover = [&](int row) {
        QMouseEvent move(
            QEvent::MouseMove,
            QPointF(form.RecentList->visualItemRect(form.RecentList->item(row)).center()),
            QPointF(), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(form.RecentList->viewport(), &move);
    };
    hover(1);
    const QStringList lines = form.RecentFull->text().split(u'\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines.at(0) + lines.at(1), longPath);
    const QFontMetricsF metrics(form.RecentFull->font());
    const double limit = form.RecentFull->contentsRect().width() - 7;
    EXPECT_GE(metrics.horizontalAdvance(lines.at(0)), limit);
    EXPECT_LT(metrics.horizontalAdvance(lines.at(0).chopped(1)), limit);
    hover(0);
    EXPECT_EQ(form.RecentFull->text(), shortPath + u'\n');
}

TEST(RecentTest, HelpTxtOpensLikeAnyBookOrIsReportedMissing)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    form.OpenHelptxtClick();
    ASSERT_EQ(fixture.prompts->shown.size(), 1);
    const QString path = fixture.programDir + QStringLiteral("/Help.txt");
    EXPECT_EQ(fixture.prompts->shown.at(0),
              QStringLiteral("File ") + path + QStringLiteral(" not found!"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAVOLEX_HELP_TXT), path));
    form.OpenHelptxtClick();
    EXPECT_EQ(form.readerState().FileName, path);
    EXPECT_EQ(storedList(form), (QStringList{path}));
}

TEST(RecentTest, HelpTxtOfAnInstalledCopyIsFoundInItsDataFolder)
{
    ReaderFixture fixture;
    const QString prefix = fixture.programDir;
    fixture.programDir = prefix + QStringLiteral("/bin");
    const QString shared = prefix + QStringLiteral("/share/tavolex/Help.txt");
    ASSERT_TRUE(QDir().mkpath(fixture.programDir));
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/share/tavolex")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAVOLEX_HELP_TXT), shared));
    TForm1 &form = startActive(fixture);
    form.OpenHelptxtClick();
    EXPECT_TRUE(fixture.prompts->shown.isEmpty());
    EXPECT_EQ(form.readerState().FileName, shared);

    // A copy beside the program is preferred.
    const QString beside = fixture.programDir + QStringLiteral("/Help.txt");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAVOLEX_HELP_TXT), beside));
    form.OpenHelptxtClick();
    EXPECT_EQ(form.readerState().FileName, beside);
}

TEST(RecentTest, AutoOpenStartsWithTheLatestBook)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const QString a = book(fixture, "a.txt");
    form.openFileFromUser(a);
    ASSERT_EQ(form.settings().writeString("Options", "Auto-open", "Yes"),
              IniFile::WriteResult::Written);
    fixture.stop();
    TForm1 &again = fixture.start();
    EXPECT_EQ(again.readerState().FileName, a);
    EXPECT_GT(again.readerState().PageCount, 0);
}

TEST(RecentTest, AnEmptyLastReadFileGivesAnEmptyListAndNoPanel)
{
    ReaderFixture fixture;
    writeFileBytes(fixture.settingsPath(),
                   "[Last]\r\nLast read file=\r\n[Recent]\r\nRecent 1=/somewhere/x.txt\r\n");
    TForm1 &form = startActive(fixture);
    EXPECT_EQ(form.RecentList->count(), 0);
    EXPECT_TRUE(form.Letzte->text().isEmpty());
    EXPECT_FALSE(form.Letzte->isVisible());
    form.RecentShowClick();
    EXPECT_FALSE(form.Recent->isVisible());
}

// With no book open "Recent" stands on "<< BM >>" and hides them: through a see-through field
// both captions would show, one over the other.
TEST(RecentTest, RecentFieldCoversTheButtonsItStandsOn)
{
    ReaderFixture fixture;
    writeFileBytes(fixture.settingsPath(),
                   "[Last]\nLast read file=" + QFile::encodeName(book(fixture, "a.txt")) + "\n");
    TForm1 &form = fixture.start();
    ASSERT_TRUE(form.Letzte->isVisible());
    EXPECT_EQ(form.Letzte->text(), QStringLiteral("Recent"));
    const QRect area = form.Letzte->geometry();
    for (QLabel *under : {form.ChapterPrev, form.Lesezeichen, form.ChapterNext})
        ASSERT_TRUE(under->isVisible() && area.intersects(under->geometry()));
    const QImage shown = form.grab(area).toImage();
    for (QLabel *under : {form.ChapterPrev, form.Lesezeichen, form.ChapterNext})
        under->hide();
    EXPECT_EQ(form.grab(area).toImage(), shown);
}

// A book whose name, or whose member's name, holds a line break opens, from the Open dialog or
// the command line; the settings file keeps what it held of other books and reads back whole.
TEST(RecentTest, NamesHoldingALineBreakLeaveTheStoredValuesAlone)
{
    struct Case
    {
        const char *name;
        QString file;
        QString member; // empty: a plain file
        bool commandLine;
    };
    const Case cases[] = {
        {"file", QStringLiteral("two\nlines.txt"), QString(), false},
        {"file with CR", QStringLiteral("two\rlines.txt"), QString(), false},
        {"file on the command line", QStringLiteral("two\nlines.txt"), QString(), true},
        {"member", QStringLiteral("box.zip"), QStringLiteral("two\nlines.txt"), false},
        {"member on the command line", QStringLiteral("box.zip"), QStringLiteral("two\nlines.txt"),
         true},
    };
    const auto valueOf = [](const QString &text, const QString &key) {
        const qsizetype at = text.indexOf(u'\n' + key + u'=');
        return at < 0 ? QString() : text.mid(at + 1).section(u'\n', 0, 0);
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture fixture;
        const QString first = fixture.writeBook(QStringLiteral("first.txt"), shortLineBook(300));
        TForm1 *form = &fixture.start();
        form->openFileFromUser(first);
        const QString before = fixture.settingsText();
        ASSERT_EQ(valueOf(before, QStringLiteral("Last read file")),
                  QStringLiteral("Last read file=") + first);
        QString path;
        if (c.member.isEmpty()) {
            path = fixture.writeBook(c.file, shortLineBook(300));
        } else {
            path = fixture.programDir + QStringLiteral("/books/") + c.file;
            writeZip(path, {{c.member.toUtf8(), shortLineBook(300)}});
        }
        if (c.commandLine) {
            fixture.stop();
            form = &fixture.start({path});
        } else {
            form->openFileFromUser(path);
        }
        ASSERT_FALSE(form->readerState().OpenFailed);
        ASSERT_EQ(form->readerState().FileName, path);
        form->Blaettern(Qt::RightButton);
        fixture.stop();
        const QString after = fixture.settingsText();
        // An archive's own name is remembered like any book's.
        EXPECT_EQ(valueOf(after, QStringLiteral("Last read file")),
                  QStringLiteral("Last read file=") + (c.member.isEmpty() ? first : path));
        EXPECT_EQ(valueOf(after, QStringLiteral("InitialDir")),
                  valueOf(before, QStringLiteral("InitialDir")));
        TForm1 &again = fixture.start();
        EXPECT_FALSE(again.RecentList->count() == 0);
        EXPECT_TRUE(fixture.prompts->shown.isEmpty())
            << fixture.prompts->shown.join('|').toStdString();
    }
}
