#include "ui/Tavolex1.h"

#include "core/layout/FontChoice.h"
#include "core/book/SettingsValues.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QSpinBox>

void TForm1::BuildFontChoice()
{
    QStringList installed;
    for (const QString &family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family))
            installed << family;
    }
    const QStringList fonts = usableFonts(installed, state.ExcludedFonts);
    Schriftart->clear();
    Schriftart->addItems(fonts);
    if (fonts.isEmpty()) {
        prompts().notice(this, QStringLiteral("No Fonts available - exit program!"));
        fontsExhausted = true;
        return;
    }

    // A missing font usually has a stand-in the system maps it to (a metric-compatible serif
    // for "Times New Roman"); that keeps the reader in a book face rather than the first name.
    const DefaultFontChoice choice = chooseDefaultFont(
        fonts, state.DefaultFontName, QFontInfo(QFont(state.DefaultFontName)).family());
    state.DefaultFontName = choice.name;
    if (choice.replaced)
        writeSetting(QStringLiteral("Options"), QStringLiteral("Default font name"), choice.name);
    Schriftart->setCurrentIndex(Schriftart->findText(choice.name, Qt::MatchFixedString));

    const DefaultFontSize size =
        defaultFontSize(state.DefaultFontSize, FontUpDown->minimum(), FontUpDown->maximum());
    if (!size.valid)
        prompts().notice(this, invalidIntegerMessage(state.DefaultFontSize));
    // Documents without their own size read this text again.
    state.DefaultFontSize = QString::number(size.size);
    applyPageFont(choice.name, size.size);
}
