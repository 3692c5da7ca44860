#include "BookSteps.h"

#include "app/TocCommand.h"
#include "core/book/ChapterHeadings.h"

#include <QLineEdit>
#include <QTableWidget>
#include <QTextStream>

namespace {

// Lines on which nested repeats try every split of the a's before they fail.
QByteArray slowLinesBook(int lines)
{
    QByteArray book = "Chapter 1\r\n\r\n";
    for (int i = 0; i < lines; ++i)
        book += QByteArray(22, 'a') + "b\r\n";
    return book;
}

} // namespace

TEST(LongScans, AnOwnHeadingRuleTooSlowForTheBookIsReportedInTheWindowAndByToc)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    form.ZWEntfernen->setChecked(false);
    const QString path = fixture.writeBook(QStringLiteral("slow.txt"), slowLinesBook(400));
    form.openFileFromUser(path);
    form.TocSourceChange(static_cast<int>(TocSource::Headings));
    const QString rule = QStringLiteral("^(a+)+$");
    form.TocRule->setText(rule);
    form.TocRuleEntered(form.TocRule);
    fixture.prompts->shown.clear();
    const QString title = form.windowTitle();
    form.CreateTOCClick();
    const QString message = QStringLiteral("The heading rule \"^(a+)+$\" is too slow for this book");
    EXPECT_EQ(fixture.prompts->shown, QStringList{message});
    EXPECT_FALSE(form.tocHasSections());
    EXPECT_EQ(form.windowTitle(), title);
    EXPECT_TRUE(form.readerState().LayoutCause.isEmpty());
    fixture.stop();

    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    printTableOfContents(fixture.settingsPath(), fixture.programDir, path, outStream, errStream);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(err, QStringLiteral("tavolex: ") + message + u'\n');
}
