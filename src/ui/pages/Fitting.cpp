#include "ui/Tavolex1.h"

#include "core/layout/ComplexText.h"

#include <QFontDatabase>
#include <QRawFont>

#include "core/layout/Hyphenation.h"
#include "core/layout/LineBreakRemoval.h"
#include "core/layout/ParallelFit.h"
#include "ui/pages/QtTextMeasurer.h"
#include "core/base/ParallelWork.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>

#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <cmath>

namespace {

QString fittingTitle(int percent)
{
    return QStringLiteral("Fitting lines: %1% done").arg(percent, percent < 10 ? 2 : 0);
}

} // namespace

QFont TForm1::pageFont() const
{
    return LinkeSeite->font();
}

double TForm1::wrapWidth() const
{
    // The document margin on both sides and the caret's pixel at the end of a line.
    const double margin = LinkeSeite->document()->documentMargin();
    return std::max(1.0, LinkeSeite->width() - 2 * margin - 1);
}

int TForm1::LinesPerPageFor() const
{
    // The page control puts each line on a whole pixel below the last: its step is the line
    // spacing (leading included) rounded up, which can exceed the height of the letters.
    const QFontMetricsF metrics(pageFont());
    const double step = std::max(1.0, std::ceil(metrics.lineSpacing() + rubyRowHeight()));
    const double usable = LinkeSeite->height() - 2 * LinkeSeite->document()->documentMargin();
    const int lines = static_cast<int>(usable / step);
    return std::max(1, lines);
}

QString TForm1::FittedLine(int n) const
{
    return ::FittedLine(state.pieces, n).toString();
}

bool TForm1::LayoutChangedSinceFit() const
{
    const FittedLayoutSnapshot &f = state.FittedLayout;
    if (ApplyMargins->isChecked()) {
        if (state.MarginSettings.left != f.margins.left ||
            state.MarginSettings.right != f.margins.right)
            return true;
    } else if (f.margins.left != 0 || f.margins.right != 0) {
        return true;
    }
    return Schriftart->currentText() != f.fontName || FontUpDown->value() != f.fontSize ||
           ZWEntfernen->isChecked() != f.joinLines || ShowPages->isChecked() != f.bookStyle;
}

void TForm1::takeFittedLayoutSnapshot()
{
    FittedLayoutSnapshot &f = state.FittedLayout;
    f.fontName = Schriftart->currentText();
    f.fontSize = FontUpDown->value();
    f.joinLines = ZWEntfernen->isChecked();
    f.bookStyle = ShowPages->isChecked();
    f.applyMargins = ApplyMargins->isChecked();
    f.margins = f.applyMargins ? Margins{MarginLeftUpDown->value(), MarginRightUpDown->value(),
                                         MarginTopUpDown->value(), MarginBottomUpDown->value()}
                               : Margins{};
}

namespace {

// The writing system whose fallback font draws a script; Any for scripts the page font has.
QFontDatabase::WritingSystem writingSystemOf(QChar::Script script,
                                             const std::vector<QChar::Script> &scripts)
{
    const auto has = [&](QChar::Script s) {
        return std::find(scripts.begin(), scripts.end(), s) != scripts.end();
    };
    switch (script) {
    case QChar::Script_Han:
        // Ideographs take the font of the language they are written in.
        if (has(QChar::Script_Hiragana) || has(QChar::Script_Katakana))
            return QFontDatabase::Japanese;
        return has(QChar::Script_Hangul) ? QFontDatabase::Korean : QFontDatabase::SimplifiedChinese;
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
        return QFontDatabase::Japanese;
    case QChar::Script_Hangul:
        return QFontDatabase::Korean;
    case QChar::Script_Arabic:
        return QFontDatabase::Arabic;
    case QChar::Script_Hebrew:
        return QFontDatabase::Hebrew;
    case QChar::Script_Thai:
        return QFontDatabase::Thai;
    case QChar::Script_Lao:
        return QFontDatabase::Lao;
    case QChar::Script_Devanagari:
        return QFontDatabase::Devanagari;
    case QChar::Script_Bengali:
        return QFontDatabase::Bengali;
    case QChar::Script_Tamil:
        return QFontDatabase::Tamil;
    case QChar::Script_Khmer:
        return QFontDatabase::Khmer;
    case QChar::Script_Myanmar:
        return QFontDatabase::Myanmar;
    case QChar::Script_Greek:
        return QFontDatabase::Greek;
    case QChar::Script_Cyrillic:
        return QFontDatabase::Cyrillic;
    default:
        return QFontDatabase::Any;
    }
}

} // namespace

