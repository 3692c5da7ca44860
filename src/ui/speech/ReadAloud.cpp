#include "ui/Tavolex1.h"

#include "ui/panels/PanelWidgets.h"
#include "core/book/IniFile.h"
#include "core/layout/RawLineBounds.h"
#include "core/speech/SpeechLanguage.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace panels;

namespace {

const QString kReadingTitle = QStringLiteral(" - Reading aloud - Esc stops");
const QString kReadHint =
    QStringLiteral("Read the book aloud from the left page or the selection [Ctrl+P]; Esc stops");
const QString kAutomatic = QStringLiteral("Automatic");
const QString kOptions = QStringLiteral("Options");
const QString kReadAloudUsed = QStringLiteral("Read aloud used");

SpokenLines spokenLinesOf(const ReaderState &state)
{
    SpokenLines lines;
    lines.line = [&state](int n) { return ::FittedLine(state.pieces, n); };
    lines.joinsNext = [&state](int n) {
        return n < state.TotalLines && ::FittedLineJoinsNext(state.pieces, n);
    };
    lines.endsParagraph = [&state](int n) { return FittedLineEndsRawLine(state.pieces, n); };
    lines.totalLines = state.TotalLines;
    return lines;
}

// The control shows the page's lines after its leading blank lines; a column past a trimmed
// line end is its end.
int controlPosition(const QPlainTextEdit *page, int firstLine, const TrimRecord &trim,
                    TextPoint point)
{
    const QTextDocument *document = page->document();
    const int block = point.line - firstLine - trim.BlankLines;
    if (block < 0)
        return 0;
    if (block >= document->blockCount())
        return document->characterCount() - 1;
    const QTextBlock b = document->findBlockByNumber(block);
    return b.position() + std::clamp(point.column, 0, b.length() - 1);
}

// The menu shows whether an engine is installed; the large menu, which holds the voice
// choice and the dictionary choice, starts the engine and reads the dictionaries' names.
class MenuWatch : public QObject
{
public:
    explicit MenuWatch(TForm1 *form) : QObject(form), form(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != form->Menu)
            return false;
        if (event->type() == QEvent::Show)
            form->refreshReadAloudCommand(); // also orders the voices for the book shown
        if ((event->type() == QEvent::Show || event->type() == QEvent::Resize) &&
            form->Menu->isVisible() && form->Menu->width() > kSmallMenuWidth) {
            form->prepareDictionaries();
            if (form->ReadAloud->isEnabled())
                form->speaker().start();
        }
        return false;
    }

private:
    TForm1 *form;
};

// The voices are listed when the reader opens the voice choice, not before: listing thousands
// of them takes seconds that the first sentence must not wait for.
class VoiceChoiceWatch : public QObject
{
public:
    explicit VoiceChoiceWatch(TForm1 *form) : QObject(form), form(form) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        const bool opens = event->type() == QEvent::MouseButtonPress ||
                           event->type() == QEvent::KeyPress || event->type() == QEvent::Wheel;
        if (opens)
            form->VoiceChoiceOpening();
        return false;
    }

private:
    TForm1 *form;
};

} // namespace

void TForm1::VoiceChoiceOpening()
{
    if (voicesListed || !ReadAloud->isEnabled())
        return;
    voicesListed = true;
    speaker().listVoices();
}

void TForm1::startSpeechInBackground()
{
    // Starting the engine costs about a second of work and a speech server: only readers who
    // read aloud pay it at every start; the others pay it at their first Ctrl+P.
    if (speechStartQueued || ini->readString(kOptions, kReadAloudUsed, QString()) != u"Yes")
        return;
    speechStartQueued = true;
    // After the window has been painted: the engine's start takes its thread, not the window.
    QTimer::singleShot(0, this, [this] {
        if (speaker().missingEngine().isEmpty())
            speaker().start();
    });
}

