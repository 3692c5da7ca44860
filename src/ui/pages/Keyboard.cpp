#include "ui/Tavolex1.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QSpinBox>

namespace {

// Letters and digits of the main keyboard only; the keypad reports its keys with
// Qt::KeypadModifier.
bool isLetterKey(int key, Qt::KeyboardModifiers modifiers)
{
    return key >= Qt::Key_A && key <= Qt::Key_Z && !(modifiers & Qt::KeypadModifier);
}

bool isDigitKey(int key, Qt::KeyboardModifiers modifiers)
{
    return key >= Qt::Key_0 && key <= Qt::Key_9 && !(modifiers & Qt::KeypadModifier);
}

// A number or text field that takes typed keys: digits, Up and Down, Space and the rest are its
// own, not the pages'.
bool typingFieldHasFocus()
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *spin = qobject_cast<QAbstractSpinBox *>(focus))
        return !spin->isReadOnly();
    if (auto *edit = qobject_cast<QLineEdit *>(focus))
        return !edit->isReadOnly();
    return false;
}

bool isModifierKey(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_AltGr;
}

} // namespace

bool TForm1::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & Qt::AltModifier;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;

    // Full screen is no shortcut: it works like the page keys, whatever has the focus.
    if (key == Qt::Key_F11 && !ctrl && !alt) {
        ToggleFullScreen();
        return true;
    }

    // Esc stops the voice at once, whatever else is open.
    if (key == Qt::Key_Escape && readingAloud()) {
        StopReadingAloud();
        return true;
    }

    if (DictionaryPanelKey(key, modifiers))
        return true;

    // Typing a heading rule is typing, not page turning; Esc still closes the panel.
    if (tocRuleHasFocus() && !ctrl && !alt && key != Qt::Key_Escape)
        return false;
    // So is typing into any field; Enter still starts a search from the find field.
    if (typingFieldHasFocus() && !ctrl && !alt && key != Qt::Key_Escape && !enter)
        return false;

    if (Finden->isVisible()) {
        if (enter) {
            FindStartClick(shift ? FindInFiles : FindStart);
            return true;
        }
        if (key == Qt::Key_Escape) {
            CloseFindPanel();
            return true;
        }
        if (alt && key == Qt::Key_O && Shortcuts->isChecked()) {
            FindOptionsClick();
            return true;
        }
        if (FindText->hasFocus() && !ctrl && !alt)
            return false;
    }

    if (Shortcuts->isChecked()) {
        if (ctrl && isLetterKey(key, modifiers)) {
            switch (key) {
            case Qt::Key_B:
                HintergrundClick();
                return true;
            case Qt::Key_C:
                KopierenClick();
                return true;
            case Qt::Key_D:
                LookUpClick();
                return true;
            case Qt::Key_E:
                BearbeitenClick();
                return true;
            case Qt::Key_F:
                if (shift)
                    StartFindInFiles();
                else
                    SuchenClick();
                return true;
            case Qt::Key_H:
                ShowTOCClick();
                return true;
            case Qt::Key_L:
                AnpassenClick();
                return true;
            case Qt::Key_N:
                StepFont(shift ? -1 : +1);
                return true;
            case Qt::Key_O:
                LadenClick();
                return true;
            case Qt::Key_P:
                ReadAloudClick();
                return true;
            case Qt::Key_R:
                if (shift)
                    OpenLatest();
                else
                    RecentShowClick();
                return true;
            case Qt::Key_S:
                SpeichernClick();
                return true;
            case Qt::Key_T:
                TextfarbeClick();
                return true;
            case Qt::Key_X:
                BeendenClick();
                return true;
            default:
                break;
            }
        }
        if (key == Qt::Key_Plus) {
            StepFontSize(+1);
            return true;
        }
        if (key == Qt::Key_Minus) {
            StepFontSize(-1);
            return true;
        }
    }

    if (key == Qt::Key_Escape && state.LayoutCause.isEmpty()) {
        if (Contents->isVisible() && !TOCLeft->isChecked() && !Menu->isVisible() &&
            !Hilfe->isVisible())
            SetTocPanelShown(false);
        MenuHilfeAus();
        return true;
    }
    if (Menu->isVisible() && Schriftart->hasFocus()) {
        if (key == Qt::Key_Delete)
            return true;
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            StepFont(key == Qt::Key_Up ? -1 : +1);
            return true;
        }
    }
    // The reader takes the pages over: the voice stops before they turn.
    if (readingAloud() && isPageTurnKey(key, modifiers))
        StopReadingAloud();
    if (ctrl && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        JumpToSection(key == Qt::Key_Right);
        return true;
    }
    if (alt && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        HistoryStep(key == Qt::Key_Right);
        return true;
    }
    if (ctrl || alt)
        return false;

    const int page = state.CurrentPage;
    const int last = state.PageCount - 1; // the left page of the last full spread
    int target = page;
    bool pageKey = true;
    switch (key) {
    case Qt::Key_Home:
        if (page > 1)
            target = 1;
        break;
    case Qt::Key_PageUp:
        if (page > 1)
            target = std::max(page - 10, 1);
        break;
    case Qt::Key_Up:
    case Qt::Key_Backspace:
        if (page > 1)
            target = std::max(page - 2, 1);
        break;
    case Qt::Key_Left:
        if (page > 1)
            target = page - 1;
        break;
    case Qt::Key_End:
        if (page < last)
            target = last;
        break;
    case Qt::Key_PageDown:
        if (page < last)
            target = std::min(page + 10, last);
        break;
    case Qt::Key_Right:
        if (page < last)
            target = page + 1;
        break;
    case Qt::Key_Down:
    case Qt::Key_Space:
        if (page < last)
            target = std::min(page + 2, state.PageCount);
        break;
    default:
        pageKey = false;
        break;
    }
    if (pageKey) {
        if (target != page) {
            state.CurrentPage = target;
            ShowSpread();
        }
        return true;
    }
    if (isModifierKey(key))
        return false;

    if (isDigitKey(key, modifiers)) {
        if (!QuickJump->isChecked())
            return false;
        state.PendingJumpDigit = key - Qt::Key_0;
        SeitenNrClick(nullptr);
        return true;
    }
    if (isLetterKey(key, modifiers)) {
        if (!QuickFind->isChecked())
            return false;
        const QChar letter = QChar(shift ? u'A' + (key - Qt::Key_A) : u'a' + (key - Qt::Key_A));
        // The field selects its text when it gets the focus; the typed letter must not be.
        SuchenClick();
        FindText->setText(QString(letter));
        FindText->deselect();
        FindText->setCursorPosition(1);
        return true;
    }
    return false;
}

void TForm1::StepFont(int step)
{
    const int count = Schriftart->count();
    if (count == 0)
        return;
    const int index = std::clamp(Schriftart->currentIndex() + step, 0, count - 1);
    Schriftart->setCurrentIndex(index);
    SchriftartChange();
}

void TForm1::StepFontSize(int step)
{
    if (state.FileName.isEmpty())
        return;
    const int size =
        std::clamp(FontUpDown->value() + step, FontUpDown->minimum(), FontUpDown->maximum());
    FontUpDown->setValue(size);
    Fontgroesse->setText(QString::number(size));
}
