#include "BookSteps.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSpinBox>

namespace {

struct PageKeyCase
{
    const char *name;
    int from;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int expected;
};

} // namespace

TEST(KeyboardTest, PageKeysStopAtTheEndsOfTheBook)
{
    const PageKeyCase cases[] = {
        {"Down from 5 reaches 7 with an empty right page", 5, Qt::Key_Down, {}, 7},
        {"Space from 5 reaches 7", 5, Qt::Key_Space, {}, 7},
        {"Right from 5", 5, Qt::Key_Right, {}, 6},
        {"End from 5 stops at the last spread", 5, Qt::Key_End, {}, 6},
        {"Page Down from 2 stops at the last spread", 2, Qt::Key_PageDown, {}, 6},
        {"Down at 6", 6, Qt::Key_Down, {}, 6},
        {"Space at 6", 6, Qt::Key_Space, {}, 6},
        {"Right at 6", 6, Qt::Key_Right, {}, 6},
        {"End at 6", 6, Qt::Key_End, {}, 6},
        {"Page Down at 6", 6, Qt::Key_PageDown, {}, 6},
        {"Page Up from 4", 4, Qt::Key_PageUp, {}, 1},
        {"Up from 4", 4, Qt::Key_Up, {}, 2},
        {"Backspace from 2", 2, Qt::Key_Backspace, {}, 1},
        {"Left from 3", 3, Qt::Key_Left, {}, 2},
        {"Home from 5", 5, Qt::Key_Home, {}, 1},
        {"Up at 1", 1, Qt::Key_Up, {}, 1},
        {"Left at 1", 1, Qt::Key_Left, {}, 1},
        {"Shift makes no difference", 5, Qt::Key_Down, Qt::ShiftModifier, 7},
    };
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);
    for (const PageKeyCase &c : cases) {
        SCOPED_TRACE(c.name);
        goToPage(form, c.from);
        press(form, c.key, c.modifiers);
        EXPECT_EQ(form.readerState().CurrentPage, c.expected);
        EXPECT_EQ(form.SeitenNrLinks->text(), QString::number(c.expected));
        EXPECT_EQ(form.SeitenNrRechts->text(), QString::number(c.expected + 1));
    }
    goToPage(form, 5);
    press(form, Qt::Key_Down);
    EXPECT_TRUE(form.RechteSeite->toPlainText().isEmpty());
    EXPECT_FALSE(form.LinkeSeite->toPlainText().isEmpty());
}

TEST(KeyboardTest, OneBookPageAllowsNoTurning)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 1);
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Space, Qt::Key_Right, Qt::Key_End, Qt::Key_PageDown,
                        Qt::Key_Up, Qt::Key_Home}) {
        press(form, key);
        EXPECT_EQ(form.readerState().CurrentPage, 1) << key;
    }
}

