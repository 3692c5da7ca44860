#include "BookSteps.h"

#include "BookGenerator.h"

#include "core/book/ChapterHeadings.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QTableWidget>
#include <QWindow>

namespace {

void openSyntheticBook(ReaderFixture &fixture, TForm1 &form)
{
    form.ZWEntfernen->setChecked(false);
    form.openFileFromUser(
        fixture.writeBook(QStringLiteral("synthetic.txt"), generateBookBytes(7, 400000)));
    form.TocSourceChange(static_cast<int>(TocSource::BlankLines));
}

// On a real display server input reaches the platform window before any widget.
void postToPlatformWindow(TForm1 &form, QEvent *event)
{
    ASSERT_NE(form.windowHandle(), nullptr);
    QCoreApplication::postEvent(form.windowHandle(), event);
}

} // namespace

TEST(KeyPoll, SpaceOrACloseThroughThePlatformWindowStopsTheTableOfContents)
{
    const struct
    {
        const char *name;
        bool close;
    } rows[] = {{"Space", false}, {"close", true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ReaderFixture fixture;
        TForm1 &form = startActive(fixture);
        openSyntheticBook(fixture, form);
        form.keyPollIntervalMs = 0;
        QObject::connect(&form, &QWidget::windowTitleChanged, [&](const QString &t) {
            if (!t.startsWith(QStringLiteral("TOC section 4 ")))
                return;
            if (row.close)
                postToPlatformWindow(form, new QCloseEvent);
            else
                postToPlatformWindow(form, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space,
                                                         Qt::NoModifier, QStringLiteral(" ")));
        });
        form.CreateTOCClick();
        EXPECT_EQ(form.ChapterList->rowCount(), 5); // the heading and four sections
        EXPECT_TRUE(form.isVisible()); // a close is held back while the scan runs
        QCoreApplication::sendPostedEvents(&form, QEvent::MetaCall);
        EXPECT_EQ(form.isVisible(), !row.close);
    }
}

TEST(KeyPoll, EscapeThroughThePlatformWindowStopsFindInTheBook)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openSyntheticBook(fixture, form);
    form.keyPollIntervalMs = 0;
    int progressTitles = 0;
    QObject::connect(&form, &QWidget::windowTitleChanged, [&](const QString &t) {
        if (t.startsWith(QStringLiteral("Searching on page ")) && ++progressTitles == 1)
            postToPlatformWindow(form,
                                 new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    const int page = form.readerState().CurrentPage;
    form.FindInBook(QStringLiteral("no such words anywhere"), Qt::CaseSensitive);
    // Stopped at once: no question about starting again, the page unchanged.
    EXPECT_EQ(progressTitles, 1);
    EXPECT_TRUE(fixture.prompts->shown.isEmpty());
    EXPECT_EQ(form.readerState().CurrentPage, page);
}
