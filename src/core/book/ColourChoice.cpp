#include "core/book/ColourChoice.h"

QString customColourEntry(QChar letter, ColourValue colour)
{
    return QStringLiteral("Color") + letter + u'=' +
           QStringLiteral("%1").arg(colour.bgr & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
}

std::optional<ColourValue> customColourValue(QStringView entry)
{
    if (entry.size() != 13 || !entry.startsWith(u"Color") || !entry[5].isLetter() ||
        entry[6] != u'=')
        return std::nullopt;
    const QStringView digits = entry.mid(7);
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f')))
            return std::nullopt;
    }
    bool ok = false;
    const uint value = digits.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return ColourValue{value};
}

QStringList backgroundCustomColours(ColourValue current)
{
    QStringList entries = {customColourEntry(u'A', DefaultPageColour),
                           customColourEntry(u'B', AlternatePageColour)};
    if (current != DefaultPageColour && current != AlternatePageColour)
        entries << customColourEntry(u'C', current);
    return entries;
}

QStringList textCustomColours(ColourValue current)
{
    QStringList entries = {customColourEntry(u'A', DefaultTextColour)};
    if (current != DefaultTextColour)
        entries << customColourEntry(u'B', current);
    return entries;
}