TEST(KeyboardTest, ShortcutSwitchGuardsOnlyTheCommandKeys)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);

    fixture.prompts->openAnswers.push_back(QString());
    press(form, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(fixture.prompts->fileRequests.size(), 1);

    form.Shortcuts->setChecked(false);
    press(form, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(fixture.prompts->fileRequests.size(), 1);
    const int size = form.FontUpDown->value();
    press(form, Qt::Key_Plus);
    EXPECT_EQ(form.FontUpDown->value(), size);

    goToPage(form, 3);
    press(form, Qt::Key_Right);
    EXPECT_EQ(form.readerState().CurrentPage, 4);
    press(form, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(form.readerState().CurrentPage, 3);
    press(form, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(form.readerState().CurrentPage, 4);

    // Ctrl + arrows belong to the section jump, not to the caret of the focused page.
    form.LinkeSeite->setFocus();
    form.LinkeSeite->moveCursor(QTextCursor::Start);
    press(form, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(form.LinkeSeite->textCursor().position(), 0);
    EXPECT_EQ(form.readerState().CurrentPage, 4);
}

TEST(KeyboardTest, FindFieldKeepsTypingAndTheCommandsStillWork)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);
    goToPage(form, 3);

    press(form, Qt::Key_B);
    ASSERT_TRUE(form.Finden->isVisible());
    EXPECT_EQ(form.FindText->text(), QStringLiteral("b"));
    EXPECT_TRUE(form.FindText->hasFocus());
    EXPECT_FALSE(form.FindText->hasSelectedText());

    QTest::keyClicks(form.FindText, QStringLiteral("c1 2"));
    EXPECT_EQ(form.FindText->text(), QStringLiteral("bc1 2"));
    EXPECT_EQ(form.readerState().CurrentPage, 3); // Space turned no page
    EXPECT_EQ(form.readerState().PendingJumpDigit, -1);

    QSignalSpy returned(form.FindText, &QLineEdit::returnPressed);
    fixture.prompts->questionAnswers.push_back(QMessageBox::Cancel); // not in the book: restart?
    press(form, Qt::Key_Return);
    EXPECT_EQ(returned.count(), 0); // the search took the key
    EXPECT_TRUE(form.Finden->isVisible());

    fixture.prompts->openAnswers.push_back(QString());
    press(form, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(fixture.prompts->fileRequests.size(), 1);

    form.FindText->setFocus();
    press(form, Qt::Key_Escape);
    EXPECT_FALSE(form.Finden->isVisible());
}

TEST(KeyboardTest, QuickKeysFollowTheirSwitchesAndTheMainKeyboard)
{
    struct Case
    {
        const char *name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool quickOn;
        int jumpDigit;     // the digit the jump dialog offers, -1 when none opens
        const char *found; // FindText afterwards, nullptr when the find panel stays hidden
    };
    const Case cases[] = {
        {"digit", Qt::Key_3, {}, true, 3, nullptr},
        {"keypad digit", Qt::Key_3, Qt::KeypadModifier, true, -1, nullptr},
        {"digit with quick page off", Qt::Key_3, {}, false, -1, nullptr},
        {"letter", Qt::Key_B, {}, true, -1, "b"},
        {"shifted letter", Qt::Key_B, Qt::ShiftModifier, true, -1, "B"},
        {"letter with quick find off", Qt::Key_B, {}, false, -1, nullptr},
        {"Ctrl and a keypad key", Qt::Key_8, Qt::ControlModifier | Qt::KeypadModifier, true, -1,
         nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture fixture;
        TForm1 &form = startActive(fixture);
        openBookOfPages(fixture, form, 7);
        form.QuickJump->setChecked(c.quickOn);
        form.QuickFind->setChecked(c.quickOn);
        fixture.prompts->jumpAnswers.push_back(std::nullopt); // a jump dialog is cancelled
        press(form, c.key, c.modifiers);
        const QList<QStringList> &asked = fixture.prompts->inputRequests;
        EXPECT_EQ(asked.isEmpty() ? -1 : asked.first().at(2).toInt(), c.jumpDigit);
        EXPECT_EQ(form.readerState().PendingJumpDigit, -1);
        EXPECT_EQ(form.Finden->isVisible(), c.found != nullptr);
        if (c.found) {
            EXPECT_EQ(form.FindText->text(), QString::fromLatin1(c.found));
        }
    }
}

TEST(KeyboardTest, FontSizeKeysNeedADocumentAndStayInRange)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const int before = form.FontUpDown->value();
    const QString settingsBefore = fixture.settingsText();
    for (Qt::Key key : {Qt::Key_Plus, Qt::Key_Minus}) {
        press(form, key);
        EXPECT_EQ(form.FontUpDown->value(), before);
    }
    EXPECT_EQ(fixture.settingsText(), settingsBefore);

    openBookOfPages(fixture, form, 7);
    form.FontUpDown->setValue(19);
    EXPECT_EQ(form.LinkeSeite->font().pointSize(), 19);
    struct Case
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int expected;
    };
    const Case cases[] = {
        {Qt::Key_Plus, {}, 20},
        {Qt::Key_Plus, {}, 20},
        {Qt::Key_Plus, Qt::KeypadModifier, 20},
        {Qt::Key_Minus, Qt::KeypadModifier, 19},
        {Qt::Key_Minus, {}, 18},
    };
    for (const Case &c : cases) {
        press(form, c.key, c.modifiers);
        EXPECT_EQ(form.FontUpDown->value(), c.expected);
        EXPECT_EQ(form.Fontgroesse->text(), QString::number(c.expected));
        EXPECT_EQ(form.LinkeSeite->font().pointSize(), c.expected);
    }
    form.FontUpDown->setValue(6);
    press(form, Qt::Key_Minus);
    EXPECT_EQ(form.FontUpDown->value(), 6);
}

TEST(KeyboardTest, FontKeysStepThroughTheListWithinItsEnds)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    ASSERT_GE(form.Schriftart->count(), 2);
    form.Schriftart->setCurrentIndex(0);
    form.SchriftartChange();
    press(form, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form.Schriftart->currentIndex(), 0);
    press(form, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(form.Schriftart->currentIndex(), 1);
    EXPECT_EQ(form.LinkeSeite->font().family(), form.Schriftart->itemText(1));
    // Without a document the choice becomes the default font.
    EXPECT_TRUE(fixture.settingsText().contains(QStringLiteral("Default font name=") +
                                                form.Schriftart->itemText(1)));

    // In the open menu the focused font list steps with Up and Down and ignores Delete.
    form.OpenMenuPanel();
    form.Schriftart->setFocus();
    press(form, Qt::Key_Down);
    EXPECT_EQ(form.Schriftart->currentIndex(), 2 < form.Schriftart->count() ? 2 : 1);
    press(form, Qt::Key_Up);
    EXPECT_EQ(form.Schriftart->currentIndex(), 1);
    press(form, Qt::Key_Delete);
    EXPECT_EQ(form.Schriftart->currentIndex(), 1);
}

TEST(KeyboardTest, EscClosesTheMenuFirstAndThenTheDropDownContents)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);
    form.SetTocPanelShown(true);
    form.OpenMenuPanel();
    form.OpenHelpPanel();
    press(form, Qt::Key_Escape);
    EXPECT_FALSE(form.Menu->isVisible());
    EXPECT_FALSE(form.Hilfe->isVisible());
    EXPECT_TRUE(form.Contents->isVisible());
    press(form, Qt::Key_Escape);
    EXPECT_FALSE(form.Contents->isVisible());
}

