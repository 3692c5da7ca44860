#include "BookSteps.h"

#include "BookGenerator.h"

#include "app/TocCommand.h"
#include "core/book/ChapterHeadings.h"
#include "core/book/IniFile.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextStream>

namespace {

QStringList firstLines(const TForm1 &form)
{
    QStringList lines;
    for (int r = 1; r < form.ChapterList->rowCount(); ++r)
        lines << form.ChapterList->item(r, 1)->text();
    return lines;
}

QString openStyled(ReaderFixture &fixture, TForm1 &form, HeadingStyle style,
                   StyledBook *book = nullptr)
{
    const StyledBook b = generateStyledBook(style, 5, 40000);
    if (book)
        *book = b;
    const QString path = fixture.writeBook(QStringLiteral("styled.txt"), b.text.toUtf8());
    form.openFileFromUser(path);
    return path;
}

} // namespace

TEST(TocHeadingsTest, EveryChapterOfEachStyleAndNothingElseWithTheDefaults)
{
    for (HeadingStyle style : {HeadingStyle::EnglishRoman, HeadingStyle::EnglishArabic,
                               HeadingStyle::Chinese, HeadingStyle::Russian}) {
        SCOPED_TRACE(static_cast<int>(style));
        ReaderFixture fixture;
        TForm1 &form = fixture.start();
        StyledBook book;
        openStyled(fixture, form, style, &book);
        form.CreateTOCClick();

        ASSERT_GT(book.headings.size(), 5);
        // Line 1, the title, always begins the first section.
        EXPECT_EQ(firstLines(form), QStringList{form.FittedLine(1)} + book.headings);
        const int lpp = form.readerState().LinesPerPage;
        int line = 1;
        for (int r = 2; r < form.ChapterList->rowCount(); ++r) {
            while (form.FittedLine(line) != book.headings[r - 2])
                ++line;
            EXPECT_EQ(form.ChapterList->item(r, 0)->text().toInt(), (line - 1) / lpp + 1);
        }
        EXPECT_EQ(form.TocSourceChoice->currentText(), QStringLiteral("automatic: headings"));
        EXPECT_TRUE(fixture.prompts->shown.isEmpty());
    }
}

TEST(TocHeadingsTest, ChoiceAndRuleAreKeptPerBookAndABadRuleIsRefused)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    // Chapters headed "~ 1 ~" after one blank line: no built-in rule and no blank-line run.
    QString text = QStringLiteral("Title\r\n\r\n");
    for (int l = 0; l < 8; ++l)
        text += QStringLiteral("A first paragraph of prose,\r\n");
    for (int c = 1; c <= 6; ++c) {
        text += QStringLiteral("\r\n~ %1 ~\r\n\r\n").arg(c);
        for (int l = 0; l < 60; ++l)
            text += QStringLiteral("and the prose went on and on\r\n");
    }
    const QString path = fixture.writeBook(QStringLiteral("tilde.txt"), text.toUtf8());
    form.openFileFromUser(path);
    form.CreateTOCClick();
    EXPECT_EQ(firstLines(form), QStringList{"Title"});
    EXPECT_EQ(form.TocSourceChoice->currentText(), QStringLiteral("automatic: blank lines"));

    // Typed into the field, letters are the rule's and not a quick find.
    form.SetTocPanelShown(true);
    form.TocRule->setFocus();
    QTest::keyClicks(form.TocRule, QStringLiteral("^~ (\\d+ ~$"));
    EXPECT_EQ(form.TocRule->text(), QStringLiteral("^~ (\\d+ ~$"));
    EXPECT_FALSE(form.Finden->isVisible());
    form.TocRuleEntered(form.TocRule);
    ASSERT_EQ(fixture.prompts->shown.size(), 1);
    EXPECT_TRUE(fixture.prompts->shown[0].contains(QStringLiteral("not a valid regular")));
    EXPECT_EQ(firstLines(form), QStringList{"Title"}); // the table on show stays

    form.TocRule->setText(QStringLiteral("^~ \\d+ ~$"));
    form.TocRuleEntered(form.TocRule);
    EXPECT_EQ(form.TocRuleMenu->text(), form.TocRule->text());
    EXPECT_EQ(firstLines(form).size(), 7); // rebuilt with the rule: the title and six chapters
    EXPECT_EQ(form.TocSourceChoice->currentText(), QStringLiteral("automatic: headings"));

    form.TocSourceChange(static_cast<int>(TocSource::BlankLines));
    EXPECT_EQ(form.TocSourceMenu->currentIndex(), static_cast<int>(TocSource::BlankLines));
    EXPECT_EQ(firstLines(form), QStringList{"Title"});
    fixture.stop();

    IniFile ini(fixture.settingsPath());
    EXPECT_EQ(ini.readString(path, QStringLiteral("Sections start at"), {}),
              QStringLiteral("Blank lines"));
    EXPECT_EQ(ini.readString(path, QStringLiteral("Heading rule"), {}),
              QStringLiteral("^~ \\d+ ~$"));
    TForm1 &again = fixture.start();
    again.openFileFromUser(path);
    EXPECT_EQ(again.TocSourceChoice->currentIndex(), static_cast<int>(TocSource::BlankLines));
    EXPECT_EQ(again.TocRule->text(), QStringLiteral("^~ \\d+ ~$"));
    again.TocSourceChange(static_cast<int>(TocSource::Headings));
    again.CreateTOCClick();
    EXPECT_EQ(firstLines(again).size(), 7);
}

