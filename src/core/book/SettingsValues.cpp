#include "core/book/SettingsValues.h"

#include "core/text/TextDecoding.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

#include <array>

namespace {

struct NamedColour
{
    const char16_t *name;
    ColourValue value;
};

constexpr std::array<NamedColour, 16> standardColours{{
    {u"clBlack", {0x000000}},
    {u"clMaroon", {0x000080}},
    {u"clGreen", {0x008000}},
    {u"clOlive", {0x008080}},
    {u"clNavy", {0x800000}},
    {u"clPurple", {0x800080}},
    {u"clTeal", {0x808000}},
    {u"clGray", {0x808080}},
    {u"clSilver", {0xC0C0C0}},
    {u"clRed", {0x0000FF}},
    {u"clLime", {0x00FF00}},
    {u"clYellow", {0x00FFFF}},
    {u"clBlue", {0xFF0000}},
    {u"clFuchsia", {0xFF00FF}},
    {u"clAqua", {0xFFFF00}},
    {u"clWhite", {0xFFFFFF}},
}};

// Indexed by the system colour number carried in $800000nn.
constexpr std::array<NamedColour, 25> systemColours{{
    {u"clScrollBar", ColourValue::fromRgb(200, 200, 200)},
    {u"clBackground", ColourValue::fromRgb(0, 0, 0)},
    {u"clActiveCaption", ColourValue::fromRgb(153, 180, 209)},
    {u"clInactiveCaption", ColourValue::fromRgb(191, 205, 219)},
    {u"clMenu", ColourValue::fromRgb(240, 240, 240)},
    {u"clWindow", ColourValue::fromRgb(255, 255, 255)},
    {u"clWindowFrame", ColourValue::fromRgb(100, 100, 100)},
    {u"clMenuText", ColourValue::fromRgb(0, 0, 0)},
    {u"clWindowText", ColourValue::fromRgb(0, 0, 0)},
    {u"clCaptionText", ColourValue::fromRgb(0, 0, 0)},
    {u"clActiveBorder", ColourValue::fromRgb(180, 180, 180)},
    {u"clInactiveBorder", ColourValue::fromRgb(244, 247, 252)},
    {u"clAppWorkSpace", ColourValue::fromRgb(171, 171, 171)},
    {u"clHighlight", ColourValue::fromRgb(0, 120, 215)},
    {u"clHighlightText", ColourValue::fromRgb(255, 255, 255)},
    {u"clBtnFace", ColourValue::fromRgb(240, 240, 240)},
    {u"clBtnShadow", ColourValue::fromRgb(160, 160, 160)},
    {u"clGrayText", ColourValue::fromRgb(109, 109, 109)},
    {u"clBtnText", ColourValue::fromRgb(0, 0, 0)},
    {u"clInactiveCaptionText", ColourValue::fromRgb(0, 0, 0)},
    {u"clBtnHighlight", ColourValue::fromRgb(255, 255, 255)},
    {u"cl3DDkShadow", ColourValue::fromRgb(105, 105, 105)},
    {u"cl3DLight", ColourValue::fromRgb(227, 227, 227)},
    {u"clInfoText", ColourValue::fromRgb(0, 0, 0)},
    {u"clInfoBk", ColourValue::fromRgb(255, 255, 225)},
}};

constexpr ColourValue noColour{0xFFFFFF};
constexpr quint32 noColourInteger = 0x1FFFFFFF;

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

QString switchText(bool on)
{
    return on ? QStringLiteral("Yes") : QStringLiteral("No");
}

bool readSwitch(const QString &value, SwitchTest test)
{
    if (test == SwitchTest::OnUnlessNo)
        return value != u"No";
    return value == u"Yes";
}

QString invalidIntegerMessage(const QString &text)
{
    return u'\'' + text + QStringLiteral("' is not a valid integer value");
}

ConversionError::ConversionError(const QString &offendingText)
    : std::runtime_error(invalidIntegerMessage(offendingText).toStdString()),
      m_message(invalidIntegerMessage(offendingText))
{
}

std::optional<int> parseInteger(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    if (text.front() == u'$') {
        if (text.size() < 2)
            return std::nullopt;
        quint64 value = 0;
        for (QChar c : text.sliced(1)) {
            const int digit = hexDigit(c);
            if (digit < 0)
                return std::nullopt;
            value = value << 4 | quint64(digit);
            if (value > 0xFFFFFFFFu)
                return std::nullopt;
        }
        return int(quint32(value));
    }
    qsizetype i = 0;
    const bool negative = text.front() == u'-';
    if (negative || text.front() == u'+')
        ++i;
    if (i == text.size())
        return std::nullopt;
    const qint64 limit = negative ? qint64(1) << 31 : (qint64(1) << 31) - 1;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        value = value * 10 + (u - u'0');
        if (value > limit)
            return std::nullopt;
    }
    return int(negative ? -value : value);
}

int toInteger(const QString &text)
{
    if (const auto value = parseInteger(text))
        return *value;
    throw ConversionError(text);
}

