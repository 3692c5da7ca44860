#include "ReaderFixture.h"

#include "core/book/IniFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace {

QByteArray fixedWidthBook()
{
    // Paragraphs broken at a fixed width, separated by empty lines.
    QByteArray book;
    for (int p = 0; p < 60; ++p) {
        for (int l = 0; l < 6; ++l)
            book += "paragraph " + QByteArray::number(p) + " line " + QByteArray::number(l) +
                    " of words that run on\r\n";
        book += "\r\n";
    }
    return book;
}

} // namespace

TEST(DocumentSettings, FirstStartCreatesSectionsInOrder)
{
    ReaderFixture f;
    f.start({}, false);
    IniFile ini(f.settingsPath());
    const QString text = f.settingsText();
    const QStringList order = {"[Base Directory]", "[Last]",           "[Recent]",
                               "[Options]",        "[Colors]",         "[Page margins]",
                               "[Excluded Fonts]", "[Excluded Paths]", "[Included Paths]"};
    qsizetype at = -1;
    for (const QString &header : order) {
        const qsizetype next = text.indexOf(header);
        ASSERT_GT(next, at) << header.toStdString();
        at = next;
    }
    EXPECT_FALSE(ini.readString("Options", "Punctuation", QString()).isEmpty());
    EXPECT_TRUE(f.form->AutoFitAll->isChecked());
    EXPECT_TRUE(f.form->ShowPages->isChecked());
    EXPECT_FALSE(f.form->AutoOpen->isChecked());
    EXPECT_FALSE(f.form->ApplyMargins->isChecked());
    EXPECT_TRUE(f.prompts->shown.isEmpty());
}

TEST(DocumentSettings, ReopenedBookReturnsToItsPageAndFont)
{
    ReaderFixture f;
    const QString book = f.writeBook("tale.txt", QByteArray("word ").repeated(40000));
    TForm1 &form = f.start({book});
    ASSERT_GE(form.readerState().PageCount, 9);
    const QString font = form.Schriftart->currentText();
    for (int i = 0; i < 3; ++i)
        form.Blaettern(Qt::RightButton);
    ASSERT_EQ(form.readerState().CurrentPage, 7);
    const QString title = form.windowTitle();
    f.stop();

    TForm1 &again = f.start({book});
    EXPECT_EQ(again.readerState().CurrentPage, 7);
    EXPECT_EQ(again.Schriftart->currentText(), font);
    EXPECT_EQ(again.windowTitle(), title);
    EXPECT_EQ(again.SeitenNrLinks->text(), QStringLiteral("7"));
}

TEST(DocumentSettings, TallerWindowRepaginatesWithoutRefitWhenAutoFitIsOff)
{
    ReaderFixture f;
    const QString book = f.writeBook("tale.txt", fixedWidthBook());
    TForm1 &form = f.start({book});
    form.AutoFitAll->setChecked(false);
    form.Blaettern(Qt::RightButton);
    form.Blaettern(Qt::RightButton);
    const ReaderState &s = form.readerState();
    const int total = s.TotalLines;
    const int firstLine = (s.CurrentPage - 1) * s.LinesPerPage + 1;
    const int oldLines = s.LinesPerPage;
    const QString firstShown = form.FittedLine(firstLine);

    form.resize(form.width(), form.height() + 200);
    EXPECT_EQ(s.TotalLines, total); // no refit
    EXPECT_GT(s.LinesPerPage, oldLines);
    const int expectedPage =
        static_cast<int>(std::nearbyint(double(firstLine - 1) / s.LinesPerPage)) + 1;
    EXPECT_EQ(s.CurrentPage, expectedPage);
    EXPECT_FALSE(firstShown.isEmpty());
}

TEST(DocumentSettings, ExcludedFolderLeavesNoTrace)
{
    ReaderFixture f;
    const QString elsewhere = makeTempDir();
    const QString book = elsewhere + "/private/diary.txt";
    writeFileBytes(book, QByteArray("secret words ").repeated(3000));
    writeFileBytes(f.settingsPath(),
                   "[Excluded Paths]\n" + (elsewhere + "/private/").toUtf8() + "=\n");
    TForm1 &form = f.start({book});
    ASSERT_EQ(form.readerState().FileName, book);
    form.Blaettern(Qt::RightButton);
    f.stop();
    EXPECT_FALSE(f.settingsText().contains(QStringLiteral("diary")));
}

