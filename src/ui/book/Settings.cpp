#include "ui/Tavolex1.h"

#include "core/book/ChapterHeadings.h"
#include "core/book/IniFile.h"
#include "core/book/SettingsValues.h"
#include "core/speech/BookLanguage.h"
#include "core/text/CodePages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSpinBox>

namespace {

const QString kOptions = QStringLiteral("Options");

QString yesNo(bool on)
{
    return switchText(on);
}

} // namespace

bool TForm1::writeSetting(const QString &section, const QString &key, const QString &value)
{
    return checkSettingsWrite(ini->writeString(section, key, value) ==
                              IniFile::WriteResult::Written);
}

bool TForm1::checkSettingsWrite(bool written)
{
    if (written) {
        settingsWriteRefusalShown = false;
    } else if (!settingsWriteRefusalShown) {
        settingsWriteRefusalShown = true;
        prompts().notice(this, unableToWriteMessage(ini->path()));
    }
    return written;
}

bool TForm1::IsExcludedFile(const QString &path) const
{
    // A name with a line break cannot head a section, so such a document leaves no trace.
    if (!isValidSectionName(path))
        return true;
    return ::IsExcludedFile(path, state.ExcludedPaths, state.IncludedPaths);
}

void TForm1::writeDocumentKey(const QString &key, const QString &value)
{
    if (state.FileName.isEmpty() || IsExcludedFile(state.FileName) || state.MultiMemberArchive)
        return;
    writeSetting(state.FileName, key, value);
}

void TForm1::LoadSettings()
{
    state.DefaultFontName = QStringLiteral("Times New Roman");
    state.DefaultFontSize = QStringLiteral("10");
    state.ExcludedPaths.clear();
    state.IncludedPaths.clear();
    state.ExcludedFonts.clear();
    checkSettingsWrite(writeStartupContent(*ini, programDir) == IniFile::WriteResult::Written);

    const auto read = [this](const QString &section, const QString &key, const QString &def) {
        return ini->readString(section, key, def);
    };
    state.ExcludedFonts = ini->readSectionKeys(QStringLiteral("Excluded Fonts"));
    state.ExcludedPaths = ini->readSectionKeys(QStringLiteral("Excluded Paths"));
    state.IncludedPaths = ini->readSectionKeys(QStringLiteral("Included Paths"));

    state.BaseDirectory = read(QStringLiteral("Base Directory"), QStringLiteral("InitialDir"), {});
    if (!state.BaseDirectory.isEmpty() && !state.BaseDirectory.endsWith(u'/'))
        state.BaseDirectory += u'/';
    ladenDialogDir = state.BaseDirectory;

    state.DefaultFontName =
        read(kOptions, QStringLiteral("Default font name"), QStringLiteral("Times New Roman"));
    state.DefaultFontSize =
        read(kOptions, QStringLiteral("Default font size"), QStringLiteral("10"));

    const auto optionSwitch = [&](QCheckBox *box, const char *key, const char *absent,
                                  SwitchTest test) {
        box->setChecked(readSwitch(
            read(kOptions, QString::fromLatin1(key), QString::fromLatin1(absent)), test));
    };
    optionSwitch(AutoFitAll, "Automatically fit", "Yes", SwitchTest::OnUnlessNo);
    optionSwitch(AutoFitMenu, "Fit leaving menu", "Yes", SwitchTest::OnUnlessNo);
    AutoFitMenu->setEnabled(!AutoFitAll->isChecked());
    optionSwitch(MenuClickOnly, "Menu/Help on click", "No", SwitchTest::OnOnlyIfYes);
    optionSwitch(Shortcuts, "Activate shortcuts", "Yes", SwitchTest::OnUnlessNo);
    optionSwitch(ShowPages, "Book style", "Yes", SwitchTest::OnUnlessNo);
    optionSwitch(QuickJump, "Quick page", "Yes", SwitchTest::OnUnlessNo);
    optionSwitch(QuickFind, "Quick find", "Yes", SwitchTest::OnUnlessNo);
    optionSwitch(AutoOpen, "Auto-open", "No", SwitchTest::OnUnlessNo);
    optionSwitch(JustifyLines, "Justify lines", "Yes", SwitchTest::OnUnlessNo);
    optionSwitch(Hyphenate, "Hyphenate", "Yes", SwitchTest::OnUnlessNo);

    if (!ini->valueExists(kOptions, QStringLiteral("Punctuation")))
        writeSetting(kOptions, QStringLiteral("Punctuation"), builtInPunctuation());
    state.PunctuationMarks = read(kOptions, QStringLiteral("Punctuation"), builtInPunctuation());
    LoadRecentList();

    try {
        const QString margins = QStringLiteral("Page margins");
        const int left = toInteger(read(margins, QStringLiteral("Left"), QStringLiteral("0")));
        const int right = toInteger(read(margins, QStringLiteral("Right"), QStringLiteral("0")));
        const int top = toInteger(read(margins, QStringLiteral("Top"), QStringLiteral("0")));
        const int bottom = toInteger(read(margins, QStringLiteral("Bottom"), QStringLiteral("0")));
        MarginLeftUpDown->setValue(left);
        MarginRightUpDown->setValue(right);
        MarginTopUpDown->setValue(top);
        MarginBottomUpDown->setValue(bottom);
        state.MarginSettings = {MarginLeftUpDown->value(), MarginRightUpDown->value(),
                                MarginTopUpDown->value(), MarginBottomUpDown->value()};
        ApplyMargins->setChecked(readSwitch(
            read(margins, QStringLiteral("Apply"), QStringLiteral("No")), SwitchTest::OnOnlyIfYes));

        const QString colours = QStringLiteral("Colors");
        state.PageColour =
            toColour(read(colours, QStringLiteral("Background"), QStringLiteral("$00E7E7E7"))).bgr;
        ApplyColours();
        state.TextColour =
            toColour(read(colours, QStringLiteral("Text"), QStringLiteral("clBlack"))).bgr;
        ApplyColours();

        applyStartupPlacement();
    } catch (const ConversionError &error) {
        prompts().notice(this, error.message());
    }
}

