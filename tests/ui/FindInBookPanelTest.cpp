#include "BookSteps.h"

#include "BookGenerator.h"

#include "core/book/FindInBook.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {

const QString kRestart =
    QStringLiteral("Text not found.\rStart again from the beginning?\r(No closes the Find dialog)");

QString selected(const QPlainTextEdit *page)
{
    return page->textCursor().selectedText().replace(QChar(0x2029), u' ');
}

// Lines per page of the window as started; books are written to fit them.
int probeLinesPerPage(ReaderFixture &fixture, TForm1 &form)
{
    form.ZWEntfernen->setChecked(false);
    form.openFileFromUser(fixture.writeBook(QStringLiteral("probe.txt"), shortLineBook(200)));
    return form.readerState().LinesPerPage;
}

// A book of `count` filler lines with some lines replaced; line breaks kept.
QString writeLines(ReaderFixture &fixture, int count, const QMap<int, QString> &lines)
{
    QStringList all;
    for (int n = 1; n <= count; ++n)
        all << lines.value(n, QStringLiteral("filler %1 here").arg(n));
    return fixture.writeBook(QStringLiteral("lines.txt"),
                             all.join(QStringLiteral("\r\n")).toUtf8());
}

void find(TForm1 &form, const QString &text)
{
    form.FindText->setText(text);
    form.FindStartClick(form.FindStart);
}

} // namespace

TEST(FindTest, EveryPhraseHitSelectsExactlyTheSearchText)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    form.openFileFromUser(
        fixture.writeBook(QStringLiteral("synthetic.txt"), generateBookBytes(11, 150000)));
    const ReaderState &s = form.readerState();
    ASSERT_GT(s.PageCount, 10);

    // The hits the fitted text holds: its non-empty lines joined by blanks.
    // Words ending in "e" before words beginning with "t": many hits, many across lines.
    const QString phrase = QStringLiteral("e t");
    QStringList lines;
    for (int n = 1; n <= s.TotalLines; ++n) {
        if (!form.FittedLine(n).isEmpty())
            lines << upperCasedPerCharacter(form.FittedLine(n));
    }
    const QString joined = lines.join(u' ');
    int expected = 0;
    for (qsizetype at = joined.indexOf(phrase.toUpper()); at >= 0;
         at = joined.indexOf(phrase.toUpper(), at + 1))
        ++expected;
    ASSERT_GT(expected, 20);

    form.SuchenClick();
    fixture.prompts->questionAnswers.push_back(QMessageBox::Cancel);
    int hits = 0, acrossLines = 0, acrossSpread = 0;
    while (fixture.prompts->shown.isEmpty() && hits <= expected) {
        find(form, phrase);
        if (!fixture.prompts->shown.isEmpty())
            break;
        ++hits;
        const QString left = selected(form.LinkeSeite);
        const QString right = selected(form.RechteSeite);
        const QString text = left.isEmpty() || right.isEmpty() ? left + right : left + u' ' + right;
        EXPECT_EQ(upperCasedPerCharacter(text), phrase.toUpper())
            << "hit " << hits << " on page " << s.CurrentPage;
        acrossLines += form.LinkeSeite->textCursor().selectedText().contains(QChar(0x2029)) ||
                       form.RechteSeite->textCursor().selectedText().contains(QChar(0x2029));
        acrossSpread += !left.isEmpty() && !right.isEmpty();
    }
    EXPECT_EQ(hits, expected);
    EXPECT_GT(acrossLines, 0);
    EXPECT_EQ(fixture.prompts->shown, QStringList{kRestart});
    std::cout << "hits " << hits << ", across lines " << acrossLines << ", across the spread "
              << acrossSpread << "\n";
}