void TForm1::buildSpeechControls(QWidget *box, QVBoxLayout *layout)
{
    auto *voiceRow = row();
    voiceRow->addWidget(new QLabel(QStringLiteral("Voice:"), box));
    VoiceChoice = new QComboBox(box);
    VoiceChoice->setObjectName(QStringLiteral("VoiceChoice"));
    VoiceChoice->setToolTip(
        QStringLiteral("The voice that reads aloud; Automatic takes one of the book's language"));
    VoiceChoice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    VoiceChoice->setMinimumContentsLength(14);
    VoiceChoice->addItem(kAutomatic);
    voiceRow->addWidget(VoiceChoice, 1);
    voiceRow->addSpacing(6);
    voiceRow->addWidget(new QLabel(QStringLiteral("Speed:"), box));
    SpeechRate =
        makeUpDown(box, -10, 10, 0, QStringLiteral("Reading speed, from -10 (slow) to +10 (fast)"));
    SpeechRate->setObjectName(QStringLiteral("SpeechRate"));
    voiceRow->addWidget(SpeechRate);
    layout->addLayout(voiceRow);

    connect(VoiceChoice, &QComboBox::activated, this, &TForm1::VoiceChoiceChange);
    VoiceChoice->installEventFilter(new VoiceChoiceWatch(this));
    connect(SpeechRate, &QSpinBox::valueChanged, this, &TForm1::SpeechRateChange);
    Menu->installEventFilter(new MenuWatch(this));
    speaker().callbacks.ready = [this](const QList<SpeakerVoice> &voices) { speakerReady(voices); };
    speaker().callbacks.finished = [this] {
        if (readAloud.active && readAloud.hasSentence)
            speakNextSentence();
    };
    speaker().callbacks.failed = [this](const QString &reason) { speakerFailed(reason); };
}

void TForm1::refreshReadAloudCommand()
{
    // Without an engine the command says what to install.
    const QString missing = speaker().missingEngine();
    const bool had = ReadAloud->isEnabled();
    ReadAloud->setEnabled(missing.isEmpty());
    if (!missing.isEmpty())
        ReadAloud->setToolTip(missing);
    else if (!had || ReadAloud->toolTip().isEmpty())
        ReadAloud->setToolTip(kReadHint);
    if (VoiceChoice)
        fillVoiceChoice();
}

void TForm1::applySpeechSettings()
{
    storedVoice = ini->readString(kOptions, QStringLiteral("Voice"), QString());
    bool ok = false;
    const int rate = ini->readString(kOptions, QStringLiteral("Speech rate"), QStringLiteral("0"))
                         .trimmed()
                         .toInt(&ok);
    const QSignalBlocker blocker(SpeechRate);
    SpeechRate->setValue(ok ? std::clamp(rate, -10, 10) : 0);
    refreshReadAloudCommand();
}

void TForm1::fillVoiceChoice()
{
    const QLocale::Language language = bookLanguage();
    // The control keeps the language its list is ordered for: another book may speak another.
    const QVariant orderedFor = VoiceChoice->property("language");
    const int count = VoiceChoice->property("voices").toInt();
    if (orderedFor.isValid() && orderedFor.toInt() == int(language) &&
        count == speakerVoices.size())
        return;
    VoiceChoice->setProperty("language", int(language));
    VoiceChoice->setProperty("voices", int(speakerVoices.size()));
    QStringList names = voiceChoices(speakerVoices, language);
    // Until the engine answers, the stored voice stands alone beside the automatic choice.
    if (speakerVoices.isEmpty() && !storedVoice.isEmpty())
        names << storedVoice;
    const QSignalBlocker blocker(VoiceChoice);
    VoiceChoice->clear();
    VoiceChoice->addItem(kAutomatic);
    VoiceChoice->addItems(names);
    const int stored = storedVoice.isEmpty() ? 0 : VoiceChoice->findText(storedVoice);
    VoiceChoice->setCurrentIndex(std::max(stored, 0));
}

