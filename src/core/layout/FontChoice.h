#pragma once

#include <QString>
#include <QStringList>

// Symbol, barcode and script fonts that cannot show a book, in their fixed order.
const QStringList &BuiltInExcludedFonts();

// The installed families in the order given, less every entry equal, ignoring case, to a name
// of BuiltInExcludedFonts or of excludedFonts (each occurrence, duplicates included).
QStringList usableFonts(const QStringList &installed, const QStringList &excludedFonts);

struct DefaultFontChoice
{
    QString name;          // as the list spells it; empty when the list is empty
    bool replaced = false; // the default was not in the list: write the name back
};

// The entry equal to defaultName (ignoring case); otherwise the family the system substitutes
// for it when that is listed; otherwise the first entry.
DefaultFontChoice chooseDefaultFont(const QStringList &usable, const QString &defaultName,
                                    const QString &substitute);

struct DefaultFontSize
{
    int size = 10;
    bool valid = true; // false when the text was not an integer (size is then the fallback)
};

// "Default font size" brought into minimum..maximum; a text that is no integer gives 10.
DefaultFontSize defaultFontSize(const QString &text, int minimum, int maximum);