TEST(FindTest, HitsAreShownOnTheirPage)
{
    struct Case
    {
        const char *name;
        QMap<int, QString> lines; // by line number; L stands for the lines per page
        QString text;
        bool caseSensitive;
        int page;
        const char *focus;
        QString left;
        QString right;
    };
    // Line numbers are set relative to the page length below.
    ReaderFixture probeFixture;
    TForm1 &probe = probeFixture.start();
    const int L = probeLinesPerPage(probeFixture, probe);
    ASSERT_GT(L, 8);
    const QList<Case> cases = {
        {"on the right page without turning",
         {{L + 3, "a needle"}},
         "needle",
         false,
         1,
         "Rechts",
         "",
         "needle"},
        {"two pages on turns",
         {{2 * L + 3, "a needle"}},
         "needle",
         false,
         3,
         "Links",
         "needle",
         ""},
        {"phrase across a line break",
         {{3, "x the end"}, {4, "of days"}},
         "end of",
         false,
         1,
         "Links",
         "end of",
         ""},
        {"phrase across the spread",
         {{L, "the end"}, {L + 1, "of it"}},
         "end of",
         false,
         1,
         "Links",
         "end",
         "of"},
        {"a trailing blank hangs outside the line",
         {{5, "the end "}, {6, "of it"}},
         "end of",
         false,
         1,
         "Links",
         "end of",
         ""},
        {"case-insensitive keeps the length of ß",
         {{4, "Die Straße und mehr"}},
         "STRASSE UND",
         false,
         -1,
         "",
         "",
         ""},
        {"ß searched as itself",
         {{4, "Die Straße und mehr"}},
         "straße UND",
         false,
         1,
         "Links",
         "Straße und",
         ""},
        {"case-sensitive skips other cases",
         {{2, "ALICE"}, {2 * L + 1, "Alice"}},
         "Alice",
         true,
         3,
         "Links",
         "Alice",
         ""},
        {"case-insensitive finds them",
         {{2, "ALICE"}, {2 * L + 1, "Alice"}},
         "Alice",
         false,
         1,
         "Links",
         "ALICE",
         ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture fixture;
        TForm1 &form = startActive(fixture);
        form.ZWEntfernen->setChecked(false);
        form.openFileFromUser(writeLines(fixture, 6 * L, c.lines));
        ASSERT_EQ(form.readerState().LinesPerPage, L);
        form.SuchenClick();
        form.FindCSens->setChecked(c.caseSensitive);
        if (c.page < 0)
            fixture.prompts->questionAnswers.push_back(QMessageBox::Cancel);
        find(form, c.text);
        if (c.page < 0) {
            EXPECT_EQ(fixture.prompts->shown, QStringList{kRestart});
            continue;
        }
        EXPECT_TRUE(fixture.prompts->shown.isEmpty());
        EXPECT_EQ(form.readerState().CurrentPage, c.page);
        EXPECT_EQ(form.readerState().FocusPage, QString::fromLatin1(c.focus));
        EXPECT_EQ(selected(form.LinkeSeite), c.left);
        EXPECT_EQ(selected(form.RechteSeite), c.right);
    }
}

TEST(FindTest, RepeatedFindRestartAndKeys)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const int L = probeLinesPerPage(fixture, form);
    const int count = 30 * L;
    form.openFileFromUser(
        writeLines(fixture, count, {{2, "a cat and a cat"}, {5, "cat"}, {25 * L, "far cat"}}));
    form.SuchenClick();
    const QString startTitle = form.windowTitle();

    // Repeating continues after each hit.
    const QList<std::pair<int, int>> expected = {{1, 2}, {1, 12}, {4, 0}};
    for (const auto &[block, column] : expected) {
        find(form, QStringLiteral("cat"));
        const QTextCursor c = form.LinkeSeite->textCursor();
        const QTextBlock b = form.LinkeSeite->document()->findBlock(c.selectionStart());
        EXPECT_EQ(b.blockNumber(), block);
        EXPECT_EQ(c.selectionStart() - b.position(), column);
        EXPECT_EQ(selected(form.LinkeSeite), QStringLiteral("cat"));
    }

    // The far hit, with the progress in the title on the way.
    QStringList titles;
    QObject::connect(&form, &QWidget::windowTitleChanged, [&](const QString &t) { titles << t; });
    form.SuchenClick();
    find(form, QStringLiteral("cat"));
    EXPECT_EQ(form.readerState().CurrentPage, 25);
    const QString pages = QString::number(form.readerState().PageCount);
    EXPECT_EQ(titles.mid(0, 2), (QStringList{"Searching on page 10 of " + pages,
                                             "Searching on page 20 of " + pages}));
    EXPECT_EQ(form.windowTitle(), startTitle);

    // Space and Esc stop a search on its way to the end.
    struct KeyCase
    {
        const char *name;
        Qt::Key key;
        bool panelOpen;
    };
    const KeyCase keyCases[] = {{"Space", Qt::Key_Space, true}, {"Esc", Qt::Key_Escape, false}};
    for (const KeyCase &k : keyCases) {
        SCOPED_TRACE(k.name);
        form.SuchenClick();
        QCoreApplication::postEvent(form.FindText,
                                    new QKeyEvent(QEvent::KeyPress, k.key, Qt::NoModifier));
        find(form, QStringLiteral("cat"));
        EXPECT_EQ(form.readerState().CurrentPage, 25);
        EXPECT_EQ(form.windowTitle(), startTitle);
        EXPECT_EQ(form.Finden->isVisible(), k.panelOpen);
        EXPECT_TRUE(fixture.prompts->shown.isEmpty());
    }

    // From the last line the question comes at once; Yes finds the first hit again.
    press(form, Qt::Key_End);
    form.RechteSeite->setFocus();
    form.RechteSeiteEnter();
    form.RechteSeite->moveCursor(QTextCursor::End);
    fixture.prompts->questionAnswers.push_back(QMessageBox::Yes);
    find(form, QStringLiteral("cat"));
    EXPECT_EQ(fixture.prompts->shown, QStringList{kRestart});
    EXPECT_EQ(form.readerState().CurrentPage, 1);
    EXPECT_EQ(form.readerState().FocusPage, QStringLiteral("Links"));
    EXPECT_EQ(form.LinkeSeite->textCursor().block().blockNumber(), 1);

    // No closes the panel and leaves the title as it was.
    fixture.prompts->shown.clear();
    fixture.prompts->questionAnswers.push_back(QMessageBox::No);
    find(form, QStringLiteral("no such text"));
    EXPECT_EQ(fixture.prompts->shown, QStringList{kRestart});
    EXPECT_FALSE(form.Finden->isVisible());
    EXPECT_EQ(form.windowTitle(), startTitle);

    // Blank search texts do nothing.
    form.SuchenClick();
    find(form, QStringLiteral(" \t "));
    EXPECT_EQ(fixture.prompts->shown, QStringList{kRestart});
}

