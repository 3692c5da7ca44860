#include "BookSteps.h"
#include "ui/dialogs/TvxDialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kCaption = QStringLiteral("Jump to page");
const QString kLeftPrompt = QStringLiteral("Please enter left page number:");
const QString kRightPrompt = QStringLiteral("Please enter right page number:");

QStringList historyEntries(const TForm1 &form)
{
    QStringList entries;
    for (int i = 0; i < form.History->count(); ++i)
        entries << form.History->itemText(i);
    return entries;
}

// A page change made by the program, recorded in the history like any other.
void jumpTo(ReaderFixture &fixture, TForm1 &form, int page)
{
    fixture.prompts->inputAnswers.push_back(QString::number(page));
    QTest::mouseClick(form.SeitenNrLinks, Qt::LeftButton);
    ASSERT_EQ(form.readerState().CurrentPage, page);
}

} // namespace

TEST(PageJumpTest, TheLabelsAskForTheirPageAndClamp)
{
    struct Case
    {
        const char *what;
        bool right;
        int from;
        std::optional<QString> answer;
        QString prefilled;
        QString prompt;
        int expected;
    } cases[] = {
        {"right page at 5 pre-fills 6; 10 shows 9 / 10", true, 5, "10", "6", kRightPrompt, 9},
        {"left page", false, 5, "12", "5", kLeftPrompt, 12},
        {"zero gives page 1", false, 5, "0", "5", kLeftPrompt, 1},
        {"negative gives page 1", false, 5, "-7", "5", kLeftPrompt, 1},
        {"right page 1 gives page 1", true, 5, "1", "6", kRightPrompt, 1},
        {"beyond the book gives the last page", false, 5, "999", "5", kLeftPrompt, 30},
        {"a number beyond any integer", true, 5, "99999999999999999999", "6", kRightPrompt, 30},
        {"blanks around a number", false, 5, " 7 ", "5", kLeftPrompt, 7},
        {"not a number", false, 5, "abc", "5", kLeftPrompt, 5},
        {"a fraction", false, 5, "3.5", "5", kLeftPrompt, 5},
        {"empty", true, 5, "", "6", kRightPrompt, 5},
        {"hexadecimal is not decimal", false, 5, "$A", "5", kLeftPrompt, 5},
        {"cancel keeps the page", true, 5, std::nullopt, "6", kRightPrompt, 5},
    };
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 30);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        goToPage(form, c.from);
        fixture.prompts->inputRequests.clear();
        fixture.prompts->inputAnswers.push_back(c.answer);
        QTest::mouseClick(c.right ? form.SeitenNrRechts : form.SeitenNrLinks, Qt::LeftButton);
        ASSERT_EQ(fixture.prompts->inputRequests.size(), 1);
        EXPECT_EQ(fixture.prompts->inputRequests.first(),
                  (QStringList{kCaption, c.prompt, c.prefilled}));
        EXPECT_EQ(form.readerState().CurrentPage, c.expected);
        EXPECT_EQ(form.SeitenNrLinks->text(), QString::number(c.expected));
        EXPECT_EQ(form.SeitenNrRechts->text(), QString::number(c.expected + 1));
    }
}