QString TForm1::chosenVoice() const
{
    if (VoiceChoice->currentIndex() > 0)
        return VoiceChoice->currentText();
    return automaticVoice(speakerVoices, bookLanguage());
}

void TForm1::VoiceChoiceChange()
{
    storedVoice = VoiceChoice->currentIndex() > 0 ? VoiceChoice->currentText() : QString();
    writeSetting(kOptions, QStringLiteral("Voice"), storedVoice);
}

void TForm1::SpeechRateChange()
{
    writeSetting(kOptions, QStringLiteral("Speech rate"), QString::number(SpeechRate->value()));
}

QString TForm1::readAloudTitleSuffix() const
{
    return readAloud.active ? kReadingTitle : QString();
}

bool TForm1::isPageTurnKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrlOrAlt = modifiers & (Qt::ControlModifier | Qt::AltModifier);
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        return true; // also with Ctrl (sections) and Alt (history)
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Space:
    case Qt::Key_Backspace:
        return !ctrlOrAlt;
    default:
        return false;
    }
}

void TForm1::ReadAloudClick()
{
    if (state.FileName.isEmpty() && !readAloud.active)
        return;
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
    if (readAloud.active) {
        StopReadingAloud();
        return;
    }
    if (state.PageCount == 0)
        return;
    const QString missing = speaker().missingEngine();
    if (!missing.isEmpty()) {
        prompts().notice(this, missing);
        return;
    }

    const int lpp = state.LinesPerPage;
    TextPoint from{firstLineOfPage(state.CurrentPage, lpp), 0};
    // A selection on either page: reading starts where it starts.
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite}) {
        const QTextCursor cursor = page->textCursor();
        if (!cursor.hasSelection())
            continue;
        const bool right = page == RechteSeite;
        const TrimRecord &trim = right ? state.RightTrim : state.LeftTrim;
        const QTextBlock block = page->document()->findBlock(cursor.selectionStart());
        from = {firstLineOfPage(state.CurrentPage + (right ? 1 : 0), lpp) + trim.BlankLines +
                    std::max(0, block.blockNumber()),
                cursor.selectionStart() - block.position()};
        break;
    }
    if (ini->readString(kOptions, kReadAloudUsed, QString()) != u"Yes")
        writeSetting(kOptions, kReadAloudUsed, QStringLiteral("Yes"));
    readAloud = ReadAloudState();
    readAloud.active = true;
    readAloud.next = from;
    readAloud.page = state.CurrentPage;
    readAloud.linesPerPage = lpp;
    readAloud.totalLines = state.TotalLines;
    UpdateTitle();
    if (!speaker().ready()) {
        readAloud.waitingForEngine = true;
        speaker().start();
        // A speech server that hangs keeps the engine from ever answering: the reading ends with
        // a word instead of waiting for ever.
        QTimer::singleShot(speechStartLimitMs, this, [this, reading = ++readAloudStarts] {
            if (readAloud.active && readAloud.waitingForEngine && reading == readAloudStarts)
                speakerFailed(QStringLiteral("The speech engine does not answer."));
        });
        return;
    }
    speakNextSentence();
}

void TForm1::StopReadingAloud()
{
    if (!readAloud.active)
        return;
    const bool shown = readAloud.hasSentence;
    readAloud = ReadAloudState();
    speaker().stop();
    if (shown) {
        for (QPlainTextEdit *page : {LinkeSeite, RechteSeite})
            page->moveCursor(QTextCursor::Start);
    }
    UpdateTitle();
}

void TForm1::speakerReady(const QList<SpeakerVoice> &voices)
{
    speakerVoices = voices;
    fillVoiceChoice();
    showBookLanguage();
    if (readAloud.active && readAloud.waitingForEngine) {
        readAloud.waitingForEngine = false;
        speakNextSentence();
    }
}

