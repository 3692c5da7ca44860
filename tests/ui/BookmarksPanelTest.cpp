#include "BookSteps.h"
#include "core/book/IniFile.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>

namespace {

QStringList captions(const TForm1 &form)
{
    return {form.Lesezeichen1->text(), form.Lesezeichen2->text(), form.Lesezeichen3->text()};
}

QStringList storedBookmarks(TForm1 &form)
{
    QStringList keys;
    for (const char *key : {"Bookmark 1", "Bookmark 2", "Bookmark 3"})
        keys << form.settings().readString(form.readerState().FileName, QString::fromLatin1(key),
                                           QStringLiteral("<absent>"));
    return keys;
}

int behindLeft(const TForm1 &form, int nth)
{
    return form.MenuPanel->x() - 13 - nth * 28;
}

int aheadLeft(const TForm1 &form, int nth)
{
    return form.HilfePanel->x() + form.HilfePanel->width() + 13 + (nth - 1) * 28;
}

void setBookmarkAt(TForm1 &form, int page)
{
    goToPage(form, page);
    QTest::mouseClick(form.Lesezeichen, Qt::LeftButton);
}

} // namespace

TEST(BookmarksUiTest, ABookmarkMovesFromBehindToAheadOfTheReadingPosition)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 20);
    setBookmarkAt(form, 12);
    EXPECT_EQ(captions(form), (QStringList{"12", "", ""}));
    EXPECT_EQ(storedBookmarks(form), (QStringList{"12", "", ""}));
    EXPECT_TRUE(form.Lesezeichen1->isVisible());
    EXPECT_FALSE(form.Lesezeichen2->isVisible());
    EXPECT_EQ(form.Lesezeichen1->x(), behindLeft(form, 1));
    EXPECT_EQ(form.Lesezeichen1->size(), QSize(28, 16));
    EXPECT_EQ(form.Lesezeichen1->toolTip(), QStringLiteral("Bookmark 1"));
    goToPage(form, 11); // the bookmark is on the right page now
    EXPECT_EQ(form.Lesezeichen1->x(), aheadLeft(form, 1));
    goToPage(form, 15);
    EXPECT_EQ(form.Lesezeichen1->x(), behindLeft(form, 1));
}

TEST(BookmarksUiTest, SettingReplacesTheThirdAndTwiceOnOnePageChangesNothing)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 40);
    for (int page : {5, 9, 20, 30})
        setBookmarkAt(form, page);
    EXPECT_EQ(captions(form), (QStringList{"5", "9", "30"}));
    EXPECT_EQ(storedBookmarks(form), (QStringList{"5", "9", "30"}));

    goToPage(form, 9);
    const QByteArray before = readFileBytes(fixture.settingsPath());
    QTest::mouseClick(form.Lesezeichen, Qt::LeftButton);
    EXPECT_EQ(readFileBytes(fixture.settingsPath()), before);
    EXPECT_EQ(captions(form), (QStringList{"5", "9", "30"}));

    // Page 10 with 5, 9 behind and 30 ahead.
    goToPage(form, 10);
    EXPECT_EQ(form.Lesezeichen1->x(), behindLeft(form, 1));
    EXPECT_EQ(form.Lesezeichen2->x(), behindLeft(form, 2));
    EXPECT_EQ(form.Lesezeichen3->x(), aheadLeft(form, 1));

    // Removing bookmark 1 closes the gap on screen; the stored keys keep it until the next save.
    QTest::mouseClick(form.Lesezeichen1, Qt::RightButton);
    EXPECT_EQ(captions(form), (QStringList{"9", "30", ""}));
    EXPECT_EQ(storedBookmarks(form), (QStringList{"", "9", "30"}));
    EXPECT_FALSE(form.Lesezeichen3->isVisible());
    EXPECT_EQ(form.Lesezeichen1->x(), behindLeft(form, 1));
    EXPECT_EQ(form.Lesezeichen2->x(), aheadLeft(form, 1));
}

TEST(BookmarksUiTest, PlacesPageTenWithFourFifteenEight)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 20);
    for (int page : {4, 15, 8})
        setBookmarkAt(form, page);
    goToPage(form, 10);
    EXPECT_EQ(captions(form), (QStringList{"4", "15", "8"}));
    EXPECT_EQ(form.Lesezeichen1->x(), behindLeft(form, 1));
    EXPECT_EQ(form.Lesezeichen3->x(), behindLeft(form, 2));
    EXPECT_EQ(form.Lesezeichen2->x(), aheadLeft(form, 1));
}

TEST(BookmarksUiTest, AClickOnABookmarkJumpsThereWithinTheBook)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 20);
    setBookmarkAt(form, 7);
    goToPage(form, 2);
    QTest::mouseClick(form.Lesezeichen1, Qt::LeftButton);
    EXPECT_EQ(form.readerState().CurrentPage, 7);
    form.Lesezeichen1->setText(QStringLiteral("90")); // as left by a re-pagination
    QTest::mouseClick(form.Lesezeichen1, Qt::LeftButton);
    EXPECT_EQ(form.readerState().CurrentPage, 20);
}

TEST(BookmarksUiTest, AHandEditedCaptionIsReportedFromASpreadOnly)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    form.ZWEntfernen->setChecked(false);
    const QString path = fixture.writeBook(QStringLiteral("edited.txt"), shortLineBook(400));
    ASSERT_EQ(form.settings().writeString(path, QStringLiteral("Bookmark 1"), QStringLiteral("3")),
              IniFile::WriteResult::Written);
    ASSERT_EQ(
        form.settings().writeString(path, QStringLiteral("Bookmark 2"), QStringLiteral("abc")),
        IniFile::WriteResult::Written);
    form.openFileFromUser(path);
    const QString message = QStringLiteral("'abc' is not a valid integer value");
    ASSERT_TRUE(fixture.prompts->shown.contains(message));
    EXPECT_TRUE(form.Lesezeichen1->isVisible());
    EXPECT_FALSE(form.Lesezeichen2->isVisible());

    const qsizetype shownBefore = fixture.prompts->shown.size();
    QTest::mouseClick(form.Lesezeichen, Qt::LeftButton);  // sets page 1 in field 3, silently
    QTest::mouseClick(form.Lesezeichen2, Qt::LeftButton); // a jump to it does nothing
    QTest::mouseClick(form.Lesezeichen1, Qt::LeftButton); // jumps, arranging silently
    EXPECT_EQ(captions(form), (QStringList{"3", "abc", "1"}));
    EXPECT_EQ(form.readerState().CurrentPage, 3);
    EXPECT_EQ(fixture.prompts->shown.size(), shownBefore);
}

TEST(BookmarksUiTest, WithoutADocumentTheFieldDoesNothing)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 3); // fills the recent list
    fixture.stop();
    TForm1 &again = startActive(fixture);
    ASSERT_GT(again.RecentList->count(), 0);
    QTest::mouseClick(again.Lesezeichen, Qt::LeftButton);
    QTest::mouseClick(again.Lesezeichen, Qt::RightButton);
    EXPECT_EQ(captions(again), (QStringList{"", "", ""}));
    EXPECT_FALSE(again.Recent->isVisible());
}

TEST(BookmarksUiTest, ARightClickOnTheSetFieldShowsTheRecentList)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 3);
    QTest::mouseClick(form.Lesezeichen, Qt::RightButton);
    EXPECT_TRUE(form.Recent->isVisible());
    EXPECT_EQ(captions(form), (QStringList{"", "", ""}));
}
