#include "ReaderFixture.h"

#include "core/book/IniFile.h"
#include "core/text/CodePages.h"
#include "ui/dialogs/FindInFilesDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace {

// Short Russian lines in Windows-1251, each a paragraph of its own, so that a reading in
// another single-byte code page has as many lines, and CR LF ends as the reader saves them.
QByteArray russianBook()
{
    const QString line = QStringLiteral("Глава %1. Снег.");
    QStringList lines;
    for (int i = 1; i <= 400; ++i)
        lines << line.arg(i) << QString();
    QByteArray bytes;
    encodeInCodePage(lines.join(QStringLiteral("\r\n")).trimmed(), QStringLiteral("Windows-1251"),
                     bytes);
    return bytes;
}

void choose(TForm1 &form, const QString &codePage)
{
    const int index = form.CodePageMenu->findText(codePage);
    ASSERT_GE(index, 0) << codePage.toStdString();
    emit form.CodePageMenu->activated(index);
}

QString shownText(TForm1 &form)
{
    return form.LinkeSeite->toPlainText();
}

} // namespace

TEST(CodePage, ChosenCodePageReopensTheBookAtItsPageAndIsKept)
{
    ReaderFixture f;
    const QByteArray bytes = russianBook();
    const QString book = f.writeBook("book.txt", bytes);
    TForm1 &form = f.start({book});
    EXPECT_EQ(form.CodePageMenu->currentText(), QStringLiteral("Automatic (Windows-1251)"));
    EXPECT_TRUE(shownText(form).contains(QStringLiteral("Снег.")));
    for (int i = 0; i < 3; ++i)
        form.Blaettern(Qt::RightButton);
    ASSERT_EQ(form.readerState().CurrentPage, 7);
    const int pages = form.readerState().PageCount;

    // Chosen: read again in it, at the same page.
    const QString koi8 = decodeInCodePage(bytes, QStringLiteral("KOI8-R")).text;
    const QString koi8Line = koi8.section(QStringLiteral("\r\n"), 0, 0).mid(9);
    choose(form, QStringLiteral("KOI8-R"));
    EXPECT_EQ(form.readerState().CurrentPage, 7);
    EXPECT_EQ(form.readerState().PageCount, pages);
    EXPECT_TRUE(shownText(form).contains(koi8Line)) << shownText(form).toStdString();
    EXPECT_EQ(form.CodePageMenu->currentText(), QStringLiteral("KOI8-R"));
    EXPECT_EQ(IniFile(f.settingsPath()).readString(book, QStringLiteral("Code page"), {}),
              QStringLiteral("KOI8-R"));
    EXPECT_EQ(form.FIFForm->codePageOf(book), QStringLiteral("KOI8-R"));
    EXPECT_TRUE(f.prompts->shown.isEmpty());
    f.stop();

    // Kept for the next open, and used for saving.
    TForm1 &again = f.start({book});
    EXPECT_EQ(again.CodePageMenu->currentText(), QStringLiteral("KOI8-R"));
    EXPECT_EQ(again.readerState().CurrentPage, 7);
    EXPECT_TRUE(shownText(again).contains(koi8Line));
    const QString copy = f.programDir + QStringLiteral("/books/copy.txt");
    f.prompts->saveAnswers.push_back(copy);
    f.prompts->saveFilterAnswers.push_back(0);
    again.SpeichernClick();
    EXPECT_EQ(readFileBytes(copy), bytes);
    EXPECT_EQ(IniFile(f.settingsPath()).readString(copy, QStringLiteral("Code page"), {}),
              QStringLiteral("KOI8-R"));

    // Automatic again shows what it decides.
    choose(again, QStringLiteral("Automatic"));
    EXPECT_EQ(again.CodePageMenu->currentText(), QStringLiteral("Automatic (Windows-1251)"));
    EXPECT_TRUE(shownText(again).contains(QStringLiteral("Снег.")));
    EXPECT_EQ(IniFile(f.settingsPath()).readString(copy, QStringLiteral("Code page"), {}),
              QStringLiteral("Automatic"));
}

TEST(CodePage, EditedTextIsKeptUnlessTheReaderAgrees)
{
    ReaderFixture f;
    const QString book = f.writeBook("book.txt", russianBook());
    TForm1 &form = f.start({book});
    form.BearbeitenClick();
    form.OriginalText->moveCursor(QTextCursor::Start);
    form.OriginalText->insertPlainText(QStringLiteral("Правка "));
    form.OriginalTextKeyDown(Qt::Key_Escape);
    ASSERT_TRUE(form.readerState().TextModified);

    f.prompts->confirmAnswers.push_back(false);
    choose(form, QStringLiteral("KOI8-R"));
    ASSERT_EQ(f.prompts->shown.size(), 1);
    EXPECT_EQ(f.prompts->shown.last(),
              QStringLiteral("Edited text has not been saved!\rRead the book again in the new "
                             "code page?"));
    EXPECT_TRUE(form.readerState().TextModified);
    EXPECT_TRUE(shownText(form).startsWith(QStringLiteral("Правка")));
    EXPECT_EQ(form.CodePageMenu->currentText(), QStringLiteral("Automatic (Windows-1251)"));

    f.prompts->confirmAnswers.push_back(true);
    choose(form, QStringLiteral("KOI8-R"));
    EXPECT_FALSE(form.readerState().TextModified);
    EXPECT_EQ(form.CodePageMenu->currentText(), QStringLiteral("KOI8-R"));
}

// A member of an archive of several is read again without the chooser; like its other
// settings, the choice is not stored.
TEST(CodePage, MemberOfSeveralIsReopenedWithoutATrace)
{
    ReaderFixture f;
    const QString archive = f.programDir + QStringLiteral("/two.zip");
    writeZip(archive, {{"a.txt", russianBook()}, {"b.txt", "other"}});
    TForm1 &form = f.start();
    f.prompts->memberAnswers.push_back(QStringLiteral("a.txt"));
    form.openFileFromUser(archive);
    ASSERT_EQ(form.readerState().ArchiveMember, QStringLiteral("a.txt"));
    form.Blaettern(Qt::RightButton);
    const int page = form.readerState().CurrentPage;

    choose(form, QStringLiteral("KOI8-R"));
    EXPECT_EQ(form.readerState().ArchiveMember, QStringLiteral("a.txt"));
    EXPECT_EQ(form.readerState().CurrentPage, page);
    EXPECT_EQ(form.CodePageMenu->currentText(), QStringLiteral("KOI8-R"));
    EXPECT_EQ(f.prompts->memberLists.size(), 1);
    EXPECT_FALSE(f.settingsText().contains(QStringLiteral("Code page")));
}
