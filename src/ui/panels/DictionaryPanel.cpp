#include "ui/panels/DictionaryPanel.h"

#include "core/book/IniFile.h"
#include "core/speech/SpeechLanguage.h"
#include "ui/Tavolex1.h"
#include "ui/panels/PanelWidgets.h"

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kOptions = QStringLiteral("Options");
const QString kDictionariesKey = QStringLiteral("Dictionaries");
constexpr int kTitleHeight = 20;
constexpr int kHintHeight = 30;

QString paragraphs(const QString &text)
{
    return text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"));
}

// A label that closes the panel when clicked.
class CloseLabel : public QLabel
{
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
            onClick)
            onClick();
    }
};

// Selections the reader makes with the mouse on a page.
class SelectionWatch : public QObject
{
public:
    SelectionWatch(TForm1 *form, QPlainTextEdit *page) : QObject(page), form(form), page(page) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick ||
            (event->type() == QEvent::MouseButtonRelease && page->textCursor().hasSelection()))
            form->prepareDictionaries();
        return false;
    }

private:
    TForm1 *form;
    QPlainTextEdit *page;
};

} // namespace

QString dictionaryEntriesHtml(const LookupResult &result)
{
    if (result.hits.isEmpty())
        return QStringLiteral("<p>No dictionary has \"%1\"</p>").arg(result.word.toHtmlEscaped());
    QString html;
    QString dictionary;
    for (const DictionaryHit &hit : result.hits) {
        if (hit.dictionary != dictionary) {
            dictionary = hit.dictionary;
            html += QStringLiteral("<p style=\"color:#008080\"><b>%1</b></p>")
                        .arg(dictionary.toHtmlEscaped());
        }
        QString head = QStringLiteral("<b>%1</b>").arg(hit.headword.toHtmlEscaped());
        if (hit.form.compare(hit.asked, Qt::CaseInsensitive) != 0)
            head += QStringLiteral(" &nbsp;(%1 \u2192 %2)")
                        .arg(hit.asked.toHtmlEscaped(), hit.form.toHtmlEscaped());
        html += QStringLiteral("<p>%1<br>%2</p>").arg(head, paragraphs(hit.definition));
    }
    return html;
}

DictionaryPanel::DictionaryPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("DictionaryPanel"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_NoMousePropagation);
    QPalette teal = palette();
    teal.setColor(QPalette::WindowText, panels::kRestingColour);
    setPalette(teal);

    title = new QLabel(QStringLiteral("DICTIONARY"), this);
    title->setAlignment(Qt::AlignCenter);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    auto *close = new CloseLabel(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("DictionaryClose"));
    close->setFont(bold);
    close->setCursor(Qt::PointingHandCursor);
    close->setToolTip(QStringLiteral("Closes the dictionary panel (Esc or Ctrl+D)"));
    close->onClick = [this] {
        if (onClose)
            onClose();
    };
    closeButton = close;

    entries = new QTextBrowser(this);
    entries->setObjectName(QStringLiteral("DictionaryEntries"));
    entries->setFocusPolicy(Qt::NoFocus);
    entries->setOpenLinks(false);
    entries->setFrameShape(QFrame::NoFrame);

    hint = new QLabel(this);
    hint->setObjectName(QStringLiteral("DictionaryHint"));
    hint->setWordWrap(true);
    hint->setTextFormat(Qt::PlainText);
    hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont small = hint->font();
    small.setPointSize(std::max(6, small.pointSize() - 1));
    hint->setFont(small);
}

void DictionaryPanel::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    const int inner = width() - 12;
    const int closeWidth = closeButton->sizeHint().width();
    title->setGeometry(6, 3, inner, kTitleHeight);
    closeButton->setGeometry(width() - 6 - closeWidth, 3, closeWidth, kTitleHeight);
    const int hintHeight = hint->text().isEmpty() ? 0 : kHintHeight;
    entries->setGeometry(6, 6 + kTitleHeight, inner, height() - 12 - kTitleHeight - hintHeight);
    hint->setGeometry(6, height() - 6 - hintHeight, inner, hintHeight);
}

void DictionaryPanel::showResult(const LookupResult &result)
{
    const QString word = result.word.size() > 40 ? result.word.left(40) + u'\u2026' : result.word;
    title->setText(word.isEmpty() ? QStringLiteral("DICTIONARY") : QStringLiteral("DICTIONARY: ") + word);
    entries->setHtml(dictionaryEntriesHtml(result));
    hint->setText(lookupHint(result));
    hint->setToolTip(hint->text());
    resizeEvent(nullptr);
}

