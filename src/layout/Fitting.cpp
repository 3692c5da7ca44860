#include "reader/Tavolex1.h"

#include "layout/ComplexText.h"

#include "layout/LineBreakRemoval.h"
#include "layout/QtTextMeasurer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>

#include <cmath>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>

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
    const double step = std::max(1.0, std::ceil(metrics.lineSpacing()));
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

void TForm1::setPageShaping(bool shaping)
{
    pageShaping = shaping;
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite}) {
        QFont font = page->font();
        const int others = font.styleStrategy() & ~QFont::PreferNoShaping;
        font.setStyleStrategy(QFont::StyleStrategy(others | (shaping ? 0 : QFont::PreferNoShaping)));
        page->setFont(font);
    }
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
        (!state.RemovalIndentRule && Einzug->isChecked())) {
        if (state.BreaksRemoved) {
            // Not held twice while the loaded text is expanded again.
            state.WorkingText = QString();
            state.WorkingText = state.LoadedText.toString();
        }
        state.BreaksRemoved = false;
        state.RemovalPunctuationRule = false;
        state.RemovalIndentRule = false;
        state.ReloadPending = false;
    }
    if (ZWEntfernen->isChecked() &&
        !(state.BreaksRemoved && Punctuation->isChecked() == state.RemovalPunctuationRule &&
          Einzug->isChecked() == state.RemovalIndentRule)) {
        LineBreakRules rules;
        rules.keepBeforeIndent = Einzug->isChecked();
        rules.keepAfterPunctuation = Punctuation->isChecked();
        rules.punctuationMarks = state.PunctuationMarks;
        RemoveSingleLineBreaks(state.WorkingText, rules, [this](int percent) {
            setProgressTitle(QStringLiteral("Removing line breaks: %1% done").arg(percent));
        });
        state.BreaksRemoved = true;
        state.RemovalPunctuationRule = Punctuation->isChecked();
        state.RemovalIndentRule = Einzug->isChecked();
    }

    setProgressTitle(fittingTitle(0));
    cutIntoPieces(state.WorkingText, state.pieces,
                  [this](int percent) { setProgressTitle(fittingTitle(percent)); });

    // Looked for once per text, not at every refit.
    const ShapingKey key{state.FileName + u'|' + state.ArchiveMember,
                         state.WorkingText.constData(), state.WorkingText.size()};
    if (!(key == shapingCheckedFor)) {
        setPageShaping(needsShaping(state.WorkingText));
        shapingCheckedFor = key;
    }
    const QFont font = pageFont();
    const QString fontKey = font.key();
    if (fontKey != wordWidthsFont) {
        wordWidths.clear();
        wordWidthsFont = fontKey;
    }
    const QtTextMeasurer measurer(font, LinkeSeite->tabStopDistance());
    const double width = wrapWidth();
    int counter = 50;
    for (int i = 0; i < FitPieceCount; ++i) {
        FitPiece &piece = state.pieces[i];
        if (!piece.used())
            continue;
        wrapPiece(piece, width, measurer, wordWidths);
        if ((i + 1) % 8 == 0) {
            counter += 10;
            setProgressTitle(fittingTitle(counter));
        }
    }
    setProgressTitle(fittingTitle(100));

    state.TotalLines = numberFittedLines(state.pieces);
    const int L1 = carriedLine(L0, state.TotalLines, state.PreviousTotalLines);
    state.LinesPerPage = LinesPerPageFor();
    state.PageCount = pageCountFor(state.TotalLines, state.LinesPerPage);
    state.CurrentPage = pageOfCarriedLine(L1, state.LinesPerPage, state.PageCount);

    if (state.PreviousTotalLines > 0)
        moveBookmarks(P0, state.PreviousTotalLines);

    ShowSpread();
    if (AutomaticTOC->isChecked())
        BuildToc();
    else
        clearToc();
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
        bookmark->setText(QString::number(movedBookmarkPage(page, previousLinesPerPage,
                                                            state.TotalLines, previousTotalLines,
                                                            state.LinesPerPage)));
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
