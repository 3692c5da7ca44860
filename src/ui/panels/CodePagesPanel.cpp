#include "ui/Tavolex1.h"

#include "core/book/IniFile.h"
#include "core/book/SettingsValues.h"
#include "core/text/CodePages.h"
#include "core/text/DocumentFormats.h"

#include <QComboBox>
#include <QLabel>

namespace {

const QString kCodePageKey = QStringLiteral("Code page");
const QString kAutomatic = QStringLiteral("Automatic");

} // namespace

QComboBox *TForm1::makeCodePageChoice(QWidget *parent)
{
    auto *choice = new QComboBox(parent);
    choice->setObjectName(QStringLiteral("CodePageMenu"));
    choice->addItem(kAutomatic);
    choice->addItems(codePageNames());
    choice->setMaxVisibleItems(choice->count());
    // The pages keep the keyboard; the choice is made with the pointer.
    choice->setFocusPolicy(Qt::NoFocus);
    choice->setToolTip(displayMessageText(
        QStringLiteral("The code page the book is read in. Automatic recognises it from the text;\r"
                       "another choice reads the book again in that one and is kept for it.")));
    choice->setEnabled(false);
    connect(choice, &QComboBox::activated, this, &TForm1::CodePageChange);
    return choice;
}

void TForm1::showCodePageInUse()
{
    if (!CodePageMenu)
        return;
    const bool open = !state.FileName.isEmpty();
    const QString ext =
        upperExtension(state.ArchiveMember.isEmpty() ? state.FileName : state.ArchiveMember);
    // An RTF document names its code pages itself.
    const bool rtf = ext == QStringLiteral(".RTF");
    CodePageMenu->setItemText(
        0, open && !rtf && state.CodePage.isEmpty()
               ? kAutomatic + QStringLiteral(" (") +
                     codePageInUse(state.LoadedEncoding, state.LoadedEncodingName) + u')'
               : kAutomatic);
    const QSignalBlocker blocker(CodePageMenu);
    CodePageMenu->setCurrentIndex(
        state.CodePage.isEmpty() ? 0 : int(codePageNames().indexOf(state.CodePage)) + 1);
    CodePageMenu->setEnabled(open && !rtf);
}

QString TForm1::codePageForOpen(const QString &ext) const
{
    if (ext == QStringLiteral(".RTF"))
        return {};
    if (codePageReopen)
        return codePageReopen->codePage;
    return codePageFromSetting(ini->readString(state.FileName, kCodePageKey, {}));
}

void TForm1::carryPlaceIntoReopen()
{
    if (codePageReopen) {
        const CodePageReopen &place = *codePageReopen;
        state.CurrentPage = place.page;
        state.TotalLines = place.totalLines;
        state.LinesPerPage = place.linesPerPage;
        const QList<QLabel *> marks = {Lesezeichen1, Lesezeichen2, Lesezeichen3};
        for (int i = 0; i < marks.size(); ++i)
            marks[i]->setText(place.bookmarks.value(i));
    }
    showCodePageInUse();
}

void TForm1::CodePageChange(int index)
{
    const QString chosen = index <= 0 ? QString() : codePageNames().value(index - 1);
    if (state.FileName.isEmpty() || chosen == state.CodePage ||
        (state.TextModified &&
         !prompts().confirm(this, QStringLiteral("Edited text has not been saved!\rRead the book "
                                                 "again in the new code page?")))) {
        showCodePageInUse();
        return;
    }
    codePageReopen = CodePageReopen{
        chosen,
        state.CurrentPage,
        state.TotalLines,
        state.LinesPerPage,
        {Lesezeichen1->text(), Lesezeichen2->text(), Lesezeichen3->text()},
    };
    state.MenuCommandActive = true;
    state.PreviousFileName = state.FileName;
    // The member on show is read again; the chooser is not shown.
    state.MemberPreselected = !state.ArchiveMember.isEmpty();
    setProgressTitle(QStringLiteral("Opening file ") + state.FileName + QStringLiteral(" ..."));
    OpenDocument();
    codePageReopen.reset();
    showCodePageInUse();
}
