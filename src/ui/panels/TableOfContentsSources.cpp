#include "ui/Tavolex1.h"

#include "core/book/ChapterHeadings.h"
#include "core/book/SettingsValues.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

namespace {

constexpr TocSource kSources[] = {TocSource::Automatic, TocSource::BlankLines, TocSource::Headings,
                                  TocSource::HeadingsAndBlankLines};

const QString kRuleHint = QStringLiteral(
    "Your own heading rule for this book, a regular expression (for example ^~ \\d+ ~$),\r"
    "used besides the built-in rules for chapter headings. Enter applies it.");

void markRule(QLineEdit *field, const QString &error)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, error.isEmpty()
                                         ? field->style()->standardPalette().color(QPalette::Text)
                                         : QColor(0xC0, 0x00, 0x00));
    field->setPalette(palette);
    field->setToolTip(error.isEmpty() ? displayMessageText(kRuleHint) : error);
}

} // namespace

QComboBox *TForm1::makeTocSourceChoice(QWidget *parent)
{
    auto *choice = new QComboBox(parent);
    for (TocSource s : kSources)
        choice->addItem(tocSourceCaption(s));
    // The pages keep the keyboard; the choice is made with the pointer.
    choice->setFocusPolicy(Qt::NoFocus);
    choice->setToolTip(displayMessageText(QStringLiteral(
        "Sections start at chapter headings (\"Chapter 3\", \"Глава 5\", \"第十二章\" ...),\r"
        "at a run of blank lines (see the menu), or at either. Automatic takes headings\r"
        "when they are found spread over the book, else blank lines.")));
    connect(choice, &QComboBox::activated, this, &TForm1::TocSourceChange);
    return choice;
}

QLineEdit *TForm1::makeTocRuleField(QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setPlaceholderText(QStringLiteral("own heading rule"));
    markRule(field, {});
    connect(field, &QLineEdit::textEdited, field,
            [field](const QString &text) { markRule(field, headingRuleError(text)); });
    connect(field, &QLineEdit::editingFinished, this, [this, field] { TocRuleEntered(field); });
    // Enter gives the keyboard back to the pages.
    connect(field, &QLineEdit::returnPressed, this, [this] { setFocus(); });
    return field;
}

void TForm1::buildTocSourceControls()
{
    TocSourceChoice = makeTocSourceChoice(Contents);
    TocRule = makeTocRuleField(Contents);
}

bool TForm1::tocRuleHasFocus() const
{
    return (TocRule && TocRule->hasFocus()) || (TocRuleMenu && TocRuleMenu->hasFocus());
}

void TForm1::showTocSourceTaken(const QString &taken)
{
    const QString caption =
        taken.isEmpty() ? tocSourceCaption(TocSource::Automatic)
                        : tocSourceCaption(TocSource::Automatic) + QStringLiteral(": ") + taken;
    for (QComboBox *choice : {TocSourceChoice, TocSourceMenu}) {
        if (choice)
            choice->setItemText(0, caption);
    }
}

void TForm1::applyTocSourceSettings(const QString &source, const QString &rule)
{
    const int index = static_cast<int>(tocSourceFromKey(source));
    for (QComboBox *choice : {TocSourceChoice, TocSourceMenu})
        choice->setCurrentIndex(index);
    state.HeadingRule = headingRuleError(rule).isEmpty() ? rule : QString();
    rejectedTocRule.clear();
    for (QLineEdit *field : {TocRule, TocRuleMenu}) {
        field->setText(rule);
        markRule(field, headingRuleError(rule));
    }
}

void TForm1::TocSourceChange(int index)
{
    for (QComboBox *choice : {TocSourceChoice, TocSourceMenu}) {
        const QSignalBlocker blocker(choice);
        choice->setCurrentIndex(index);
    }
    writeDocumentKey(QStringLiteral("Sections start at"), tocSourceKey(kSources[index]));
    // A table on show would otherwise list the sections of the choice before.
    if (tocHasSections() && !AutomaticTOC->isChecked())
        CreateTOCClick();
    else
        rebuildTocAfterSettingChange();
}

void TForm1::TocRuleEntered(QLineEdit *field)
{
    const QString rule = field->text();
    const QString error = headingRuleError(rule);
    if (!error.isEmpty()) {
        markRule(field, error);
        if (rule != rejectedTocRule) {
            rejectedTocRule = rule;
            prompts().notice(this, error);
        }
        return;
    }
    rejectedTocRule.clear();
    for (QLineEdit *f : {TocRule, TocRuleMenu}) {
        if (f->text() != rule)
            f->setText(rule);
        markRule(f, {});
    }
    if (rule == state.HeadingRule)
        return;
    state.HeadingRule = rule;
    writeDocumentKey(QStringLiteral("Heading rule"), rule);
    if (tocHasSections() && !AutomaticTOC->isChecked())
        CreateTOCClick();
    else
        rebuildTocAfterSettingChange();
}

QString TForm1::tocAsText() const
{
    QString text;
    for (int row = 1; row < ChapterList->rowCount() && tocHasSections(); ++row) {
        text +=
            ChapterList->item(row, 0)->text() + u'\t' + ChapterList->item(row, 1)->text() + u'\n';
    }
    return text;
}