TEST(PageJumpTest, QuickJumpAsksForTheFocusedPageWithTheTypedDigit)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 60);
    ASSERT_TRUE(form.QuickJump->isChecked());

    form.RechteSeite->setFocus();
    ASSERT_EQ(form.readerState().FocusPage, QStringLiteral("Rechts"));
    fixture.prompts->jumpAnswers.push_back(QStringLiteral("42"));
    press(form, Qt::Key_4);
    ASSERT_EQ(fixture.prompts->inputRequests.size(), 1);
    EXPECT_EQ(fixture.prompts->inputRequests.at(0), (QStringList{kCaption, kRightPrompt, "4"}));
    EXPECT_EQ(form.SeitenNrLinks->text(), QStringLiteral("41"));
    EXPECT_EQ(form.SeitenNrRechts->text(), QStringLiteral("42"));

    // Cancelled: the page stays and the next label click asks with the plain box again.
    form.LinkeSeite->setFocus();
    fixture.prompts->jumpAnswers.push_back(std::nullopt);
    press(form, Qt::Key_7);
    EXPECT_EQ(fixture.prompts->inputRequests.at(1), (QStringList{kCaption, kLeftPrompt, "7"}));
    EXPECT_EQ(form.readerState().CurrentPage, 41);
    EXPECT_EQ(form.readerState().PendingJumpDigit, -1);
    fixture.prompts->inputAnswers.push_back(QStringLiteral("3"));
    QTest::mouseClick(form.SeitenNrLinks, Qt::LeftButton);
    EXPECT_EQ(fixture.prompts->inputRequests.at(2), (QStringList{kCaption, kLeftPrompt, "41"}));
    EXPECT_TRUE(fixture.prompts->jumpAnswers.empty());
    EXPECT_EQ(form.readerState().CurrentPage, 3);
}

TEST(PageJumpTest, WithoutADocumentNothingIsAsked)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    QTest::mouseClick(form.SeitenNrLinks, Qt::LeftButton);
    QTest::mouseClick(form.SeitenNrRechts, Qt::LeftButton);
    press(form, Qt::Key_4);
    EXPECT_TRUE(fixture.prompts->inputRequests.isEmpty());
    EXPECT_EQ(form.readerState().PendingJumpDigit, -1);
}

TEST(PageJumpTest, HistoryStepsBackAndDropsTheLaterPagesOnANewPage)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 12);
    ASSERT_EQ(historyEntries(form), (QStringList{"1"}));
    jumpTo(fixture, form, 3);
    jumpTo(fixture, form, 5);
    EXPECT_EQ(historyEntries(form), (QStringList{"1", "3", "5"}));

    press(form, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(form.readerState().CurrentPage, 3);
    press(form, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(form.readerState().CurrentPage, 1);
    press(form, Qt::Key_Left, Qt::AltModifier); // at the first entry
    EXPECT_EQ(form.readerState().CurrentPage, 1);
    EXPECT_EQ(historyEntries(form), (QStringList{"1", "3", "5"}));
    press(form, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(form.readerState().CurrentPage, 3);
    press(form, Qt::Key_Left, Qt::AltModifier);

    jumpTo(fixture, form, 9);
    EXPECT_EQ(historyEntries(form), (QStringList{"1", "9"}));
    EXPECT_EQ(form.History->currentIndex(), 1);
    press(form, Qt::Key_Right, Qt::AltModifier); // at the last entry
    EXPECT_EQ(form.readerState().CurrentPage, 9);

    // Choosing an entry from the list goes there without recording it.
    emit form.History->activated(0);
    EXPECT_EQ(form.readerState().CurrentPage, 1);
    EXPECT_EQ(historyEntries(form), (QStringList{"1", "9"}));
}

TEST(PageJumpTest, AStaleHistoryEntryShowsTwoEmptyLabelledPages)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 6);
    form.History->addItem(QStringLiteral("40"));
    emit form.History->activated(form.History->count() - 1);
    EXPECT_EQ(form.readerState().CurrentPage, 40);
    EXPECT_EQ(form.SeitenNrLinks->text(), QStringLiteral("40"));
    EXPECT_EQ(form.SeitenNrRechts->text(), QStringLiteral("41"));
    EXPECT_TRUE(form.LinkeSeite->toPlainText().isEmpty());
    EXPECT_TRUE(form.RechteSeite->toPlainText().isEmpty());
}

TEST(PageJumpTest, ARightClickOnTheLeftNumberTogglesTheHistory)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 6);
    ASSERT_FALSE(form.HistoryPanel->isVisible());
    QTest::mouseClick(form.SeitenNrLinks, Qt::RightButton);
    EXPECT_TRUE(form.HistoryPanel->isVisible());
    EXPECT_EQ(form.History->toolTip(),
              QStringLiteral("Select a page from the history or use Alt+left/right arrow keys"));
    QTest::mouseClick(form.SeitenNrLinks, Qt::RightButton);
    EXPECT_FALSE(form.HistoryPanel->isVisible());
    EXPECT_TRUE(fixture.prompts->inputRequests.isEmpty());
    EXPECT_EQ(form.readerState().CurrentPage, 1);
}