TEST(TocHeadingsTest, TocCommandPrintsThePanelsTableAndWritesNoSettings)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    const QString path = openStyled(fixture, form, HeadingStyle::Russian);
    // A stored setting of the book counts: a larger font moves the chapters' pages.
    form.FontUpDown->setValue(14);
    form.CreateTOCClick();
    const QString panel = form.tocAsText();
    fixture.stop();
    ASSERT_FALSE(panel.isEmpty());
    // The window was made larger since; the command lists the pages of the default window.
    ASSERT_EQ(IniFile(fixture.settingsPath())
                  .writeStrings(QStringLiteral("Window"),
                                {{QStringLiteral("Width"), QStringLiteral("1100")},
                                 {QStringLiteral("Height"), QStringLiteral("780")}}),
              IniFile::WriteResult::Written);
    const QByteArray settingsBefore = readFileBytes(fixture.settingsPath());

    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    EXPECT_EQ(printTableOfContents(fixture.settingsPath(), fixture.programDir, path, outStream,
                                   errStream),
              0);
    EXPECT_EQ(out, panel);
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    EXPECT_EQ(readFileBytes(fixture.settingsPath()), settingsBefore);

    out.clear();
    EXPECT_EQ(printTableOfContents(fixture.settingsPath(), fixture.programDir,
                                   fixture.programDir + QStringLiteral("/missing.txt"), outStream,
                                   errStream),
              1);
    EXPECT_TRUE(out.isEmpty());
}

TEST(TocHeadingsTest, CtrlHOnABookWhoseTableWasNeverBuiltBuildsIt)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    ASSERT_FALSE(form.AutomaticTOC->isChecked());
    StyledBook book;
    openStyled(fixture, form, HeadingStyle::EnglishRoman, &book);
    EXPECT_EQ(form.ChapterList->rowCount(), 1);

    press(form, Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(form.Contents->isVisible());
    EXPECT_EQ(firstLines(form), QStringList{form.FittedLine(1)} + book.headings);

    // Hidden and shown again, a table already built is kept as it is, selection and all.
    form.ChapterList->setCurrentCell(3, 0);
    press(form, Qt::Key_H, Qt::ControlModifier);
    EXPECT_FALSE(form.Contents->isVisible());
    press(form, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(form.ChapterList->currentRow(), 3);

    // A larger font refits and empties the table; with the panel shown it is built again.
    const int pages = form.readerState().PageCount;
    press(form, Qt::Key_Plus);
    ASSERT_GT(form.readerState().PageCount, pages);
    EXPECT_EQ(firstLines(form), QStringList{form.FittedLine(1)} + book.headings);
}
