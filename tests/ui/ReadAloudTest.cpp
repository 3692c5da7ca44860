#include "BookSteps.h"
#include "core/book/IniFile.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>

namespace {

const QString kReading = QStringLiteral(" - Reading aloud - Esc stops");

// A seven-page book of one-line sentences ("line N"), read from page 1 with the engine ready.
struct Reading
{
    ReaderFixture fixture;
    TForm1 *form = nullptr;
    int lpp = 0;

    void start()
    {
        form = &startActive(fixture);
        openBookOfPages(fixture, *form, 7);
        lpp = form->readerState().LinesPerPage;
        ASSERT_GE(lpp, 3);
        press(*form, Qt::Key_P, Qt::ControlModifier);
        ASSERT_TRUE(form->readingAloud());
        fixture.speaker->answerReady();
        ASSERT_EQ(fixture.speaker->said, QStringList{QStringLiteral("line 1")});
    }
    // Lets the voice finish sentences until `line` is being said.
    void readTo(int line)
    {
        while (fixture.speaker->said.size() < line && form->readingAloud())
            fixture.speaker->finish();
        ASSERT_EQ(fixture.speaker->said.size(), line);
    }
    QString settingsPage() const
    {
        // As written to the file.
        return IniFile(fixture.settingsPath())
            .readString(form->readerState().FileName, QStringLiteral("Page"), QString());
    }
};

QString line(int n)
{
    return QStringLiteral("line %1").arg(n);
}

} // namespace

