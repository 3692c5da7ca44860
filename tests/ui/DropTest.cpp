#include "BookSteps.h"
#include "core/book/IniFile.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>

namespace {

const QString kUnsavedOpen = QStringLiteral("Edited text has not been saved!\rOpen file?");

// Offers the URLs to the window as a drag from another program would; returns whether the
// window took the drop.
bool dropOnto(TForm1 &form, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = form.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &drop);
    QApplication::processEvents();
    return drop.isAccepted();
}

QByteArray paragraphs(const char *word)
{
    QByteArray text;
    for (int i = 0; i < 40; ++i)
        text += QByteArray(word) + " of a dropped book, paragraph " + QByteArray::number(i) +
                ".\r\n\r\n";
    return text;
}

TEST(DropTest, WhatADropOffersDecidesWhetherItIsTaken)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const QString book = fixture.writeBook(QStringLiteral("a.txt"), paragraphs("First"));
    const QString folder = fixture.programDir + QStringLiteral("/books");
    struct Case
    {
        const char *name;
        QList<QUrl> urls;
        QString opened; // empty: refused
    };
    const QList<Case> cases = {
        {"no URLs", {}, {}},
        {"a web address", {QUrl(QStringLiteral("https://example.org/a.txt"))}, {}},
        {"a folder", {QUrl::fromLocalFile(folder)}, {}},
        {"a file that is gone", {QUrl::fromLocalFile(folder + QStringLiteral("/gone.txt"))}, {}},
        {"the first local file of several",
         {QUrl(QStringLiteral("https://example.org/x")), QUrl::fromLocalFile(book),
          QUrl::fromLocalFile(folder + QStringLiteral("/b.txt"))},
         book},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dropOnto(form, c.urls), !c.opened.isEmpty());
        EXPECT_EQ(form.readerState().FileName, c.opened);
    }
    EXPECT_TRUE(fixture.prompts->shown.isEmpty());
}

TEST(DropTest, DroppedFileOpensLikeTheCommandLineAndJoinsTheRecentList)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const QString book =
        fixture.writeBook(QStringLiteral("dropped book [1].txt"), paragraphs("Dropped"));
    // A path as a file manager gives it, not cleaned.
    const QString messy = fixture.programDir + QStringLiteral("/books/./dropped book [1].txt");
    ASSERT_TRUE(dropOnto(form, {QUrl::fromLocalFile(messy)}));
    EXPECT_EQ(form.readerState().FileName, book);
    EXPECT_FALSE(form.readerState().OpenFailed);
    EXPECT_TRUE(form.windowTitle().startsWith(QStringLiteral("File ") + book));
    EXPECT_TRUE(form.LinkeSeite->toPlainText().startsWith(QStringLiteral("Dropped")));
    EXPECT_EQ(form.settings().readString(QStringLiteral("Last"), QStringLiteral("Last read file"),
                                         QString()),
              book);
}

TEST(DropTest, EditedTextIsNotDroppedWithoutTheUsersYes)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    form.ZWEntfernen->setChecked(false);
    const QString first = fixture.writeBook(QStringLiteral("first.txt"), paragraphs("First"));
    const QString second = fixture.writeBook(QStringLiteral("second.txt"), paragraphs("Second"));
    form.openFileFromUser(first);
    form.BearbeitenClick();
    // While the editor is open a drop is the editor's business, not a new book.
    EXPECT_FALSE(dropOnto(form, {QUrl::fromLocalFile(second)}));
    form.OriginalText->moveCursor(QTextCursor::Start);
    form.OriginalText->insertPlainText(QStringLiteral("Edited. "));
    QTest::keyClick(form.OriginalText, Qt::Key_Escape);
    ASSERT_TRUE(form.readerState().TextModified);

    fixture.prompts->confirmAnswers = {false};
    ASSERT_TRUE(dropOnto(form, {QUrl::fromLocalFile(second)}));
    EXPECT_EQ(fixture.prompts->shown, QStringList{kUnsavedOpen});
    EXPECT_EQ(form.readerState().FileName, first);
    EXPECT_TRUE(form.readerState().TextModified);
    EXPECT_TRUE(form.LinkeSeite->toPlainText().startsWith(QStringLiteral("Edited.")));

    fixture.prompts->confirmAnswers = {true};
    ASSERT_TRUE(dropOnto(form, {QUrl::fromLocalFile(second)}));
    EXPECT_EQ(form.readerState().FileName, second);
    EXPECT_FALSE(form.readerState().TextModified);
    EXPECT_TRUE(form.LinkeSeite->toPlainText().startsWith(QStringLiteral("Second")));
}

} // namespace