void TForm1::speakerFailed(const QString &reason)
{
    ReadAloud->setToolTip(displayMessageText(reason));
    if (!readAloud.active)
        return;
    StopReadingAloud();
    prompts().notice(this, reason);
}

void TForm1::speakNextSentence()
{
    // The editor shows the text that is being changed, not the pages being read.
    if (editorShown()) {
        StopReadingAloud();
        return;
    }
    const std::optional<SpokenSentence> sentence =
        nextSpokenSentence(spokenLinesOf(state), readAloud.next);
    if (!sentence) {
        StopReadingAloud(); // the end of the book
        return;
    }
    readAloud.sentence = *sentence;
    readAloud.hasSentence = true;
    readAloud.next = sentence->next;
    showSpokenSentence();
    ReadAloud->setToolTip(kReadHint);
    speaker().say(spokenWithReadings(*sentence), chosenVoice(), speechRate(SpeechRate->value()),
                  QLocale(bookLanguage()));
}

void TForm1::showSpokenSentence()
{
    const SpokenSentence &s = readAloud.sentence;
    const int lpp = state.LinesPerPage;
    const int first = firstLineOfPage(state.CurrentPage, lpp);
    if (s.start.line < first || s.start.line >= first + 2 * lpp) {
        readAloud.turning = true;
        state.CurrentPage = std::clamp((s.start.line - 1) / lpp + 1, 1, state.PageCount);
        ShowSpread();
        readAloud.turning = false;
    }
    readAloud.page = state.CurrentPage;
    readAloud.linesPerPage = lpp;
    readAloud.totalLines = state.TotalLines;

    // Shown as a find hit is: the page where the sentence starts has the focus.
    const int leftFirst = firstLineOfPage(state.CurrentPage, lpp);
    const bool startsRight = s.start.line >= leftFirst + lpp;
    QPlainTextEdit *focusPage = startsRight ? RechteSeite : LinkeSeite;
    focusPage->setFocus(Qt::OtherFocusReason);
    if (startsRight)
        RechteSeiteEnter();
    else
        LinkeSeiteEnter();
    for (int side = 0; side < 2; ++side) {
        QPlainTextEdit *page = side == 0 ? LinkeSeite : RechteSeite;
        const int pageFirst = leftFirst + side * lpp;
        const int pageLast = std::min(pageFirst + lpp - 1, state.TotalLines);
        const TextPoint from = std::max(s.start, TextPoint{pageFirst, 0});
        const TextPoint to = std::min(s.end, TextPoint{pageLast + 1, 0});
        if (!(from < to)) {
            page->moveCursor(QTextCursor::Start);
            continue;
        }
        const TrimRecord &trim = side == 0 ? state.LeftTrim : state.RightTrim;
        QTextCursor cursor(page->document());
        cursor.setPosition(controlPosition(page, pageFirst, trim, from));
        cursor.setPosition(controlPosition(page, pageFirst, trim, to), QTextCursor::KeepAnchor);
        page->setTextCursor(cursor);
    }
}

void TForm1::readAloudSpreadShown()
{
    if (!readAloud.active || readAloud.turning)
        return;
    const bool sameLayout =
        readAloud.linesPerPage == state.LinesPerPage && readAloud.totalLines == state.TotalLines;
    // A page the reader turned to: the voice would turn back to where it is.
    if (sameLayout && readAloud.page != state.CurrentPage) {
        StopReadingAloud();
        return;
    }
    if (!readAloud.hasSentence)
        return;
    // A new layout keeps the reading only where the sentence still stands as it was.
    const std::optional<SpokenSentence> again =
        nextSpokenSentence(spokenLinesOf(state), readAloud.sentence.start);
    if (!again || again->text != readAloud.sentence.text ||
        again->start != readAloud.sentence.start) {
        StopReadingAloud();
        return;
    }
    readAloud.next = again->next;
    showSpokenSentence();
}
