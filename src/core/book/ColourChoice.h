#pragma once

#include "core/book/SettingsValues.h"

#include <QStringList>
#include <QStringView>

#include <optional>

inline constexpr ColourValue DefaultPageColour{0x00E7E7E7};
inline constexpr ColourValue AlternatePageColour{0x00B8DCDC}; // RGB DC DC B8
inline constexpr ColourValue DefaultTextColour{0x00000000};

// "ColorA=E7E7E7": a chooser slot letter and the six hexadecimal digits BBGGRR of the value.
QString customColourEntry(QChar letter, ColourValue colour);
// The value of such an entry; nothing for any other text.
std::optional<ColourValue> customColourValue(QStringView entry);

// The two fixed page colours, and the current one as a third when it is neither.
QStringList backgroundCustomColours(ColourValue current);
// Black, and the current text colour as a second when it is not black.
QStringList textCustomColours(ColourValue current);
