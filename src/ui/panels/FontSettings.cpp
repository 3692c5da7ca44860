#include "ui/Tavolex1.h"

#include "core/book/IniFile.h"
#include "core/book/SettingsValues.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

#include <functional>

namespace {

const QString kOptions = QStringLiteral("Options");
const QString kPageMargins = QStringLiteral("Page margins");
constexpr int kSmallMenuWidth = 87;
constexpr int kLargeMenuWidth = 380;

} // namespace

void TForm1::connectFontSettings()
{
    // Only the user's clicks act; loading the settings sets the boxes quietly.
    connect(ApplyMargins, &QCheckBox::clicked, this, &TForm1::ApplyMarginsClick);
    connect(ShowPages, &QCheckBox::clicked, this, &TForm1::ShowPagesClick);
    connect(Antialiasing, &QCheckBox::clicked, this, &TForm1::AntialiasingClick);
}

bool TForm1::SchriftartKeyPress(const QString &typed)
{
    return !typed.isEmpty();
}

void TForm1::SchriftartChange()
{
    const QString chosen = Schriftart->currentText();
    if (chosen.isEmpty() || chosen == LinkeSeite->font().family())
        return;
    Schriftart->repaint();
    changePageFont([&](QFont &font) { font.setFamily(chosen); },
                   [&] {
                       state.DefaultFontName = chosen;
                       writeSetting(kOptions, QStringLiteral("Default font name"), chosen);
                   });
}

void TForm1::changePageFont(const std::function<void(QFont &)> &change,
                            const std::function<void()> &rememberAsDefault)
{
    LinkeSeite->clear();
    RechteSeite->clear();
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite}) {
        QFont font = page->font();
        change(font);
        page->setFont(font);
    }
    // With a document the pages follow the font; without one it becomes the default.
    if (!state.FileName.isEmpty()) {
        if (AutoFitAll->isChecked())
            FitLines();
        else
            Repaginate();
    } else {
        rememberAsDefault();
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
    changePageFont([&](QFont &font) { font.setPointSize(position); },
                   [&] {
                       state.DefaultFontSize = Fontgroesse->text();
                       writeSetting(kOptions, QStringLiteral("Default font size"),
                                    Fontgroesse->text());
                   });
}

namespace {

QList<IniEntry> marginEntries(const Margins &m, bool apply)
{
    return {{QStringLiteral("Left"), QString::number(m.left)},
            {QStringLiteral("Right"), QString::number(m.right)},
            {QStringLiteral("Top"), QString::number(m.top)},
            {QStringLiteral("Bottom"), QString::number(m.bottom)},
            {QStringLiteral("Apply"), switchText(apply)}};
}

} // namespace

void TForm1::ApplyMarginsClick()
{
    const auto relayout = [this] {
        state.LayoutCause = QStringLiteral("ChangeMargins");
        FormResize();
        state.LayoutCause.clear();
    };
    if (ApplyMargins->isChecked()) {
        state.MarginSettings = {MarginLeftUpDown->value(), MarginRightUpDown->value(),
                                MarginTopUpDown->value(), MarginBottomUpDown->value()};
        if (!checkSettingsWrite(ini->writeStrings(kPageMargins,
                                                  marginEntries(state.MarginSettings, true)) ==
                                IniFile::WriteResult::Written))
            return;
        if (state.ActiveMargins != state.MarginSettings)
            relayout();
    } else {
        if (!writeSetting(kPageMargins, QStringLiteral("Apply"), switchText(false)))
            return;
        if (state.ActiveMargins != Margins{})
            relayout();
    }
}

void TForm1::MarginUpDownClick()
{
    const Margins &m = state.MarginSettings;
    ChangeMargins->setEnabled(
        MarginLeftUpDown->value() != m.left || MarginRightUpDown->value() != m.right ||
        MarginTopUpDown->value() != m.top || MarginBottomUpDown->value() != m.bottom);
}

void TForm1::ChangeMarginsClick()
{
    state.MarginSettings = {MarginLeftUpDown->value(), MarginRightUpDown->value(),
                            MarginTopUpDown->value(), MarginBottomUpDown->value()};
    ChangeMargins->setEnabled(false);
    if (!checkSettingsWrite(
            ini->writeStrings(kPageMargins,
                              marginEntries(state.MarginSettings, ApplyMargins->isChecked())) ==
            IniFile::WriteResult::Written))
        return;
    if (ApplyMargins->isChecked()) {
        state.LayoutCause = QStringLiteral("ChangeMargins");
        FormResize();
        state.LayoutCause.clear();
    }
}

void TForm1::ShowPagesClick()
{
    if (!writeSetting(kOptions, QStringLiteral("Book style"), switchText(ShowPages->isChecked())))
        return;
    state.LayoutCause = QStringLiteral("ChangeStyle");
    ApplyColours();
    FormResize();
    state.LayoutCause.clear();
}

void TForm1::ExpandClick()
{
    const bool large = Expand->text() == QLatin1String(">");
    // The small menu is only as tall as its commands.
    sizeMenu(large);
    Expand->setText(large ? QStringLiteral("<") : QStringLiteral(">"));
    writeSetting(kOptions, QStringLiteral("Large Menu"), switchText(large));
    Menu->setFocus(Qt::OtherFocusReason);
}

void TForm1::AntialiasingClick()
{
    // The platform has no system-wide switch to flip; the page text alone follows the box.
    const int smoothing = Antialiasing->isChecked() ? QFont::PreferAntialias : QFont::NoAntialias;
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite}) {
        QFont font = page->font();
        // Only the smoothing changes: the fitter measures with the page font's other flags.
        const int others = font.styleStrategy() & ~(QFont::PreferAntialias | QFont::NoAntialias);
        font.setStyleStrategy(QFont::StyleStrategy(others | smoothing));
        page->setFont(font);
        page->viewport()->update();
    }
}
