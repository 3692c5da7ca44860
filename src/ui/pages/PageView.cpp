#include "ui/Tavolex1.h"

#include "core/layout/TextDirection.h"
#include "ui/pages/FixedPitchLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

namespace {

QString pageText(const TForm1 &form, int firstLine, int count, int totalLines)
{
    QString text;
    for (int i = 0; i < count; ++i) {
        const int n = firstLine + i;
        if (n > totalLines)
            break;
        if (i > 0)
            text += QStringLiteral("\r\n");
        text += form.FittedLine(n);
    }
    return text;
}

// The page controls show one line per line break; a stray CR or LF inside a line shows as a
// blank so that positions within the line stay where they are.
QString displayText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u' ');
    return text;
}

} // namespace

TrimRecord TForm1::TrimPage(QPlainTextEdit *page, QString text)
{
    const TrimRecord trim = ::TrimPage(text);
    // The document alone: the control's own setPlainText lays the page out twice.
    page->document()->setPlainText(displayText(text));
    return trim;
}

void TForm1::markDirections(QPlainTextEdit *page, int firstLine)
{
    const std::vector<bool> rightToLeft =
        rightToLeftLines(state.pieces, firstLine, page->document()->blockCount());
    QTextBlock block = page->document()->begin();
    for (size_t i = 0; i < rightToLeft.size() && block.isValid(); ++i, block = block.next())
        FixedPitchLayout::setRightToLeft(block, rightToLeft[i]);
    markSetOffLines(page, firstLine);
    markIndentedLines(page, firstLine);
}

void TForm1::ShowSpread()
{
    if (state.PageCount == 0)
        return;
    const int lpp = state.LinesPerPage;
    applyRubyRow();
    LinkeSeite->setUpdatesEnabled(false);
    RechteSeite->setUpdatesEnabled(false);
    const int leftFirst = firstLineOfPage(state.CurrentPage, lpp);
    const QString left = pageText(*this, leftFirst, lpp, state.TotalLines);
    const bool leftFull = leftFirst + lpp - 1 <= state.TotalLines;
    const QString right =
        leftFull ? pageText(*this, leftFirst + lpp, lpp, state.TotalLines) : QString();
    state.LeftTrim = TrimPage(LinkeSeite, left);
    markDirections(LinkeSeite, leftFirst + state.LeftTrim.BlankLines);
    showRuby(LinkeSeite, leftFirst + state.LeftTrim.BlankLines);
    markLineFinishes(LinkeSeite, leftFirst + state.LeftTrim.BlankLines);
    if (state.CurrentPage * lpp < state.TotalLines) {
        state.RightTrim = TrimPage(RechteSeite, right);
        markDirections(RechteSeite, leftFirst + lpp + state.RightTrim.BlankLines);
        showRuby(RechteSeite, leftFirst + lpp + state.RightTrim.BlankLines);
        markLineFinishes(RechteSeite, leftFirst + lpp + state.RightTrim.BlankLines);
    } else {
        RechteSeite->clear();
        showRuby(RechteSeite, state.TotalLines + 1);
    }
    LinkeSeite->setUpdatesEnabled(true);
    RechteSeite->setUpdatesEnabled(true);
    LinkeSeite->show();
    RechteSeite->show();

    fitPageNumberLabels();
    SeitenNrLinks->setText(QString::number(state.CurrentPage));
    SeitenNrRechts->setText(QString::number(state.CurrentPage + 1));
    SeitenNrLinks->show();
    SeitenNrRechts->show();
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite})
        page->moveCursor(QTextCursor::Start);
    if (!Menu->isVisible()) {
        if (QWidget *focused = focusWidget())
            focused->clearFocus();
    }
    ArrangeBookmarks();
    // Painted with the next event pass; painting here would redraw the book picture beneath.
    SeitenNrLinks->update();
    SeitenNrRechts->update();

    writeDocumentKey(QStringLiteral("Page"), QString::number(state.CurrentPage));

    if (!state.NavigatingHistory) {
        QStringList entries;
        for (int i = 0; i < History->count(); ++i)
            entries << History->itemText(i);
        int selected = History->currentIndex();
        recordHistoryPage(entries, selected, state.CurrentPage);
        // Only the tail of the list changes: drop what went, append the page.
        while (History->count() > entries.size() - 1)
            History->removeItem(History->count() - 1);
        History->addItem(entries.last());
        History->setCurrentIndex(selected);
    }
    readAloudSpreadShown();
}

void TForm1::Blaettern(Qt::MouseButton button)
{
    if (Menu->isVisible() || Hilfe->isVisible()) {
        MenuHilfeAus();
        return;
    }
    if (state.PageCount == 0)
        return;
    int page = state.CurrentPage;
    if (button == Qt::LeftButton)
        page -= 2;
    else if (button == Qt::RightButton)
        page += 2;
    page = std::clamp(page, 1, state.PageCount);
    if (page != state.CurrentPage) {
        state.CurrentPage = page;
        ShowSpread();
    }
}

void TForm1::Mausklick(QWidget *sender, Qt::MouseButton button, QPoint globalPos)
{
    if (button == Qt::RightButton) {
        // The menu opens centred on the pointer, kept inside the window and beside the pages.
        // Measured from the inner area: the frame a window manager adds is not ours.
        const QPoint at = mapFromGlobal(globalPos);
        int left = at.x() - Menu->width() / 2;
        left = std::min(std::max(left, 0), width() - Menu->width());
        int top = at.y() - Menu->height() / 2;
        top = std::max(top, LinkeSeite->y());
        top = std::min(top, LinkeSeite->geometry().bottom() + 1 - Menu->height());
        Menu->move(left, top);
        OpenMenuPanel();
    } else {
        const bool dropDownContents = Contents->isVisible() && !TOCLeft->isChecked();
        if (Menu->isVisible() || Hilfe->isVisible() || Recent->isVisible() ||
            (dropDownContents && globalPos.x() != -1)) {
            MenuHilfeAus();
            return;
        }
        if (FindOptionsPanel->isVisible())
            FindOptionsPanel->hide();
    }
    if (sender == LinkeSeite)
        RechteSeite->moveCursor(QTextCursor::Start);
    else if (sender == RechteSeite)
        LinkeSeite->moveCursor(QTextCursor::Start);
}

void TForm1::LinkeSeiteEnter()
{
    state.FocusPage = QStringLiteral("Links");
    RechteSeite->moveCursor(QTextCursor::Start);
}

void TForm1::RechteSeiteEnter()
{
    state.FocusPage = QStringLiteral("Rechts");
    LinkeSeite->moveCursor(QTextCursor::Start);
}