bool DictionaryPanel::scrollKey(int key)
{
    QScrollBar *bar = entries->verticalScrollBar();
    switch (key) {
    case Qt::Key_Up:
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return true;
    case Qt::Key_Down:
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return true;
    case Qt::Key_PageUp:
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        return true;
    case Qt::Key_PageDown:
    case Qt::Key_Space:
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return true;
    case Qt::Key_Home:
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        return true;
    case Qt::Key_End:
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        return true;
    default:
        return false;
    }
}

QString DictionaryPanel::entriesText() const
{
    return entries->toPlainText();
}

QString DictionaryPanel::hintText() const
{
    return hint->text();
}

QString DictionaryPanel::titleText() const
{
    return title->text();
}

// The window's side.

QLocale::Language TForm1::dictionaryBookLanguage() const
{
    return bookLanguage();
}

void TForm1::setDictionaryFolders(const QStringList &folders, const QStringList &hunspellFolders)
{
    dictionaryFolders = folders;
    dictionaryHunspellFolders = hunspellFolders;
    dictionaryShelf.reset();
    if (DictionaryChoice)
        fillDictionaryChoice();
}

DictionaryShelf &TForm1::dictionaries()
{
    if (!dictionaryShelf) {
        if (dictionaryFolders.isEmpty()) {
            dictionaryFolders = DictionaryShelf::standardFolders();
            dictionaryHunspellFolders = DictionaryShelf::standardHunspellFolders();
        }
        dictionaryShelf = std::make_shared<DictionaryShelf>(dictionaryFolders, dictionaryHunspellFolders);
        if (ini)
            dictionaryShelf->setDisabled(
                disabledDictionaries(ini->readString(kOptions, kDictionariesKey, QString())));
    }
    return *dictionaryShelf;
}

bool TForm1::dictionaryPanelShown() const
{
    return DictionaryView && DictionaryView->isVisible();
}

void TForm1::CloseDictionaryPanel()
{
    if (DictionaryView)
        DictionaryView->hide();
}

QString TForm1::lookupText(QWidget *&page) const
{
    for (QPlainTextEdit *shown : {LinkeSeite, RechteSeite}) {
        page = shown;
        if (shown->isVisible() && shown->textCursor().hasSelection())
            return shown->textCursor().selectedText();
    }
    page = nullptr;
    // No selection: the word under the pointer.
    for (QPlainTextEdit *shown : {LinkeSeite, RechteSeite}) {
        const QPoint at = shown->viewport()->mapFromGlobal(QCursor::pos());
        if (!shown->isVisible() || !shown->viewport()->rect().contains(at))
            continue;
        page = shown;
        const QTextCursor cursor = shown->cursorForPosition(at);
        const QString line = cursor.block().text();
        const int pos = cursor.positionInBlock();
        // The cursor lands between two characters: the one under the pointer is before it when
        // the pointer is left of the cursor, else after it.
        const QRect caret = shown->cursorRect(cursor);
        const QString before = wordAt(line, pos - 1);
        const QString after = wordAt(line, pos);
        if (std::abs(at.y() - caret.center().y()) > caret.height())
            return QString();
        // Past the end of a line there is no word.
        return at.x() < caret.x() ? before : after;
    }
    return QString();
}

void TForm1::LookUpClick()
{
    if (dictionaryPanelShown()) {
        CloseDictionaryPanel();
        return;
    }
    QWidget *wordPage = nullptr;
    const QString text = lookupText(wordPage);
    if (!DictionaryView) {
        DictionaryView = new DictionaryPanel(this);
        DictionaryView->onClose = [this] { CloseDictionaryPanel(); };
    }
    DictionaryShelf &shelf = dictionaries();
    shelf.setBookLanguage(dictionaryBookLanguage());
    prepareDictionaries();
    LookupResult result;
    if (cleanLookupText(text).isEmpty()) {
        result.installed = int(shelf.installed().size());
        result.enabled = result.installed;
    } else {
        const bool waiting = !shelf.loaded();
        if (waiting)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        result = shelf.lookup(text);
        if (waiting) {
            QApplication::restoreOverrideCursor();
            fillDictionaryChoice();
        }
    }
    DictionaryView->showResult(result);
    if (result.word.isEmpty())
        DictionaryView->findChild<QTextBrowser *>()->setPlainText(QStringLiteral(
            "Select a word (a double click selects one) or point at one, then press Ctrl+D."));
    // Over the other page, so that the word stays in sight.
    QWidget *over = wordPage == LinkeSeite ? RechteSeite : wordPage ? LinkeSeite : nullptr;
    if (over && over->parentWidget() == this && over->width() >= 240) {
        const QRect r = over->geometry();
        DictionaryView->setGeometry(r.x(), r.y(), std::min(r.width(), 560),
                                    std::clamp(r.height(), 120, 480));
    } else {
        const int w = std::min(480, width() - 40);
        const int h = std::min(440, height() - 2 * panels::kPanelTop - 20);
        DictionaryView->setGeometry((width() - w) / 2, panels::kPanelTop + 10, w, std::max(h, 120));
    }
    DictionaryView->show();
    DictionaryView->raise();
}

