#include "ui/Tavolex1.h"

#include <QCheckBox>

// The switches also change when the program sets them (loading a document's settings, opening
// HTML); OptionRefitBlocked keeps those changes from fitting.
void TForm1::ZWEntfernenClick()
{
    Punctuation->setEnabled(ZWEntfernen->isChecked());
    Einzug->setEnabled(ZWEntfernen->isChecked());
    ShortLines->setEnabled(ZWEntfernen->isChecked());
    refitAfterLineBreakSwitch();
}

void TForm1::PunctuationClick()
{
    refitAfterLineBreakSwitch();
}

void TForm1::EinzugClick()
{
    refitAfterLineBreakSwitch();
}

void TForm1::refitAfterLineBreakSwitch()
{
    if (AutoFitAll->isChecked() && !state.OptionRefitBlocked && !state.FileName.isEmpty())
        FitLines();
}