void TForm1::applyStartupPlacement()
{
    const QString window = QStringLiteral("Window");
    const int w =
        toInteger(ini->readString(window, QStringLiteral("Width"), QStringLiteral("800")));
    const int h =
        toInteger(ini->readString(window, QStringLiteral("Height"), QStringLiteral("608")));
    const QSize size(std::max(w, minimumWidth()), std::max(h, minimumHeight()));
    resize(size);
    const bool hasPosition = ini->valueExists(window, QStringLiteral("Left")) &&
                             ini->valueExists(window, QStringLiteral("Top"));
    if (hasPosition) {
        // The stored bounds are the inner area, as saved; a move() would place the frame there
        // and the window would creep by the frame's size at every start.
        setGeometry(QRect(
            QPoint(toInteger(ini->readString(window, QStringLiteral("Left"), QStringLiteral("0"))),
                   toInteger(ini->readString(window, QStringLiteral("Top"), QStringLiteral("0")))),
            size));
    } else if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->availableGeometry();
        move(desk.center() - QPoint(width() / 2, height() / 2));
    }
    if (readSwitch(ini->readString(window, QStringLiteral("Maximized"), QStringLiteral("No")),
                   SwitchTest::OnOnlyIfYes))
        setWindowState(windowState() | Qt::WindowMaximized);
    applyStartupFullScreen();
}

void TForm1::LoadDocumentSettings()
{
    const QString &S = state.FileName;
    const auto read = [&](const QString &key, const QString &def) {
        return ini->readString(S, key, def);
    };
    try {
        QString font = read(QStringLiteral("Fontname"), state.DefaultFontName);
        if (Schriftart->findText(font, Qt::MatchFixedString) < 0) {
            font = state.DefaultFontName;
            writeDocumentKey(QStringLiteral("Fontname"), font);
        }
        const int size =
            std::clamp(toInteger(read(QStringLiteral("Fontsize"), state.DefaultFontSize)),
                       FontUpDown->minimum(), FontUpDown->maximum());
        applyPageFont(font, size);

        state.OptionRefitBlocked = true;
        for (QCheckBox *box : {ZWEntfernen, Punctuation, Einzug}) {
            const QString key = box == ZWEntfernen   ? QStringLiteral("Remove line breaks")
                                : box == Punctuation ? QStringLiteral("Check punctuation marks")
                                                     : QStringLiteral("Check indentation");
            box->setChecked(
                readSwitch(read(key, yesNo(box->isChecked())), SwitchTest::OnOnlyIfYes));
        }
        state.OptionRefitBlocked = false;

        state.CurrentPage =
            std::max(1, toInteger(read(QStringLiteral("Page"), QStringLiteral("1"))));
        state.TotalLines = toInteger(read(QStringLiteral("Total lines"), QStringLiteral("0")));
        state.LinesPerPage = std::max(
            1, toInteger(read(QStringLiteral("Lines"), QString::number(LinesPerPageFor()))));

        chosenLanguage = languageFromSetting(read(QStringLiteral("Language"), QString()));
        Lesezeichen1->setText(read(QStringLiteral("Bookmark 1"), QString()));
        Lesezeichen2->setText(read(QStringLiteral("Bookmark 2"), QString()));
        Lesezeichen3->setText(read(QStringLiteral("Bookmark 3"), QString()));

        state.TocSettingsLoading = true;
        AutomaticTOC->setChecked(readSwitch(
            read(QStringLiteral("Automatically create TOC"), yesNo(AutomaticTOC->isChecked())),
            SwitchTest::OnOnlyIfYes));
        PreChapter->setText(read(QStringLiteral("Preceding blank lines"), QStringLiteral("3")));
        state.PreChapterValue = toInteger(PreChapter->text());
        ChapterLines->setText(read(QStringLiteral("Section header size"), QStringLiteral("5")));
        state.ChapterLinesValue = toInteger(ChapterLines->text());
        ChapterCountBlank->setChecked(readSwitch(
            read(QStringLiteral("Count blank lines"), yesNo(ChapterCountBlank->isChecked())),
            SwitchTest::OnOnlyIfYes));
        TOCLeft->setChecked(
            readSwitch(read(QStringLiteral("TOC on left side"), yesNo(TOCLeft->isChecked())),
                       SwitchTest::OnOnlyIfYes));
        applyTocSourceSettings(read(QStringLiteral("Sections start at"), QString()),
                               read(QStringLiteral("Heading rule"), QString()));
        state.TocSettingsLoading = false;
    } catch (const ConversionError &error) {
        state.OptionRefitBlocked = false;
        state.TocSettingsLoading = false;
        prompts().notice(this, error.message());
    }
}