TEST(DocumentSettings, JoiningSwitchesRefitFromTheLoadedText)
{
    ReaderFixture f;
    const QString book = f.writeBook("gpl.txt", fixedWidthBook());
    TForm1 &form = f.start({book});
    ASSERT_TRUE(form.ZWEntfernen->isChecked());
    const int joined = form.readerState().TotalLines;
    form.ZWEntfernen->setChecked(false); // fits again with every break kept
    const int unjoined = form.readerState().TotalLines;
    EXPECT_GE(unjoined, 60 * 7 - 1);
    EXPECT_LT(joined, unjoined);
    EXPECT_EQ(form.readerState().WorkingText, form.readerState().LoadedText.toString());
    form.ZWEntfernen->setChecked(true);
    EXPECT_EQ(form.readerState().TotalLines, joined);
    IniFile ini(f.settingsPath());
    EXPECT_EQ(ini.readString(book, "Remove line breaks", QString()), QStringLiteral("Yes"));
}

TEST(DocumentSettings, HtmlOpensWithLineBreaksKept)
{
    ReaderFixture f;
    const QString page = f.writeBook(
        "page.HTM", "<html><body><p>first\r\nline</p><pre>a\nb</pre>&amp; AT&T</body></html>");
    TForm1 &form = f.start({page});
    EXPECT_FALSE(form.ZWEntfernen->isChecked());
    EXPECT_TRUE(form.readerState().LoadedText.toString().contains(QStringLiteral("AT&T")));
    EXPECT_TRUE(form.readerState().LoadedText.toString().contains(QStringLiteral("a\r\nb")));
    EXPECT_TRUE(f.prompts->shown.isEmpty());
}

TEST(DocumentSettings, BadIntegerStopsTheLoadWithItsMessage)
{
    ReaderFixture f;
    writeFileBytes(f.settingsPath(), "[Page margins]\nLeft=7\nRight=x7\nTop=9\nApply=Yes\n");
    TForm1 &form = f.start({}, false);
    ASSERT_EQ(f.prompts->shown, QStringList{QStringLiteral("'x7' is not a valid integer value")});
    // The load stopped at the bad key: the later switch keeps its built-in state.
    EXPECT_FALSE(form.ApplyMargins->isChecked());

    ReaderFixture g;
    const QString book = g.writeBook("b.txt", QByteArray("some words here ").repeated(500));
    writeFileBytes(g.settingsPath(), "[" + book.toUtf8() + "]\nPage=3\nTotal lines=zwei\n");
    TForm1 &second = g.start({book});
    EXPECT_EQ(g.prompts->shown, QStringList{QStringLiteral("'zwei' is not a valid integer value")});
    EXPECT_EQ(second.readerState().FileName, book);
}

TEST(DocumentSettings, RefusedWriteIsReportedAndReadingGoesOn)
{
    ReaderFixture f;
    const QString book = f.writeBook("b.txt", QByteArray("some words here ").repeated(3000));
    TForm1 &form = f.start({book});
    ASSERT_GT(form.readerState().PageCount, 3);
    QFile::setPermissions(f.settingsPath(), QFile::ReadOwner);
    form.Blaettern(Qt::RightButton);
    EXPECT_EQ(form.readerState().CurrentPage, 3);
    ASSERT_FALSE(f.prompts->shown.isEmpty());
    EXPECT_EQ(f.prompts->shown.last(), QStringLiteral("Unable to write to ") + f.settingsPath());
    QFile::setPermissions(f.settingsPath(), QFile::ReadOwner | QFile::WriteOwner);
    f.prompts->shown.clear();
}

