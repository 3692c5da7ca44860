#include "ui/Tavolex1.h"

#include "core/book/SettingsValues.h"

#include <QCheckBox>

namespace {

const QString kOptions = QStringLiteral("Options");

} // namespace

// The handlers run on every change of state, so the values the settings load sets at start
// go through them as well.
void TForm1::connectOptionSwitches()
{
    connect(AutoFitAll, &QCheckBox::toggled, this, &TForm1::AutoFitAllClick);
    connect(AutoFitMenu, &QCheckBox::toggled, this, &TForm1::AutoFitMenuClick);
    connect(MenuClickOnly, &QCheckBox::toggled, this, &TForm1::MenuClickOnlyClick);
    connect(Shortcuts, &QCheckBox::toggled, this, &TForm1::ShortcutsClick);
    connect(QuickJump, &QCheckBox::toggled, this, &TForm1::QuickJumpClick);
    connect(QuickFind, &QCheckBox::toggled, this, &TForm1::QuickFindClick);
    connect(AutoOpen, &QCheckBox::toggled, this, &TForm1::AutoOpenClick);
}

void TForm1::AutoFitAllClick()
{
    AutoFitMenu->setEnabled(!AutoFitAll->isChecked());
    writeSetting(kOptions, QStringLiteral("Automatically fit"),
                 switchText(AutoFitAll->isChecked()));
    if (AutoFitAll->isChecked() && !state.FileName.isEmpty() && LayoutChangedSinceFit())
        FitLines();
}

void TForm1::AutoFitMenuClick()
{
    writeSetting(kOptions, QStringLiteral("Fit leaving menu"),
                 switchText(AutoFitMenu->isChecked()));
}

void TForm1::MenuClickOnlyClick()
{
    writeSetting(kOptions, QStringLiteral("Menu/Help on click"),
                 switchText(MenuClickOnly->isChecked()));
}

void TForm1::ShortcutsClick()
{
    writeSetting(kOptions, QStringLiteral("Activate shortcuts"),
                 switchText(Shortcuts->isChecked()));
}

void TForm1::QuickJumpClick()
{
    writeSetting(kOptions, QStringLiteral("Quick page"), switchText(QuickJump->isChecked()));
}

void TForm1::QuickFindClick()
{
    writeSetting(kOptions, QStringLiteral("Quick find"), switchText(QuickFind->isChecked()));
}

void TForm1::AutoOpenClick()
{
    writeSetting(kOptions, QStringLiteral("Auto-open"), switchText(AutoOpen->isChecked()));
}
