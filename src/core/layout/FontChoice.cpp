#include "core/layout/FontChoice.h"

#include "core/book/SettingsValues.h"

#include <algorithm>

const QStringList &BuiltInExcludedFonts()
{
    static const QStringList names = {
        QStringLiteral("Botanical"),
        QStringLiteral("Default"),
        QStringLiteral("Lotus Postal Barcode"),
        QStringLiteral("LotusWP Box"),
        QStringLiteral("LotusWP Icon"),
        QStringLiteral("LotusWP Int A"),
        QStringLiteral("LotusWP Int B"),
        QStringLiteral("LotusWP Type"),
        QStringLiteral("Map Symbols"),
        QStringLiteral("Marlett"),
        QStringLiteral("Math A"),
        QStringLiteral("Math B"),
        QStringLiteral("Math C"),
        QStringLiteral("Modern"),
        QStringLiteral("Monotype Sorts"),
        QStringLiteral("MS Outlook"),
        QStringLiteral("MT Extra"),
        QStringLiteral("OpenSymbol"),
        QStringLiteral("Roman"),
        QStringLiteral("RumbaKDB"),
        QStringLiteral("RumbaDL"),
        QStringLiteral("Script"),
        QStringLiteral("StarBats"),
        QStringLiteral("StarMath"),
        QStringLiteral("Symbol"),
        QStringLiteral("Terminal"),
        QStringLiteral("Webdings"),
        QStringLiteral("Wingdings"),
        QStringLiteral("Wingdings 2"),
        QStringLiteral("Wingdings 3"),
        QStringLiteral("Estrangelo Edessa"),
        QStringLiteral("Gautami"),
        QStringLiteral("Latha"),
        QStringLiteral("Mangal"),
        QStringLiteral("Mv Boli"),
        QStringLiteral("Raavi"),
        QStringLiteral("Shruti"),
        QStringLiteral("Tunga"),
        QStringLiteral("WST_Czec"),
        QStringLiteral("WST_Engl"),
        QStringLiteral("WST_Fren"),
        QStringLiteral("WST_Germ"),
        QStringLiteral("WST_Ital"),
        QStringLiteral("WST_Span"),
        QStringLiteral("WST_Swed"),
    };
    return names;
}

QStringList usableFonts(const QStringList &installed, const QStringList &excludedFonts)
{
    QStringList fonts = installed;
    const auto removeAll = [&fonts](const QString &name) {
        fonts.removeIf(
            [&name](const QString &font) { return font.compare(name, Qt::CaseInsensitive) == 0; });
    };
    for (const QString &name : BuiltInExcludedFonts())
        removeAll(name);
    for (const QString &name : excludedFonts)
        removeAll(name);
    return fonts;
}

DefaultFontChoice chooseDefaultFont(const QStringList &usable, const QString &defaultName,
                                    const QString &substitute)
{
    const auto find = [&usable](const QString &name) {
        return std::find_if(usable.cbegin(), usable.cend(), [&name](const QString &font) {
            return font.compare(name, Qt::CaseInsensitive) == 0;
        });
    };
    if (const auto it = find(defaultName); it != usable.cend())
        return {*it, false};
    if (usable.isEmpty())
        return {QString(), false};
    if (const auto it = find(substitute); !substitute.isEmpty() && it != usable.cend())
        return {*it, true};
    return {usable.first(), true};
}

DefaultFontSize defaultFontSize(const QString &text, int minimum, int maximum)
{
    const std::optional<int> value = parseInteger(text);
    if (!value)
        return {std::clamp(10, minimum, maximum), false};
    return {std::clamp(*value, minimum, maximum), true};
}