bool TForm1::DictionaryPanelKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (!dictionaryPanelShown())
        return false;
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (key == Qt::Key_Escape || (ctrl && key == Qt::Key_D)) {
        CloseDictionaryPanel();
        return true;
    }
    // The page stays where it is while the entries are read.
    return !ctrl && !(modifiers & Qt::AltModifier) && DictionaryView->scrollKey(key);
}

void TForm1::buildDictionaryChoice(QWidget *box, QVBoxLayout *layout)
{
    layout->addWidget(new QLabel(QStringLiteral("Dictionaries (Ctrl+D looks words up in them)"), box));
    auto *list = new QListWidget(box);
    list->setObjectName(QStringLiteral("DictionaryChoice"));
    list->setToolTip(QStringLiteral("The dictionaries Ctrl+D looks words up in"));
    list->setFocusPolicy(Qt::NoFocus);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(list, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (!item->data(Qt::UserRole).toString().isEmpty())
            DictionaryChoiceToggled(item->data(Qt::UserRole).toString(),
                                    item->checkState() == Qt::Checked);
    });
    auto *indented = panels::row(18);
    indented->addWidget(list);
    layout->addLayout(indented);
    DictionaryChoice = list;
    // Once the settings are read.
    QTimer::singleShot(0, this, [this] { fillDictionaryChoice(); });
    // A word the reader selects is most often looked up next: the indexes are read by the time
    // Ctrl+D comes. Selections made by find or read aloud are no such sign.
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite})
        page->viewport()->installEventFilter(new SelectionWatch(this, page));
}

void TForm1::prepareDictionaries()
{
    DictionaryShelf &shelf = dictionaries();
    if (shelf.loadingStarted())
        return;
    shelf.startLoading(dictionaryBookLanguage());
    fillDictionaryChoiceWhenLoaded();
}

void TForm1::fillDictionaryChoiceWhenLoaded()
{
    // Their own names are known once the indexes are read.
    if (!dictionaryShelf || dictionaryShelf->loaded()) {
        fillDictionaryChoice();
        return;
    }
    QTimer::singleShot(200, this, [this] { fillDictionaryChoiceWhenLoaded(); });
}

void TForm1::fillDictionaryChoice()
{
    const QSignalBlocker blocker(DictionaryChoice);
    DictionaryChoice->clear();
    const QList<InstalledDictionary> list = dictionaries().installed();
    if (list.isEmpty())
        DictionaryChoice->addItem(QStringLiteral("none installed (dict-gcide, dict-wn ...)"));
    for (const InstalledDictionary &d : list) {
        auto *item = new QListWidgetItem(d.name, DictionaryChoice);
        item->setData(Qt::UserRole, d.id);
        item->setToolTip(d.name + QStringLiteral(" (") + d.id + u')');
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(d.enabled ? Qt::Checked : Qt::Unchecked);
    }
    const int rows = std::clamp(int(DictionaryChoice->count()), 1, 4);
    DictionaryChoice->setFixedHeight(rows * DictionaryChoice->fontMetrics().height() * 5 / 4 + 6);
}

void TForm1::DictionaryChoiceToggled(const QString &id, bool on)
{
    QList<InstalledDictionary> list = dictionaries().installed();
    QSet<QString> off;
    for (InstalledDictionary &d : list) {
        if (d.id == id)
            d.enabled = on;
        if (!d.enabled)
            off.insert(d.id);
    }
    dictionaries().setDisabled(off);
    writeSetting(kOptions, kDictionariesKey, storedDictionaryChoice(list));
}
