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

