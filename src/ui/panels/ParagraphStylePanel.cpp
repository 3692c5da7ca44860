#include "ui/Tavolex1.h"

#include "core/book/GutenbergFrame.h"
#include "core/book/IniFile.h"
#include "core/book/SettingsValues.h"
#include "core/layout/SetOffLines.h"
#include "ui/pages/SetOffLineDrawing.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>

void TForm1::ShortLinesClick()
{
    refitAfterLineBreakSwitch();
}

void TForm1::applyParagraphStyle(bool firstOpen, bool html)
{
    // A statistics pass over a sample of the lines: cheap enough for every open, and the
    // width it finds is what "Not after short lines" measures against.
    state.BookStyle = detectParagraphStyle(state.WorkingText);
    const ParagraphStyle &style = state.BookStyle;
    state.OptionRefitBlocked = true;
    if (firstOpen) {
        // Too few lines tell nothing: the switches stay as a first open always left them.
        if (!html && style.shape != ParagraphStyle::Shape::TooShort) {
            ZWEntfernen->setChecked(style.removeLineBreaks());
            Einzug->setChecked(style.keepBeforeIndent());
            Punctuation->setChecked(style.keepAfterPunctuation());
        }
        // Each line of Aozora Bunko notation is a paragraph, a line of dialogue as much as any.
        if (state.EastAsian.aozora)
            ZWEntfernen->setChecked(false);
        ShortLines->setChecked(true);
    } else {
        // Stored switches stay exactly as stored. A section from before this switch existed
        // reads it as off: the book keeps the lines, and so the place, it was stored with.
        ShortLines->setChecked(readSwitch(
            ini->readString(state.FileName, QStringLiteral("Check short lines"),
                            QStringLiteral("No")),
            SwitchTest::OnOnlyIfYes));
    }
    state.OptionRefitBlocked = false;
    ShortLines->setEnabled(ZWEntfernen->isChecked());
    state.GutenbergStartPending = firstOpen;
    DetectedStyle->setText(QStringLiteral("Detected: ") + style.description());
}

void TForm1::goToGutenbergStart()
{
    state.GutenbergStartPending = false;
    const qsizetype at = gutenbergTextStart(state.WorkingText);
    if (at < 0)
        return;
    const int line = fittedLineAt(state.pieces, state.WorkingText, at);
    if (line <= 0)
        return;
    state.CurrentPage =
        std::clamp((line - 1) / std::max(1, state.LinesPerPage) + 1, 1, std::max(1, state.PageCount));
}

bool TForm1::isSetOffLine(int n) const
{
    const SetOffLines rules(state.HeadingRule, state.BookStyle.wrapWidth);
    const std::vector<SetOff> kinds = rules.ofFittedLines(state.pieces, n, 1);
    return !kinds.empty() && kinds.front() != SetOff::None;
}

void TForm1::markSetOffLines(QPlainTextEdit *page, int firstLine)
{
    const SetOffLines rules(state.HeadingRule, state.BookStyle.wrapWidth);
    const std::vector<SetOff> kinds =
        rules.ofFittedLines(state.pieces, firstLine, page->document()->blockCount());
    QTextBlock block = page->document()->begin();
    for (size_t i = 0; i < kinds.size() && block.isValid(); ++i, block = block.next())
        SetOffLineDrawing::mark(block, kinds[i]);
}