void TForm1::applyPageScripts()
{
    QFont font = LinkeSeite->font();
    const int others = font.styleStrategy() & ~QFont::PreferNoShaping;
    const auto strategy =
        QFont::StyleStrategy(others | (bookScripts.shaping ? 0 : QFont::PreferNoShaping));
    // The fallback font of each of the book's scripts, named after the page font: found through
    // the system's fallback list at every line, ideographs cost a hundred times more to lay out.
    QFont primary(font.family(), font.pointSize());
    QStringList families{font.family()};
    for (const QChar::Script script : bookScripts.scripts) {
        const QFontDatabase::WritingSystem system = writingSystemOf(script, bookScripts.scripts);
        if (system == QFontDatabase::Any)
            continue;
        const QString fallback = QRawFont::fromFont(primary, system).familyName();
        if (!fallback.isEmpty() && !families.contains(fallback))
            families << fallback;
    }
    if (font.families() == families && font.styleStrategy() == strategy)
        return;
    font.setFamilies(families);
    font.setStyleStrategy(strategy);
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite})
        page->setFont(font);
}

int TForm1::workThreads() const
{
    return fitThreads > 0 ? fitThreads : usableThreadCount();
}

void TForm1::FitLines()
{
    if (state.FileName.isEmpty())
        return;
    setBusyPointer(true);
    const int L0 = std::max(1, (state.CurrentPage - 1) * state.LinesPerPage + 1);
    state.PreviousTotalLines = state.TotalLines;
    const int P0 = state.LinesPerPage;
    // The pieces share the working text; changed in place while shared, it would be copied whole.
    releasePieceTexts(state.pieces);

    // Turning on a rule that keeps more breaks needs the text as loaded; turning one off can
    // join the already joined text further.
    if (state.ReloadPending || (state.BreaksRemoved && !ZWEntfernen->isChecked()) ||
        (!state.RemovalPunctuationRule && Punctuation->isChecked()) ||
        (!state.RemovalIndentRule && Einzug->isChecked()) ||
        (!state.RemovalShortLineRule && ShortLines->isChecked())) {
        if (state.BreaksRemoved) {
            // Not held twice while the loaded text is expanded again.
            state.WorkingText = QString();
            state.WorkingText = state.EastAsian.converted ? state.EastAsian.shown.toString()
                                                          : state.LoadedText.takeString();
        }
        state.BreaksRemoved = false;
        state.RemovalPunctuationRule = false;
        state.RemovalIndentRule = false;
        state.RemovalShortLineRule = false;
        state.ReloadPending = false;
    }
    if (ZWEntfernen->isChecked() &&
        !(state.BreaksRemoved && Punctuation->isChecked() == state.RemovalPunctuationRule &&
          Einzug->isChecked() == state.RemovalIndentRule &&
          ShortLines->isChecked() == state.RemovalShortLineRule)) {
        LineBreakRules rules;
        rules.keepBeforeIndent = Einzug->isChecked();
        rules.keepAfterPunctuation = Punctuation->isChecked();
        rules.punctuationMarks = state.PunctuationMarks;
        rules.shortLineLimit = ShortLines->isChecked() ? state.BookStyle.shortLineLimit() : 0;
        // The loaded text that is the working text keeps only where lines are joined.
        const bool shared = state.LoadedText.sharesData(state.WorkingText);
        std::vector<qsizetype> joins;
        if (shared)
            state.LoadedText.releaseShared();
        RemoveSingleLineBreaks(
            state.WorkingText, rules,
            [this, pace = ProgressPace(progressTitleIntervalMs)](int percent) mutable {
                if (pace.due())
                    setProgressTitle(QStringLiteral("Removing line breaks: %1% done").arg(percent));
            },
            shared ? &joins : nullptr);
        // The joined text is shorter: what it no longer needs is returned while it fits.
        state.WorkingText.squeeze();
        if (shared)
            state.LoadedText.rebase(state.WorkingText, std::move(joins));
        state.BreaksRemoved = true;
        state.RemovalPunctuationRule = Punctuation->isChecked();
        state.RemovalIndentRule = Einzug->isChecked();
        state.RemovalShortLineRule = ShortLines->isChecked();
    }

    setProgressTitle(fittingTitle(0));
    cutIntoPieces(state.WorkingText, state.pieces);

    // Looked for once per text, not at every refit; the font may have changed since.
    const BookScripts::Key key{state.FileName + u'|' + state.ArchiveMember,
                               state.WorkingText.constData(), state.WorkingText.size()};
    if (!(key == bookScripts.key)) {
        TextScripts found = textScriptsOf(state.WorkingText);
        bookScripts.shaping = found.shaping;
        bookScripts.scripts = std::move(found.scripts);
        bookScripts.sample.clear();
        for (const qsizetype at : found.firstAt)
            bookScripts.sample += QStringView(state.WorkingText).sliced(at).first(
                std::min<qsizetype>(12, state.WorkingText.size() - at));
        bookScripts.key = key;
    }
    applyPageScripts();
    const QFont font = pageFont();
    const QString fontKey = font.key() + u'|' + font.families().join(u',') + u'|' +
                            QString::number(font.styleStrategy());
    if (fontKey != wordWidthsFont) {
        wordWidths.clear();
        wordWidthsFont = fontKey;
    }
    const QtTextMeasurer measurer(font, LinkeSeite->tabStopDistance(), bookScripts.sample);
    const auto hyphenator = fitHyphenator();
    fittedWrapWidth = wrapWidth();
    // Percentages follow the pieces wrapped: cutting takes no time worth showing.
    wrapPieces(
        state.pieces, fittedWrapWidth, measurer, [&measurer] { return measurer.forAnotherThread(); },
        wordWidths, workThreads(),
        [this, pace = ProgressPace(progressTitleIntervalMs)](int done, int used) mutable {
            if (pace.due())
                setProgressTitle(fittingTitle(done * 10 / used * 10));
        },
        hyphenator.get());
    fitIndentedBlocks(measurer, hyphenator.get());
    setProgressTitle(fittingTitle(100));

    state.TotalLines = numberFittedLines(state.pieces);
    const int L1 = carriedLine(L0, state.TotalLines, state.PreviousTotalLines);
    state.LinesPerPage = LinesPerPageFor();
    state.PageCount = pageCountFor(state.TotalLines, state.LinesPerPage);
    state.CurrentPage = pageOfCarriedLine(L1, state.LinesPerPage, state.PageCount);

    if (state.PreviousTotalLines > 0)
        moveBookmarks(P0, state.PreviousTotalLines);
    if (state.GutenbergStartPending)
        goToGutenbergStart();

    ShowSpread();
    showBookLanguage();
    if (AutomaticTOC->isChecked()) {
        BuildToc();
    } else {
        clearToc();
        buildTocIfNeverBuilt();
    }
    UpdateTitle();
    SaveDocumentSettings();
    takeFittedLayoutSnapshot();
    setBusyPointer(false);
}

void TForm1::moveBookmarks(int previousLinesPerPage, int previousTotalLines)
{
    for (QLabel *bookmark : {Lesezeichen1, Lesezeichen2, Lesezeichen3}) {
        if (bookmark->text().isEmpty())
            continue;
        bool ok = false;
        const int page = bookmark->text().toInt(&ok);
        if (!ok)
            continue;
        bookmark->setText(QString::number(movedBookmarkPage(
            page, previousLinesPerPage, state.TotalLines, previousTotalLines, state.LinesPerPage)));
    }
}

void TForm1::AnpassenClick()
{
    if (state.FileName.isEmpty())
        return;
    state.MenuCommandActive = true;
    MenuHilfeAus();
    FitLines();
}