TEST(JumpInputDialogTest, LayoutFollowsTheDialogFont)
{
    for (const JumpDialog::Value look :
         {JumpDialog::Value::CaretAfter, JumpDialog::Value::Selected}) {
        JumpDialog dialog(nullptr, kCaption, kRightPrompt, QStringLiteral("4"), look);
        const QFontMetrics metrics(dialog.font());
        const int cx = metrics.horizontalAdvance(
                           QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                       52;
        const int cy = metrics.height();
        ASSERT_GT(cx, 0);
        const auto m = [](int a, int b, int c) { return int(std::lround(double(a) * b / c)); };
        EXPECT_EQ(dialog.windowTitle(), kCaption);
        EXPECT_EQ(dialog.size(), QSize(m(180, cx, 4), m(63, cy, 8)));
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
        EXPECT_EQ(dialog.prompt->pos(), QPoint(m(8, cx, 4), m(8, cy, 8)));
        EXPECT_EQ(dialog.prompt->text(), kRightPrompt);
        EXPECT_EQ(dialog.edit->geometry().topLeft(), QPoint(m(8, cx, 4), m(19, cy, 8)));
        EXPECT_EQ(dialog.edit->width(), m(164, cx, 4));
        EXPECT_EQ(dialog.edit->maxLength(), 255);
        EXPECT_EQ(dialog.ok->geometry(),
                  QRect(m(38, cx, 4), m(41, cy, 8), m(50, cx, 4), m(14, cy, 8)));
        EXPECT_EQ(dialog.cancel->geometry(),
                  QRect(m(92, cx, 4), m(41, cy, 8), m(50, cx, 4), m(14, cy, 8)));
        EXPECT_TRUE(dialog.ok->isDefault());
        if (look == JumpDialog::Value::CaretAfter) {
            EXPECT_FALSE(dialog.edit->hasSelectedText());
            EXPECT_EQ(dialog.edit->cursorPosition(), 1);
        } else {
            EXPECT_EQ(dialog.edit->selectedText(), QStringLiteral("4"));
        }
    }
    EXPECT_EQ(mulDivRounded(7, 3, 2), 11); // 10.5 rounds up
    EXPECT_EQ(mulDivRounded(5, 3, 4), 4);  // 3.75
    EXPECT_EQ(mulDivRounded(9, 1, 4), 2);  // 2.25
}

TEST(JumpInputDialogTest, TypedDigitsAppendAndEscapeKeepsTheValue)
{
    const auto answer = [](const QList<Qt::Key> &keys) {
        QTimer::singleShot(0, [keys] {
            auto *dialog = dynamic_cast<JumpDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            for (Qt::Key key : keys)
                QTest::keyClick(dialog->edit, key);
        });
    };
    QString value = QStringLiteral("4");
    answer({Qt::Key_2, Qt::Key_Return});
    EXPECT_TRUE(JumpInputDialog(nullptr, kCaption, kRightPrompt, value));
    EXPECT_EQ(value, QStringLiteral("42"));

    value = QStringLiteral("4");
    answer({Qt::Key_2, Qt::Key_Escape});
    EXPECT_FALSE(JumpInputDialog(nullptr, kCaption, kRightPrompt, value));
    EXPECT_EQ(value, QStringLiteral("4"));

    // The plain box starts with its value selected: typing replaces it; Cancel gives it back.
    answer({Qt::Key_2, Qt::Key_Return});
    EXPECT_EQ(InputBox(nullptr, kCaption, kLeftPrompt, QStringLiteral("5")), QStringLiteral("2"));
    answer({Qt::Key_2, Qt::Key_Escape});
    EXPECT_EQ(InputBox(nullptr, kCaption, kLeftPrompt, QStringLiteral("5")), QStringLiteral("5"));
}