TEST(ReadAloudTest, ReadsOnAcrossTheSpreadAndTurnsThePage)
{
    Reading r;
    r.start();
    TForm1 &form = *r.form;
    EXPECT_TRUE(form.windowTitle().endsWith(kReading)) << form.windowTitle().toStdString();
    EXPECT_EQ(form.LinkeSeite->textCursor().selectedText(), line(1));

    // The last line of the right page is shown there, on the same spread.
    r.readTo(2 * r.lpp);
    EXPECT_EQ(form.readerState().CurrentPage, 1);
    EXPECT_EQ(form.RechteSeite->textCursor().selectedText(), line(2 * r.lpp));
    EXPECT_FALSE(form.LinkeSeite->textCursor().hasSelection());

    // The next sentence is on page 3: the pages turn as a page key turns them.
    r.readTo(2 * r.lpp + 1);
    EXPECT_EQ(r.fixture.speaker->said.last(), line(2 * r.lpp + 1));
    EXPECT_EQ(form.readerState().CurrentPage, 3);
    EXPECT_EQ(form.LinkeSeite->textCursor().selectedText(), line(2 * r.lpp + 1));
    EXPECT_EQ(r.settingsPage(), QStringLiteral("3"));
    EXPECT_EQ(form.History->itemText(form.History->count() - 1), QStringLiteral("3"));
    EXPECT_TRUE(form.readingAloud());

    // The same command stops; the reading position is the page shown.
    press(form, Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(form.readingAloud());
    EXPECT_EQ(form.readerState().CurrentPage, 3);
    EXPECT_EQ(r.settingsPage(), QStringLiteral("3"));
    EXPECT_FALSE(form.windowTitle().contains(kReading));
}

TEST(ReadAloudTest, EscAndPageKeysStopTheVoice)
{
    Reading r;
    r.start();
    TForm1 &form = *r.form;
    r.readTo(3);
    const int stops = r.fixture.speaker->stops;
    press(form, Qt::Key_Escape);
    EXPECT_FALSE(form.readingAloud());
    EXPECT_EQ(r.fixture.speaker->stops, stops + 1);
    EXPECT_FALSE(form.LinkeSeite->textCursor().hasSelection());
    EXPECT_FALSE(form.windowTitle().contains(kReading));
    // An answer the engine had already sent says nothing more.
    r.fixture.speaker->finish();
    EXPECT_EQ(r.fixture.speaker->said.size(), 3);

    // A page key stops the reading and turns the page as always.
    press(form, Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(form.readingAloud());
    EXPECT_EQ(r.fixture.speaker->said.last(), line(1));
    press(form, Qt::Key_Down);
    EXPECT_FALSE(form.readingAloud());
    EXPECT_EQ(form.readerState().CurrentPage, 3);
    EXPECT_EQ(r.settingsPage(), QStringLiteral("3"));
    r.fixture.speaker->finish();
    EXPECT_EQ(r.fixture.speaker->said.size(), 4);

    // So does a turn by the mouse.
    press(form, Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(form.readingAloud());
    form.Blaettern(Qt::RightButton);
    EXPECT_FALSE(form.readingAloud());
    EXPECT_EQ(form.readerState().CurrentPage, 5);
}

TEST(ReadAloudTest, ANewBookStopsTheOldReading)
{
    Reading r;
    r.start();
    TForm1 &form = *r.form;
    form.openFileFromUser(
        r.fixture.writeBook(QStringLiteral("other.txt"), QByteArray("Another book.")));
    EXPECT_FALSE(form.readingAloud());
    EXPECT_GE(r.fixture.speaker->stops, 1);
    r.fixture.speaker->finish();
    EXPECT_EQ(r.fixture.speaker->said, QStringList{line(1)});
    EXPECT_FALSE(form.windowTitle().contains(kReading));
}

TEST(ReadAloudTest, StartsAtTheSelection)
{
    Reading r;
    r.form = &startActive(r.fixture);
    TForm1 &form = *r.form;
    openBookOfPages(r.fixture, form, 7);
    const int lpp = form.readerState().LinesPerPage;
    r.fixture.speaker->engineReady = true;
    // "ne N" selected on the right page's third line.
    QTextCursor cursor(form.RechteSeite->document()->findBlockByNumber(2));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 2);
    cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, 3);
    form.RechteSeite->setTextCursor(cursor);
    form.ReadAloudClick();
    EXPECT_EQ(r.fixture.speaker->said, QStringList{QStringLiteral("ne %1").arg(lpp + 3)});
    EXPECT_EQ(form.RechteSeite->textCursor().selectedText(), QStringLiteral("ne %1").arg(lpp + 3));
}

TEST(ReadAloudTest, AMissingOrFailingEngineIsAClearHint)
{
    Reading r;
    r.form = &startActive(r.fixture);
    TForm1 &form = *r.form;
    openBookOfPages(r.fixture, form, 3);
    const QString install = QStringLiteral("Reading aloud needs a speech engine: install it");
    r.fixture.speaker->missing = install;
    const int started = r.fixture.speaker->starts;
    form.OpenMenuPanel();
    EXPECT_FALSE(form.ReadAloud->isEnabled());
    EXPECT_EQ(form.ReadAloud->toolTip(), install);
    form.MenuHilfeAus();
    press(form, Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(form.readingAloud());
    EXPECT_EQ(r.fixture.prompts->shown, QStringList{install});
    EXPECT_EQ(r.fixture.speaker->starts, started);

    // An engine that cannot start: the reading ends with the reason.
    r.fixture.speaker->missing.clear();
    form.OpenMenuPanel();
    EXPECT_TRUE(form.ReadAloud->isEnabled());
    form.MenuHilfeAus();
    press(form, Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(form.readingAloud());
    r.fixture.speaker->fail(QStringLiteral("Connection to speech-dispatcher failed"));
    EXPECT_FALSE(form.readingAloud());
    EXPECT_EQ(r.fixture.prompts->shown.last(),
              QStringLiteral("Connection to speech-dispatcher failed"));
    EXPECT_EQ(form.ReadAloud->toolTip(), QStringLiteral("Connection to speech-dispatcher failed"));
    EXPECT_TRUE(r.fixture.speaker->said.isEmpty());
    EXPECT_FALSE(form.windowTitle().contains(kReading));

    // An engine that never answers: the reading ends with a word, not a silent wait.
    form.speechStartLimitMs = 20;
    press(form, Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(form.readingAloud());
    for (int i = 0; i < 250 && form.readingAloud(); ++i)
        QTest::qWait(20);
    EXPECT_FALSE(form.readingAloud());
    EXPECT_EQ(r.fixture.prompts->shown.last(), QStringLiteral("The speech engine does not answer."));
}

TEST(ReadAloudTest, SpeaksInAVoiceOfTheBooksLanguageAtTheChosenSpeed)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    form.openFileFromUser(fixture.writeBook(
        QStringLiteral("ru.txt"), QStringLiteral("Он ушёл домой. Она осталась.").toUtf8()));
    form.SpeechRate->setValue(5);
    EXPECT_TRUE(fixture.settingsText().contains(QStringLiteral("Speech rate=5")));
    press(form, Qt::Key_P, Qt::ControlModifier);
    fixture.speaker->answerReady({{QStringLiteral("English"), QLocale(QLocale::English)},
                                  {QStringLiteral("Russian"), QLocale(QLocale::Russian)}});
    EXPECT_EQ(form.VoiceChoice->itemText(1), QStringLiteral("Russian"));
    EXPECT_EQ(fixture.speaker->said, QStringList{QStringLiteral("Он ушёл домой.")});
    EXPECT_EQ(fixture.speaker->voices, QStringList{QStringLiteral("Russian")});
    EXPECT_EQ(fixture.speaker->rates, QList<double>{0.5});

    // A chosen voice is stored and used from the next sentence on.
    form.VoiceChoice->setCurrentIndex(form.VoiceChoice->findText(QStringLiteral("English")));
    form.VoiceChoiceChange();
    EXPECT_TRUE(fixture.settingsText().contains(QStringLiteral("Voice=English")));
    fixture.speaker->finish();
    EXPECT_EQ(fixture.speaker->voices.last(), QStringLiteral("English"));
    // The end of the book ends the reading.
    fixture.speaker->finish();
    EXPECT_FALSE(form.readingAloud());
}

// A reader who has read aloud before finds the engine started once the window shows; anybody
// else starts it with the first Ctrl+P. The first sentence is said at once in the engine's own
// voice of the book's language, and the voices are listed only when the voice choice opens.
TEST(ReadAloudTest, FirstSentenceDoesNotWaitForTheVoiceList)
{
    ReaderFixture fixture;
    startActive(fixture);
    QApplication::processEvents();
    EXPECT_EQ(fixture.speaker->starts, 0);
    const QString book = fixture.writeBook(
        QStringLiteral("ru.txt"), QStringLiteral("Он ушёл домой. Она осталась.").toUtf8());
    fixture.form->openFileFromUser(book);
    press(*fixture.form, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(fixture.speaker->starts, 1);
    fixture.speaker->answerReady();
    EXPECT_EQ(fixture.speaker->said, QStringList{QStringLiteral("Он ушёл домой.")});
    EXPECT_EQ(fixture.speaker->voices, QStringList{QString()});
    EXPECT_EQ(fixture.speaker->languages, QList<QLocale::Language>{QLocale::Russian});
    EXPECT_EQ(fixture.speaker->listings, 0);
    fixture.stop();

    TForm1 &form = startActive(fixture);
    QApplication::processEvents();
    EXPECT_EQ(fixture.speaker->starts, 1);
    fixture.speaker->answerReady();
    form.openFileFromUser(book);
    form.OpenMenuPanel();
    ASSERT_TRUE(form.VoiceChoice->isVisible());
    EXPECT_EQ(fixture.speaker->listings, 0);
    QTest::mouseClick(form.VoiceChoice, Qt::LeftButton);
    EXPECT_EQ(fixture.speaker->listings, 1);
    if (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    fixture.speaker->answerReady({{QStringLiteral("English"), QLocale(QLocale::English)},
                                  {QStringLiteral("Russian"), QLocale(QLocale::Russian)}});
    EXPECT_EQ(form.VoiceChoice->itemText(1), QStringLiteral("Russian"));
    QTest::mouseClick(form.VoiceChoice, Qt::LeftButton);
    EXPECT_EQ(fixture.speaker->listings, 1);
    if (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
}
