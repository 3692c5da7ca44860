#include "ui/Tavolex1.h"

#include "core/book/ColourChoice.h"

#include <QPlainTextEdit>

namespace {

const QString kColors = QStringLiteral("Colors");

ColourValue valueOf(const QColor &colour)
{
    return ColourValue::fromRgb(colour.red(), colour.green(), colour.blue());
}

QColor colourOf(ColourValue value)
{
    return QColor(value.red(), value.green(), value.blue());
}

} // namespace

void TForm1::HintergrundClick()
{
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
    const ColourValue current = valueOf(LinkeSeite->palette().color(QPalette::Base));
    const std::optional<QColor> chosen =
        prompts().chooseColour(this, colourOf(current), backgroundCustomColours(current));
    if (!chosen)
        return;
    state.PageColour = valueOf(*chosen).bgr;
    ApplyColours();
    writeSetting(kColors, QStringLiteral("Background"), colourText(valueOf(*chosen)));
}

void TForm1::TextfarbeClick()
{
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
    const ColourValue current = valueOf(LinkeSeite->palette().color(QPalette::Text));
    const std::optional<QColor> chosen =
        prompts().chooseColour(this, colourOf(current), textCustomColours(current));
    if (!chosen)
        return;
    state.TextColour = valueOf(*chosen).bgr;
    // Both pages and, in plain style, the top strip take the new text colour.
    ApplyColours();
    writeSetting(kColors, QStringLiteral("Text"), colourText(valueOf(*chosen)));
}