void TForm1::SaveDocumentSettings()
{
    if (state.FileName.isEmpty() || IsExcludedFile(state.FileName) || state.MultiMemberArchive)
        return;
    const QList<IniEntry> entries = {
        {QStringLiteral("Fontname"), pageFont().family()},
        {QStringLiteral("Fontsize"), QString::number(state.AppliedFontSize)},
        {QStringLiteral("Remove line breaks"), yesNo(ZWEntfernen->isChecked())},
        {QStringLiteral("Check punctuation marks"), yesNo(Punctuation->isChecked())},
        {QStringLiteral("Check indentation"), yesNo(Einzug->isChecked())},
        {QStringLiteral("Check short lines"), yesNo(ShortLines->isChecked())},
        {QStringLiteral("Page"), QString::number(state.CurrentPage)},
        {QStringLiteral("Total lines"), QString::number(state.TotalLines)},
        {QStringLiteral("Lines"), QString::number(state.LinesPerPage)},
        {QStringLiteral("Bookmark 1"), Lesezeichen1->text()},
        {QStringLiteral("Bookmark 2"), Lesezeichen2->text()},
        {QStringLiteral("Bookmark 3"), Lesezeichen3->text()},
        {QStringLiteral("Automatically create TOC"), yesNo(AutomaticTOC->isChecked())},
        {QStringLiteral("Preceding blank lines"), PreChapter->text()},
        {QStringLiteral("Section header size"), ChapterLines->text()},
        {QStringLiteral("Count blank lines"), yesNo(ChapterCountBlank->isChecked())},
        {QStringLiteral("TOC on left side"), yesNo(TOCLeft->isChecked() && Contents->isVisible())},
        {QStringLiteral("Sections start at"),
         tocSourceKey(static_cast<TocSource>(std::max(0, TocSourceChoice->currentIndex())))},
        {QStringLiteral("Heading rule"), state.HeadingRule},
        {QStringLiteral("Code page"), codePageSetting(state.CodePage)},
        {QStringLiteral("Aozora notation"),
         state.EastAsian.aozoraAutomatic ? QStringLiteral("Automatic") : QStringLiteral("No")},
        {QStringLiteral("Ruby"), rubyFormKey(state.EastAsian.ruby)},
        {QStringLiteral("Chinese conversion"), chineseConversionKey(state.EastAsian.chinese)},
        {QStringLiteral("Language"), languageSetting(chosenLanguage)},
    };
    // One replacement of the file for the whole section.
    checkSettingsWrite(ini->writeStrings(state.FileName, entries) == IniFile::WriteResult::Written);
}

void TForm1::SaveWindowPlacement()
{
    const QString window = QStringLiteral("Window");
    const bool maximized = isMaximized();
    const QRect normal = normalPlacement();
    const QList<IniEntry> entries = {
        {QStringLiteral("Maximized"), yesNo(maximized)},
        {QStringLiteral("Fullscreen"), yesNo(heldFullScreen())},
        {QStringLiteral("Left"), QString::number(normal.x())},
        {QStringLiteral("Top"), QString::number(normal.y())},
        {QStringLiteral("Width"), QString::number(normal.width())},
        {QStringLiteral("Height"), QString::number(normal.height())},
    };
    checkSettingsWrite(ini->writeStrings(window, entries) == IniFile::WriteResult::Written);
}