TEST(DocumentSettings, WindowPlacementIsSavedAndRestored)
{
    ReaderFixture f;
    const QRect placed(40, 50, 700, 500);
    TForm1 &form = f.start();
    form.setGeometry(placed);
    // A frame makes the inner area and the outer position differ, as under a window manager.
    ASSERT_NE(form.frameGeometry().topLeft(), form.geometry().topLeft());
    f.stop();
    // Every start and exit leaves the window where it was.
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE(run);
        TForm1 &again = f.start();
        EXPECT_EQ(again.geometry(), placed);
        f.stop();
        IniFile ini(f.settingsPath());
        EXPECT_EQ(ini.readString("Window", "Left", QString()), QStringLiteral("40"));
        EXPECT_EQ(ini.readString("Window", "Top", QString()), QStringLiteral("50"));
        EXPECT_EQ(ini.readString("Window", "Width", QString()), QStringLiteral("700"));
        EXPECT_EQ(ini.readString("Window", "Height", QString()), QStringLiteral("500"));
        EXPECT_EQ(ini.readString("Window", "Maximized", QString()), QStringLiteral("No"));
    }

    // A maximized window reopens maximized and keeps its normal bounds.
    TForm1 &maximized = f.start();
    maximized.showMaximized();
    ASSERT_TRUE(maximized.isMaximized());
    f.stop();
    IniFile ini(f.settingsPath());
    EXPECT_EQ(ini.readString("Window", "Maximized", QString()), QStringLiteral("Yes"));
    EXPECT_EQ(ini.readString("Window", "Left", QString()), QStringLiteral("40"));
    EXPECT_EQ(ini.readString("Window", "Width", QString()), QStringLiteral("700"));
    TForm1 &reopened = f.start();
    EXPECT_TRUE(reopened.isMaximized());
    reopened.showNormal();
    EXPECT_EQ(reopened.geometry(), placed);
}

TEST(DocumentSettings, MemberOfTwoMemberArchiveWritesNothing)
{
    ReaderFixture f;
    const QString dir = f.programDir + QStringLiteral("/books");
    writeFileBytes(dir + "/one.txt", QByteArray("first member words ").repeated(2000));
    writeFileBytes(dir + "/two.txt", QByteArray("second member words ").repeated(2000));
    const QString archive = dir + "/pair.zip";
    ASSERT_EQ(QProcess::execute("zip", {"-q", "-j", archive, dir + "/one.txt", dir + "/two.txt"}),
              0);
    ReaderFixture &g = f;
    TForm1 &form = g.start({}, true);
    g.prompts->memberAnswers.push_back(QStringLiteral("two.txt"));
    form.openFileFromUser(archive);
    ASSERT_FALSE(form.readerState().OpenFailed);
    EXPECT_TRUE(form.readerState().MultiMemberArchive);
    form.Blaettern(Qt::RightButton);
    EXPECT_EQ(form.readerState().CurrentPage, 3);
    f.stop();
    EXPECT_FALSE(f.settingsText().contains(QStringLiteral("[") + archive + QStringLiteral("]")));
}

TEST(DocumentSettings, ChosenLanguageIsStoredPerBookAndComesBack)
{
    // English prose, so that the automatic guess is English and a choice differs from it.
    const QByteArray prose = QByteArray(
        "It was the best of times, it was the worst of times, it was the age of wisdom, it was "
        "the age of foolishness, it was the epoch of belief, it was the epoch of incredulity.\r\n"
        "\r\n").repeated(60);
    struct Row
    {
        QLocale::Language chosen;
        const char *stored;
        QLocale::Language reopened;
    };
    const Row rows[] = {
        {QLocale::German, "de", QLocale::German},
        {QLocale::AnyLanguage, "", QLocale::English}, // back to the guess
    };
    ReaderFixture f;
    const QString book = f.writeBook("tale.txt", prose);
    for (const Row &row : rows) {
        SCOPED_TRACE(QLocale::languageToString(row.chosen).toStdString());
        TForm1 &form = f.start({book});
        const int index = form.LanguageMenu->findData(int(row.chosen));
        ASSERT_GE(index, 0);
        form.LanguageMenu->setCurrentIndex(index);
        emit form.LanguageMenu->activated(index); // as a choice by the user
        EXPECT_EQ(IniFile(f.settingsPath()).readString(book, "Language", QStringLiteral("?")),
                  QString::fromLatin1(row.stored));
        f.stop();

        TForm1 &again = f.start({book});
        EXPECT_EQ(again.bookLanguage(), row.reopened);
        EXPECT_EQ(again.LanguageMenu->currentData().toInt(), int(row.chosen));
        f.stop();
    }
}
