#include "Tavolex1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextCursor>

namespace {

const QString kOptions = QStringLiteral("Options");

} // namespace

// Completed by find in the book: the panel with the search text and its focus.
void TForm1::SuchenClick()
{
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
    Finden->show();
    Finden->raise();
    FindText->setFocus(Qt::OtherFocusReason);
}

// Completed by find in the book and find in files.
void TForm1::FindStartClick(QObject *sender)
{
    Q_UNUSED(sender);
}

// Completed by find in files.
void TForm1::StartFindInFiles() {}

// Completed by find in the book.
void TForm1::CloseFindPanel()
{
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite})
        page->moveCursor(QTextCursor::Start);
    FindOptionsPanel->hide();
    Finden->hide();
}

// Completed by find in the book.
void TForm1::FindOptionsClick()
{
    FindOptionsPanel->setVisible(!FindOptionsPanel->isVisible());
    if (FindOptionsPanel->isVisible())
        FindOptionsPanel->raise();
}

// Completed by page jump: the typed digit waits in PendingJumpDigit for the jump dialog.
void TForm1::SeitenNrClick(QObject *sender)
{
    Q_UNUSED(sender);
}

void TForm1::HistoryStep(bool forward)
{
    const int selected = History->currentIndex();
    if (forward) {
        if (History->count() == 0 || selected < 0 || selected >= History->count() - 1)
            return;
    } else if (selected <= 0) {
        return;
    }
    const int next = selected + (forward ? 1 : -1);
    History->setCurrentIndex(next);
    bool ok = false;
    const int page = History->itemText(next).toInt(&ok);
    if (!ok)
        return;
    state.NavigatingHistory = true;
    state.CurrentPage = page;
    ShowSpread();
    state.NavigatingHistory = false;
}

// Completed by the table of contents.
void TForm1::JumpToSection(bool forward)
{
    Q_UNUSED(forward);
}

// Completed by the table of contents.
void TForm1::ShowTOCClick()
{
    MenuHilfeAus();
    SetTocPanelShown(!Contents->isVisible());
}

// Completed by the recent-files list.
void TForm1::RecentShowClick()
{
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
}

// Completed by copying.
void TForm1::KopierenClick()
{
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
}

// Completed by the internal editor.
void TForm1::BearbeitenClick()
{
    if (state.FileName.isEmpty())
        return;
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
}

// Completed by saving.
void TForm1::SpeichernClick()
{
    if (state.FileName.isEmpty())
        return;
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
}

// Completed by saving: the guard for unsaved edits comes with the editor.
void TForm1::BeendenClick()
{
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
    close();
}

// Completed by the colours.
void TForm1::HintergrundClick()
{
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
}

// Completed by the colours.
void TForm1::TextfarbeClick()
{
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
}

void TForm1::SchriftartChange()
{
    const QString chosen = Schriftart->currentText();
    if (chosen.isEmpty() || chosen == LinkeSeite->font().family())
        return;
    Schriftart->repaint();
    LinkeSeite->clear();
    RechteSeite->clear();
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite}) {
        QFont font = page->font();
        font.setFamily(chosen);
        page->setFont(font);
    }
    if (!state.FileName.isEmpty()) {
        if (AutoFitAll->isChecked())
            FitLines();
        else
            Repaginate();
    } else {
        state.DefaultFontName = chosen;
        writeSetting(kOptions, QStringLiteral("Default font name"), chosen);
    }
    LinkeSeite->show();
    RechteSeite->show();
}

void TForm1::FontgroesseChange()
{
    const int position = FontUpDown->value();
    if (LinkeSeite->font().pointSize() == position)
        return;
    Fontgroesse->repaint();
    FontUpDown->repaint();
    if (position == state.AppliedFontSize)
        return;
    state.AppliedFontSize = position;
    LinkeSeite->clear();
    RechteSeite->clear();
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite}) {
        QFont font = page->font();
        font.setPointSize(position);
        page->setFont(font);
    }
    if (!state.FileName.isEmpty()) {
        if (AutoFitAll->isChecked())
            FitLines();
        else
            Repaginate();
    } else {
        state.DefaultFontSize = Fontgroesse->text();
        writeSetting(kOptions, QStringLiteral("Default font size"), Fontgroesse->text());
    }
    LinkeSeite->show();
    RechteSeite->show();
}

void TForm1::MarginUpDownClick()
{
    const Margins &m = state.MarginSettings;
    ChangeMargins->setEnabled(
        MarginLeftUpDown->value() != m.left || MarginRightUpDown->value() != m.right ||
        MarginTopUpDown->value() != m.top || MarginBottomUpDown->value() != m.bottom);
}
