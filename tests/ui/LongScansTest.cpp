#include "BookSteps.h"

#include "app/TocCommand.h"
#include "core/book/ChapterHeadings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
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
    const QString message =
        QStringLiteral("The heading rule \"^(a+)+$\" is too slow for this book");
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

TEST(LongScans, ProgressTitlesChangeAtMostOncePerInterval)
{
    struct Case
    {
        const char *name;
        std::function<void(ReaderFixture &, TForm1 &, const QString &)> run;
        QString progress; // how the operation's repeated titles begin
    };
    const Case cases[] = {
        {"a table of contents with a section on every line",
         [](ReaderFixture &, TForm1 &form, const QString &) { form.CreateTOCClick(); },
         QStringLiteral("TOC section ")},
        {"find through every page",
         [](ReaderFixture &fixture, TForm1 &form, const QString &) {
             fixture.prompts->questionAnswers.push_back(QMessageBox::Cancel);
             form.FindInBook(QStringLiteral("no such words"), Qt::CaseSensitive);
         },
         QStringLiteral("Searching on page ")},
        {"opening and fitting",
         [](ReaderFixture &, TForm1 &form, const QString &book) { form.openFileFromUser(book); },
         QStringLiteral("% done")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture fixture;
        TForm1 &form = fixture.start();
        const bool opening = c.progress == QStringLiteral("% done");
        form.ZWEntfernen->setChecked(opening);
        const QString book = fixture.writeBook(QStringLiteral("lines.txt"), shortLineBook(6000));
        form.openFileFromUser(book);
        form.TocSourceChange(static_cast<int>(TocSource::Headings));
        form.TocRule->setText(QStringLiteral("^line \\d+$"));
        form.TocRuleEntered(form.TocRule);
        if (!opening) {
            ASSERT_GT(form.readerState().PageCount, 40);
        }
        // Longer than any of these operations takes.
        form.progressTitleIntervalMs = 3600 * 1000;
        QStringList titles;
        QObject::connect(&form, &QWidget::windowTitleChanged, [&](const QString &t) {
            if (t.contains(c.progress))
                titles << t;
        });
        c.run(fixture, form, book);
        // The first title of each paced report only; an open has four of them (reading,
        // decoding, joining lines, wrapping) besides the 0 and 100 of the fitting.
        EXPECT_LE(titles.size(), opening ? 6 : 1) << titles.value(1).toStdString();
        EXPECT_FALSE(titles.isEmpty());
    }
}