TEST(FindTest, PanelCaptionsAndFindInFiles)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    form.SuchenClick();
    ASSERT_TRUE(form.Finden->isVisible());
    EXPECT_EQ(form.Finden->size(), QSize(440, 16));
    EXPECT_EQ(form.FindOptions->text(), QStringLiteral("Show &Options"));
    form.FindOptionsClick();
    EXPECT_TRUE(form.FindOptionsPanel->isVisible());
    EXPECT_EQ(form.FindOptions->text(), QStringLiteral("Hide &Options"));
    EXPECT_EQ(form.FindCSens->text(), QStringLiteral("&Case sensitive"));
    form.FindOptionsClick();
    EXPECT_EQ(form.FindOptions->text(), QStringLiteral("Show &Options"));
    EXPECT_EQ(form.FindDone->toolTip(), QStringLiteral("Close the find dialog [Esc]"));

    // The field selects its text when it gets the focus.
    form.FindText->setText(QStringLiteral("old"));
    form.LinkeSeite->setFocus();
    form.FindText->setFocus();
    EXPECT_EQ(form.FindText->selectedText(), QStringLiteral("old"));

    // No document: the offer to search files.
    const QString book = fixture.writeBook(QStringLiteral("found.txt"), "found text\r\n");
    form.FindText->setText(QStringLiteral("found"));
    fixture.prompts->confirmAnswers.push_back(false);
    form.FindStartClick(form.FindStart);
    EXPECT_EQ(fixture.prompts->shown,
              QStringList{QStringLiteral("No text opened, start searching in files?")});
    EXPECT_TRUE(fixture.prompts->findInFilesRequests.isEmpty());

    ScriptedPrompts::FindInFilesAnswer answer;
    answer.close = Prompts::FindInFilesClose::Ok;
    answer.fields.FIFDir = QStringLiteral("/tmp/");
    answer.fields.FIFFind = QStringLiteral("text");
    answer.fields.FIFCSens = true;
    answer.fields.foundFile = book;
    fixture.prompts->findInFilesAnswers.push_back(answer);
    fixture.prompts->confirmAnswers.push_back(true);
    form.FindStartClick(form.FindStart);
    ASSERT_EQ(fixture.prompts->findInFilesRequests.size(), 1);
    EXPECT_EQ(fixture.prompts->findInFilesRequests[0].FIFFind, QStringLiteral("found"));
    EXPECT_FALSE(fixture.prompts->findInFilesRequests[0].FIFCSens);
    EXPECT_EQ(form.readerState().FileName, book);
    EXPECT_EQ(form.FindText->text(), QStringLiteral("text"));
    EXPECT_TRUE(form.FindCSens->isChecked());
    EXPECT_FALSE(form.Finden->isVisible());

    // With a document open, "In Files" starts in the document's folder; Abort keeps the text.
    answer.close = Prompts::FindInFilesClose::Abort;
    answer.fields.FIFFind = QStringLiteral("changed");
    fixture.prompts->findInFilesAnswers.push_back(answer);
    form.findInFilesFields.FIFDir.clear();
    form.FindStartClick(form.FindInFiles);
    ASSERT_EQ(fixture.prompts->findInFilesRequests.size(), 2);
    EXPECT_EQ(fixture.prompts->findInFilesRequests[1].FIFDir,
              QFileInfo(book).absolutePath() + u'/');
    EXPECT_EQ(form.FindText->text(), QStringLiteral("text"));
}

// Between lines the scan runs pending events to see Space and Esc; a resize among them must
// not refit the lines under it. The window is laid out for its new size once the scan ends.
TEST(FindTest, ResizeDuringTheScanWaitsForItsEnd)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const int L = probeLinesPerPage(fixture, form);
    form.openFileFromUser(writeLines(fixture, 30 * L, {{25 * L, "far cat"}}));
    form.keyPollIntervalMs = 0;
    const int pageHeight = form.LinkeSeite->height();
    const QSize smaller = form.size() - QSize(150, 150);
    QTimer::singleShot(0, &form, [&form, smaller] { form.resize(smaller); });
    form.SuchenClick();
    find(form, QStringLiteral("far cat"));

    EXPECT_TRUE(fixture.prompts->shown.isEmpty()) << fixture.prompts->shown.join('|').toStdString();
    EXPECT_EQ(selected(form.LinkeSeite) + selected(form.RechteSeite), QStringLiteral("far cat"));
    ASSERT_EQ(form.size(), smaller) << "the resize came after the scan";
    QCoreApplication::processEvents();
    EXPECT_LT(form.LinkeSeite->height(), pageHeight);
    EXPECT_EQ(form.readerState().LinesPerPage, form.LinesPerPageFor());
}