// A number field of the menu, clicked into, takes typed digits and steps with Up and Down; no
// page turns and no jump dialog opens.
TEST(KeyboardTest, ClickedNumberFieldsKeepTheirKeys)
{
    struct Case
    {
        const char *name;
        QSpinBox *TForm1::*field;
        Qt::Key digit;
        int typed;
    };
    const Case cases[] = {
        {"speed", &TForm1::SpeechRate, Qt::Key_5, 5},
        {"font size", &TForm1::FontUpDown, Qt::Key_9, 9},
        {"blank lines before a chapter", &TForm1::PreChapterUpDown, Qt::Key_5, 5},
        {"left margin", &TForm1::MarginLeftUpDown, Qt::Key_5, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture fixture;
        TForm1 &form = startActive(fixture);
        openBookOfPages(fixture, form, 9);
        goToPage(form, 5);
        form.OpenMenuPanel();
        QSpinBox *spin = form.*c.field;
        ASSERT_TRUE(spin->isVisible());
        QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(4, spin->height() / 2));
        ASSERT_TRUE(spin->hasFocus());
        spin->selectAll();
        press(form, c.digit);
        press(form, Qt::Key_Return);
        EXPECT_EQ(spin->value(), c.typed);
        press(form, Qt::Key_Up);
        EXPECT_EQ(spin->value(), c.typed + 1);
        press(form, Qt::Key_Down);
        press(form, Qt::Key_Down);
        EXPECT_EQ(spin->value(), c.typed - 1);
        EXPECT_TRUE(fixture.prompts->inputRequests.isEmpty());
        EXPECT_EQ(form.readerState().CurrentPage, 5);
    }
}
