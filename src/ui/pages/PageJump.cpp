#include "ui/Tavolex1.h"

#include "ui/dialogs/TvxDialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>

#include <limits>
#include <optional>

namespace {

const QString kJumpCaption = QStringLiteral("Jump to page");
const QString kLeftPrompt = QStringLiteral("Please enter left page number:");
const QString kRightPrompt = QStringLiteral("Please enter right page number:");

// A whole decimal number with an optional sign, blanks around it allowed. Numbers beyond the
// integer range come back as its limits: they are clamped to a page anyway.
std::optional<int> wholeNumber(const QString &answer)
{
    const QString text = answer.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+'))
        negative = text.at(i++) == u'-';
    if (i == text.size())
        return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = std::min<long long>(value * 10 + (c.unicode() - u'0'),
                                    std::numeric_limits<int>::max() + 1LL);
    }
    if (negative)
        value = -value;
    return int(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                     std::numeric_limits<int>::max()));
}

} // namespace

void TForm1::buildPageJumpControls()
{
    History->setToolTip(
        QStringLiteral("Select a page from the history or use Alt+left/right arrow keys"));
    History->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    History->setMinimumContentsLength(5);
    History->resize(History->sizeHint());
    HistoryPanel->resize(History->size());
    connect(History, &QComboBox::activated, this, &TForm1::HistoryChange);

    auto *relay = new EventRelay(this, [this](QObject *watched, QEvent *event) {
        if (event->type() == QEvent::MouseButtonPress) {
            if (watched == SeitenNrLinks)
                SeitenNrLinksMouseDown(static_cast<QMouseEvent *>(event)->button());
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            auto *label = static_cast<QLabel *>(watched);
            if (mouse->button() == Qt::LeftButton &&
                label->rect().contains(mouse->position().toPoint()))
                SeitenNrClick(label);
            return true;
        }
        return false;
    });
    for (QLabel *label : {SeitenNrLinks, SeitenNrRechts}) {
        label->setAttribute(Qt::WA_NoMousePropagation);
        label->installEventFilter(relay);
    }
}

void TForm1::SeitenNrClick(QObject *sender)
{
    const int digit = state.PendingJumpDigit;
    state.PendingJumpDigit = -1;
    if (state.FileName.isEmpty())
        return;
    const int oldPage = state.CurrentPage;
    std::optional<int> answer;
    int offset = 0;
    if (digit == -1) {
        if (sender == SeitenNrLinks) {
            answer = wholeNumber(prompts().inputBox(this, kJumpCaption, kLeftPrompt,
                                                    QString::number(state.CurrentPage)));
        } else if (sender == SeitenNrRechts) {
            answer = wholeNumber(prompts().inputBox(this, kJumpCaption, kRightPrompt,
                                                    QString::number(state.CurrentPage + 1)));
            offset = 1;
        } else {
            return;
        }
    } else {
        const bool right = state.FocusPage == QLatin1String("Rechts");
        QString value = QString::number(digit);
        if (!prompts().jumpInput(this, kJumpCaption, right ? kRightPrompt : kLeftPrompt, value))
            return;
        answer = wholeNumber(value);
        offset = right ? 1 : 0;
    }
    if (!answer)
        return;
    const long long page = static_cast<long long>(*answer) - offset;
    state.CurrentPage = int(std::clamp<long long>(page, 1, std::max(1, state.PageCount)));
    if (state.CurrentPage != oldPage)
        ShowSpread();
}

void TForm1::SeitenNrLinksMouseDown(Qt::MouseButton button)
{
    if (button != Qt::RightButton)
        return;
    HistoryPanel->setVisible(!HistoryPanel->isVisible());
    if (HistoryPanel->isVisible())
        HistoryPanel->raise();
}

void TForm1::HistoryChange(int index)
{
    if (index < 0 || index >= History->count())
        return;
    bool ok = false;
    const int page = History->itemText(index).toInt(&ok);
    if (!ok)
        return;
    state.NavigatingHistory = true;
    state.CurrentPage = page;
    ShowSpread();
    state.NavigatingHistory = false;
}

void TForm1::HistoryStep(bool forward)
{
    const int selected = History->currentIndex();
    if (selected < 0)
        return;
    if (forward ? selected >= History->count() - 1 : selected == 0)
        return;
    const int next = selected + (forward ? 1 : -1);
    History->setCurrentIndex(next);
    HistoryChange(next);
}