std::optional<ColourValue> parseColour(QStringView text)
{
    for (const NamedColour &c : standardColours) {
        if (text.compare(QStringView(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    }
    for (const NamedColour &c : systemColours) {
        if (text.compare(QStringView(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    }
    if (text.compare(u"clNone", Qt::CaseInsensitive) == 0)
        return noColour;
    const auto integer = parseInteger(text);
    if (!integer)
        return std::nullopt;
    const quint32 value = quint32(*integer);
    // The top byte 0x80 marks a system colour; 0xFF was read as one too and may stand in
    // files already.
    const quint32 mark = value & 0xFFFFFF00u;
    if ((mark == 0x80000000u || mark == 0xFF000000u) && (value & 0xFF) < systemColours.size())
        return systemColours[value & 0xFF].value;
    if (value == noColourInteger)
        return noColour;
    return ColourValue{value & 0xFFFFFF};
}

ColourValue toColour(const QString &text)
{
    if (const auto colour = parseColour(text))
        return *colour;
    throw ConversionError(text);
}

QString colourText(ColourValue colour)
{
    for (const NamedColour &c : standardColours) {
        if (c.value == colour)
            return QString::fromUtf16(c.name);
    }
    return u'$' + QStringLiteral("%1").arg(colour.bgr & 0xFFFFFF, 8, 16, QChar(u'0')).toUpper();
}

bool IsExcludedFile(const QString &path, const QStringList &excludedPaths,
                    const QStringList &includedPaths)
{
    bool excluded = false;
    for (const QString &prefix : excludedPaths) {
        if (prefix == u"*" || path.startsWith(prefix, Qt::CaseSensitive))
            excluded = true;
    }
    for (const QString &prefix : includedPaths) {
        if (path.startsWith(prefix, Qt::CaseSensitive))
            excluded = false;
    }
    if (QStringView(path).sliced(path.lastIndexOf(u'/') + 1) == u"Unnamed.txt")
        excluded = true;
    return excluded;
}

QString builtInPunctuation()
{
    return decodeWindows1252(
        QByteArray("\x2E\x3A\x3B\x21\x3F\xBF\xA1\x8B\x9B\xAB\xBB\x22\x93\x94\x84\x91\x92\xB4\x27"));
}

QList<IniSection> startupContent(const QString &programDir)
{
    QString included = programDir;
    if (!included.endsWith(u'/'))
        included += u'/';
    return {
        {QStringLiteral("Base Directory"), {{QStringLiteral("InitialDir"), QString()}}},
        {QStringLiteral("Last"), {{QStringLiteral("Last read file"), QString()}}},
        {QStringLiteral("Recent"), {{QStringLiteral("Recent 1"), QString()}}},
        {QStringLiteral("Options"),
         {{QStringLiteral("Default font name"), QStringLiteral("Times New Roman")},
          {QStringLiteral("Default font size"), QStringLiteral("10")}}},
        {QStringLiteral("Colors"),
         {{QStringLiteral("Text"), QStringLiteral("clBlack")},
          {QStringLiteral("Background"), QStringLiteral("$00E7E7E7")}}},
        {QStringLiteral("Page margins"), {{QStringLiteral("Apply"), QStringLiteral("No")}}},
        {QStringLiteral("Excluded Fonts"), {{QStringLiteral("Symbol"), QString()}}},
        {QStringLiteral("Excluded Paths"), {{QStringLiteral("/media/floppy/"), QString()}}},
        {QStringLiteral("Included Paths"), {{included, QString()}}},
    };
}

IniFile::WriteResult writeStartupContent(IniFile &ini, const QString &programDir)
{
    for (const IniSection &section : startupContent(programDir)) {
        if (ini.sectionExists(section.name))
            continue;
        const auto result = ini.writeStrings(section.name, section.entries);
        if (result != IniFile::WriteResult::Written)
            return result;
    }
    if (!ini.valueExists(QStringLiteral("Options"), QStringLiteral("Punctuation")))
        return ini.writeString(QStringLiteral("Options"), QStringLiteral("Punctuation"),
                               builtInPunctuation());
    return IniFile::WriteResult::Written;
}

FolderAccess folderAccess(const QString &folder)
{
    const QByteArray native = QFile::encodeName(folder);
    const bool writable =
        QFileInfo(folder).isDir() && ::access(native.constData(), W_OK | X_OK) == 0;
    return writable ? FolderAccess::Writable : FolderAccess::ReadOnly;
}

QStringList helpFileCandidates(const QString &programDir)
{
    const QDir dir(programDir);
    return {dir.filePath(QStringLiteral("Help.txt")),
            QDir::cleanPath(dir.filePath(QStringLiteral("../share/tavolex/Help.txt")))};
}

QString settingsFilePath(const QString &programDir, FolderAccess programDirAccess,
                         const QProcessEnvironment &environment)
{
    const QString fileName = QStringLiteral("Tavolex.ini");
    // /usr/bin belongs to the package manager: root, for whom it is writable, must not leave
    // a settings file there that no package owns.
    const bool packaged = QDir::cleanPath(programDir) == QStringLiteral("/usr/bin");
    if (programDirAccess == FolderAccess::Writable && !packaged)
        return QDir(programDir).filePath(fileName);
    QString config = environment.value(QStringLiteral("XDG_CONFIG_HOME"));
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) {
        const QString home = environment.value(QStringLiteral("HOME"));
        // Nowhere better: writes will fail there and be reported.
        if (home.isEmpty())
            return QDir(programDir).filePath(fileName);
        config = home + QStringLiteral("/.config");
    }
    return QDir::cleanPath(config + QStringLiteral("/tavolex/") + fileName);
}
