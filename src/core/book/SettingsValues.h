#pragma once

#include "core/book/IniFile.h"

#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <stdexcept>

// Switches

QString switchText(bool on); // "Yes" or "No"

// Which word a switch key is compared with, case-sensitively.
enum class SwitchTest {
    OnUnlessNo, // on for anything but exactly "No", an empty value included
    OnOnlyIfYes // on for exactly "Yes" only
};

bool readSwitch(const QString &value, SwitchTest test);

// Integers

// "'%s' is not a valid integer value"
QString invalidIntegerMessage(const QString &text);

class ConversionError : public std::runtime_error
{
public:
    explicit ConversionError(const QString &offendingText);
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// An optionally signed decimal number, or "$" and up to eight hexadecimal digits (taken as
// 32 bits, so "$FFFFFFFF" is -1); no blanks. Nothing when out of the 32-bit range.
std::optional<int> parseInteger(QStringView text);
// As parseInteger; throws ConversionError.
int toInteger(const QString &text);

// Colours

struct ColourValue
{
    quint32 bgr = 0; // 0x00BBGGRR

    static constexpr ColourValue fromRgb(int red, int green, int blue)
    {
        return {quint32(red & 0xFF) | quint32(green & 0xFF) << 8 | quint32(blue & 0xFF) << 16};
    }
    constexpr int red() const { return int(bgr & 0xFF); }
    constexpr int green() const { return int(bgr >> 8 & 0xFF); }
    constexpr int blue() const { return int(bgr >> 16 & 0xFF); }
    friend constexpr bool operator==(ColourValue, ColourValue) = default;
};

// One of the sixteen standard names ("clRed" ...), a system colour name ("clBtnFace" ...,
// fixed values of a common light desktop scheme), "clNone" (white), or an integer: 00BBGGRR,
// system colours as $800000nn (or $FF0000nn), other high bytes ignored. Names match without regard
// to case.
std::optional<ColourValue> parseColour(QStringView text);
// As parseColour; throws ConversionError.
ColourValue toColour(const QString &text);
// A standard name when there is one, else "$" and eight upper-case hexadecimal digits.
QString colourText(ColourValue colour);

// Documents that leave no trace in the settings file

// Prefixes compared case-sensitively; "*" excludes everything; an included prefix overrides
// every exclusion; a file named "Unnamed.txt" is always excluded.
bool IsExcludedFile(const QString &path, const QStringList &excludedPaths,
                    const QStringList &includedPaths);

// Start-up content

struct IniSection
{
    QString name;
    QList<IniEntry> entries;
};

// The 19 characters that end a sentence, in their order.
QString builtInPunctuation();

// The nine global sections in the order they are created; "Included Paths" holds programDir
// ending in "/".
QList<IniSection> startupContent(const QString &programDir);

// Creates each section of startupContent that holds no key, in order, then "Punctuation" in
// "Options" when absent. Stops at the first write that fails.
[[nodiscard]] IniFile::WriteResult writeStartupContent(IniFile &ini, const QString &programDir);

// Location of the settings file

enum class FolderAccess { Writable, ReadOnly };

// Where Help.txt may lie, in the order looked at: beside the program, then in the installed
// data folder (prefix/share/tavolex beside prefix/bin).
QStringList helpFileCandidates(const QString &programDir);

FolderAccess folderAccess(const QString &folder);

// Tavolex.ini in programDir when that folder is writable and is not /usr/bin, else under
// $XDG_CONFIG_HOME (an absolute path), else under $HOME/.config, in a folder "tavolex".
QString settingsFilePath(const QString &programDir, FolderAccess programDirAccess,
                         const QProcessEnvironment &environment);
