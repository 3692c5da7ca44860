#include "ui/Tavolex1.h"

#include "core/book/Bookmarks.h"
#include "ui/dialogs/TvxDialogs.h"

#include <QLabel>
#include <QMouseEvent>

void TForm1::buildBookmarkFields()
{
    const auto colour = [](QLabel *label, const QColor &c) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, c);
        label->setPalette(palette);
    };
    int number = 1;
    for (QLabel *field : {Lesezeichen1, Lesezeichen2, Lesezeichen3}) {
        field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        field->resize(28, 16);
        colour(field, QColor(0x80, 0x00, 0x00));
        field->setToolTip(QStringLiteral("Bookmark ") + QString::number(number++));
    }
    Lesezeichen->resize(28, 16);
    colour(Lesezeichen, QColor(0x80, 0x80, 0x80));

    auto *relay = new EventRelay(this, [this](QObject *watched, QEvent *event) {
        if (event->type() != QEvent::MouseButtonPress &&
            event->type() != QEvent::MouseButtonDblClick)
            return false;
        LesezeichenMouseDown(watched, static_cast<QMouseEvent *>(event)->buttons());
        return true;
    });
    for (QLabel *field : {Lesezeichen, Lesezeichen1, Lesezeichen2, Lesezeichen3}) {
        // A press here is the field's alone; passed on it would turn pages.
        field->setAttribute(Qt::WA_NoMousePropagation);
        field->installEventFilter(relay);
    }
}

QString TForm1::arrangeBookmarkFields()
{
    QLabel *fields[] = {Lesezeichen1, Lesezeichen2, Lesezeichen3};
    BookmarkBar bar;
    bar.menuLeft = MenuPanel->x();
    bar.helpRight = HilfePanel->x() + HilfePanel->width();
    bar.clientWidth = width();
    for (size_t i = 0; i < 3; ++i)
        bar.fieldWidths[i] = fields[i]->width();
    const BookmarkArrangement arranged = ::arrangeBookmarkFields(
        BookmarkCaptions{fields[0]->text(), fields[1]->text(), fields[2]->text()},
        state.CurrentPage, bar);
    for (size_t i = 0; i < 3; ++i)
        fields[i]->setText(arranged.captions[i]);
    for (int i = 0; i < arranged.placedFields; ++i) {
        const BookmarkPlacement &placement = arranged.placements[size_t(i)];
        if (placement.side == BookmarkPlacement::Side::Hidden) {
            fields[i]->hide();
            continue;
        }
        fields[i]->move(placement.left, fields[i]->y());
        fields[i]->show();
        fields[i]->raise();
        fields[i]->update();
    }
    return arranged.conversionError.value_or(QString());
}

void TForm1::ArrangeBookmarks()
{
    const QString error = arrangeBookmarkFields();
    if (!error.isEmpty() && !bookmarkErrorsQuiet)
        prompts().notice(this, error);
}

void TForm1::SaveBookmarks()
{
    writeDocumentKey(QStringLiteral("Bookmark 1"), Lesezeichen1->text());
    writeDocumentKey(QStringLiteral("Bookmark 2"), Lesezeichen2->text());
    writeDocumentKey(QStringLiteral("Bookmark 3"), Lesezeichen3->text());
}

void TForm1::LesezeichenMouseDown(QObject *sender, Qt::MouseButtons buttons)
{
    if (state.FileName.isEmpty())
        return;
    auto *field = qobject_cast<QLabel *>(sender);
    const bool onSetField = sender == Lesezeichen;
    if (!field ||
        (!onSetField && field != Lesezeichen1 && field != Lesezeichen2 && field != Lesezeichen3))
        return;
    if (buttons & Qt::RightButton) {
        if (!onSetField) {
            field->clear();
            SaveBookmarks();
            arrangeBookmarkFields();
            return;
        }
        showRecentPanel(Lesezeichen);
    }
    if (!(buttons & Qt::LeftButton))
        return;
    if (onSetField) {
        const std::optional<BookmarkCaptions> set = setBookmarkOnPage(
            {Lesezeichen1->text(), Lesezeichen2->text(), Lesezeichen3->text()}, state.CurrentPage);
        if (!set)
            return;
        Lesezeichen1->setText((*set)[0]);
        Lesezeichen2->setText((*set)[1]);
        Lesezeichen3->setText((*set)[2]);
        SaveBookmarks();
        arrangeBookmarkFields();
        return;
    }
    const std::optional<int> page = bookmarkJumpPage(field->text(), state.PageCount);
    if (!page || *page == state.CurrentPage)
        return;
    state.CurrentPage = *page;
    bookmarkErrorsQuiet = true;
    ShowSpread();
    bookmarkErrorsQuiet = false;
}
