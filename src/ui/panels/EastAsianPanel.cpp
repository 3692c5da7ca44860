#include "ui/Tavolex1.h"

#include "core/book/IniFile.h"
#include "core/layout/LineFitter.h"
#include "core/text/AozoraNotation.h"
#include "core/text/ChineseConversion.h"
#include "ui/pages/FixedPitchLayout.h"

#include "core/layout/LineBreakRemoval.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QFileInfo>
#include <QLabel>

#include <algorithm>

namespace {

const QString kAozoraKey = QStringLiteral("Aozora notation");
const QString kRubyKey = QStringLiteral("Ruby");
const QString kChineseKey = QStringLiteral("Chinese conversion");

const QList<RubyForm> kRubyForms = {RubyForm::Above, RubyForm::Brackets, RubyForm::Hidden};
const QList<ChineseConversion> kConversions = {
    ChineseConversion::None, ChineseConversion::Simplified, ChineseConversion::Traditional,
    ChineseConversion::Taiwan, ChineseConversion::HongKong};

bool convertsLikePlainText(const QString &ext)
{
    return ext != QStringLiteral(".HTM") && ext != QStringLiteral(".HTML") &&
           ext != QStringLiteral(".RTF");
}

} // namespace

QComboBox *TForm1::makeEastAsianChoice(QWidget *parent, const QString &name,
                                       const QStringList &items, const QString &hint)
{
    auto *choice = new QComboBox(parent);
    choice->setObjectName(name);
    choice->addItems(items);
    // The pages keep the keyboard; the choice is made with the pointer.
    choice->setFocusPolicy(Qt::NoFocus);
    choice->setToolTip(displayMessageText(hint));
    choice->setEnabled(false);
    return choice;
}

void TForm1::addEastAsianChoices(QWidget *box, QBoxLayout *layout)
{
    AozoraMenu = makeEastAsianChoice(
        box, QStringLiteral("AozoraMenu"), {QStringLiteral("Automatic"), QStringLiteral("No")},
        QStringLiteral("Ruby in 《》 and ［＃…］ annotations of Aozora Bunko texts are recognised\r"
                       "and converted; No shows the file's text as it is."));
    RubyMenu = makeEastAsianChoice(box, QStringLiteral("RubyMenu"),
                                   {QStringLiteral("above"), QStringLiteral("in brackets"),
                                    QStringLiteral("hidden")},
                                   QStringLiteral("Where the readings of an Aozora Bunko text go"));
    ChineseMenu = makeEastAsianChoice(
        box, QStringLiteral("ChineseMenu"),
        {QStringLiteral("as written"), QStringLiteral("Simplified"), QStringLiteral("Traditional"),
         QStringLiteral("Traditional (Taiwan)"), QStringLiteral("Traditional (Hong Kong)")},
        QStringLiteral("Shows a Chinese book in the characters you read, phrase by phrase;\r"
                       "the file and the internal editor keep the characters it was written in."));
    connect(AozoraMenu, &QComboBox::activated, this, &TForm1::AozoraNotationChange);
    connect(RubyMenu, &QComboBox::activated, this, &TForm1::RubyChange);
    connect(ChineseMenu, &QComboBox::activated, this, &TForm1::ChineseChange);
    const auto addRow = [&](const QString &label, QComboBox *choice) {
        auto *line = new QHBoxLayout;
        line->setContentsMargins(0, 0, 0, 0);
        line->addWidget(new QLabel(label, box));
        line->addWidget(choice, 1);
        layout->addLayout(line);
    };
    addRow(QStringLiteral("Aozora Bunko notation"), AozoraMenu);
    addRow(QStringLiteral("Ruby:"), RubyMenu);
    addRow(QStringLiteral("Chinese characters"), ChineseMenu);
}

QString TForm1::writtenTextWithoutBreaks() const
{
    return eastAsianTextForSaving(true);
}

QString TForm1::eastAsianTextForSaving(bool withoutBreaks) const
{
    const EastAsianBook &book = state.EastAsian;
    QString text = book.marks.ruby.isEmpty()
                       ? state.LoadedText.toString()
                       : withReadingsInBrackets(state.LoadedText.toString(), book.marks.ruby);
    if (!withoutBreaks)
        return text;
    LineBreakRules rules;
    rules.keepBeforeIndent = Einzug->isChecked();
    rules.keepAfterPunctuation = Punctuation->isChecked();
    rules.punctuationMarks = state.PunctuationMarks;
    RemoveSingleLineBreaks(text, rules);
    return text;
}

void TForm1::showEastAsianChoices()
{
    if (!AozoraMenu)
        return;
    const EastAsianBook &book = state.EastAsian;
    const bool open = !state.FileName.isEmpty();
    const QSignalBlocker a(AozoraMenu), r(RubyMenu), c(ChineseMenu);
    AozoraMenu->setItemText(0, open && book.aozora ? QStringLiteral("Automatic (found)")
                                                   : QStringLiteral("Automatic"));
    AozoraMenu->setCurrentIndex(book.aozoraAutomatic ? 0 : 1);
    RubyMenu->setCurrentIndex(int(kRubyForms.indexOf(book.ruby)));
    ChineseMenu->setCurrentIndex(int(kConversions.indexOf(book.chinese)));
    AozoraMenu->setEnabled(open);
    RubyMenu->setEnabled(open && book.aozora);
    ChineseMenu->setEnabled(open);
}

QString TForm1::convertEastAsian(ConversionResult &converted, const QString &ext)
{
    EastAsianBook &book = state.EastAsian;
    if (eastAsianReopen) {
        book = *eastAsianReopen;
    } else {
        const auto read = [this](const QString &key) {
            return ini->readString(state.FileName, key, QString());
        };
        book = EastAsianBook();
        book.aozoraAutomatic = read(kAozoraKey).compare(QStringLiteral("No"),
                                                        Qt::CaseInsensitive) != 0;
        const QString ruby = read(kRubyKey);
        if (!ruby.isEmpty())
            book.ruby = rubyFormFromKey(ruby);
        book.chinese = chineseConversionFromKey(read(kChineseKey));
    }
    book.aozora = false;
    book.marks = AozoraBook();
    book.shown = CompactText();
    book.converted = false;
    carriedMarks = CarriedMarks();

    if (book.aozoraAutomatic && convertsLikePlainText(ext) && looksLikeAozora(converted.text)) {
        setProgressTitle(openingTitle(100));
        book.marks = convertAozora(converted.text, book.ruby, workThreads());
        converted.text = std::move(book.marks.text);
        book.marks.text.clear();
        // The loaded text is the converted one, no longer the file's bytes.
        converted.utf8 = QByteArray();
        converted.utf8Size = 0;
        book.aozora = true;
    }
    if (book.chinese == ChineseConversion::None)
        return {};
    ChineseConverted chinese = convertChinese(
        converted.text, book.chinese,
        [this](int percent) {
            setProgressTitle(QStringLiteral("Converting characters: %1% done").arg(percent));
        },
        workThreads());
    if (!chinese.ok) {
        prompts().notice(this, QStringLiteral("The characters cannot be converted!\r") +
                                   chinese.error);
        return {};
    }
    if (chinese.text == converted.text)
        return {};
    book.shown = CompactText(chinese.text);
    book.converted = true;
    return std::move(chinese.text);
}

const CompactText &TForm1::shownSource() const
{
    return state.EastAsian.converted ? state.EastAsian.shown : state.LoadedText;
}

void TForm1::eastAsianTextReplaced()
{
    EastAsianBook &book = state.EastAsian;
    book.marks = AozoraBook();
    carriedMarks = CarriedMarks();
    book.shown = CompactText();
    book.converted = false;
    if (book.chinese == ChineseConversion::None)
        return;
    ChineseConverted chinese = convertChinese(state.LoadedText.toString(), book.chinese, {},
                                              workThreads());
    if (chinese.ok && !(state.LoadedText == chinese.text)) {
        book.shown = CompactText(chinese.text);
        book.converted = true;
    }
}

bool TForm1::savesOverNotation(const QString &name) const
{
    return state.EastAsian.aozora && state.ArchiveMember.isEmpty() && QFileInfo::exists(name) &&
           QFileInfo(name).canonicalFilePath() == QFileInfo(state.FileName).canonicalFilePath();
}

QString TForm1::overwriteNotationQuestion(const QString &name) const
{
    return QStringLiteral("File ") + name +
           QStringLiteral(" is written in Aozora Bunko notation.\rSaving over it replaces the "
                          "notation with the converted text (readings in brackets).\rOverwrite?");
}

void TForm1::carryEastAsianMarksThroughEdit(const AozoraBook &marks, const QString &before)
{
    state.EastAsian.marks = carriedThroughEdit(marks, before, state.LoadedText.toString());
    carriedMarks = CarriedMarks();
}

const TForm1::CarriedMarks &TForm1::marksInWorkingText()
{
    const AozoraBook &marks = state.EastAsian.marks;
    const QString &working = state.WorkingText;
    if (carriedMarks.text == working.constData() && carriedMarks.size == working.size())
        return carriedMarks;
    QList<qsizetype> starts = marks.sectionStarts;
    for (const AozoraHeading &heading : marks.headings)
        starts.append(heading.position);
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    QList<qsizetype> ruby;
    ruby.reserve(marks.ruby.size());
    for (const RubySpan &span : marks.ruby)
        ruby.append(span.base);
    const bool moved = state.BreaksRemoved || state.EastAsian.converted;
    QList<qsizetype> emphasis;
    for (const AozoraEmphasis &run : marks.emphasis)
        emphasis.append(run.position);
    const QString loaded = moved && !(starts.isEmpty() && ruby.isEmpty() && marks.indents.isEmpty() &&
                                      emphasis.isEmpty())
                               ? state.LoadedText.toString()
                               : QString();
    carriedMarks.sectionStarts = moved ? carryIntoJoinedText(loaded, working, starts) : starts;
    carriedMarks.rubyStarts = moved ? carryIntoJoinedText(loaded, working, ruby) : ruby;
    carriedMarks.emphasisStarts =
        moved ? carryIntoJoinedText(loaded, working, emphasis) : emphasis;
    QList<qsizetype> indentStarts;
    for (const AozoraIndent &indent : marks.indents)
        indentStarts.append(indent.lineStart);
    if (moved && !indentStarts.isEmpty())
        indentStarts = carryIntoJoinedText(loaded, working, indentStarts);
    carriedMarks.indents.clear();
    for (qsizetype k = 0; k < indentStarts.size(); ++k)
        carriedMarks.indents.append({indentStarts[k], marks.indents[k].characters});
    carriedMarks.text = working.constData();
    carriedMarks.size = working.size();
    return carriedMarks;
}

void TForm1::fitIndentedBlocks(const TextMeasurer &measurer, const Hyphenator *hyphenator)
{
    if (state.EastAsian.marks.indents.isEmpty())
        return;
    fitHangingIndents(state.pieces, state.WorkingText, marksInWorkingText().indents,
                      fittedWrapWidth, measurer, wordWidths, hyphenator);
}

void TForm1::markIndentedLines(QPlainTextEdit *page, int firstLine)
{
    QTextDocument *document = page->document();
    const bool any = !state.EastAsian.marks.indents.isEmpty();
    const std::vector<int> indents =
        any ? hangingIndentsOfLines(state.pieces, state.WorkingText, marksInWorkingText().indents,
                                    firstLine, document->blockCount())
            : std::vector<int>();
    const QFontMetricsF metrics(document->defaultFont());
    QTextBlock block = document->begin();
    for (size_t i = 0; block.isValid(); ++i, block = block.next()) {
        const int n = i < indents.size() ? indents[i] : 0;
        FixedPitchLayout::setIndent(
            block, n > 0 ? metrics.horizontalAdvance(QString(n, QChar(0x3000))) : 0);
    }
}

qsizetype TForm1::workingOffsetOf(QStringView line) const
{
    const qsizetype offset = line.data() - state.WorkingText.constData();
    return offset >= 0 && offset <= state.WorkingText.size() ? offset : -1;
}

bool TForm1::markedSection(int n)
{
    const AozoraBook &marks = state.EastAsian.marks;
    if (marks.headings.isEmpty() && marks.sectionStarts.isEmpty())
        return false;
    const QStringView line = ::FittedLine(state.pieces, n);
    const qsizetype offset = workingOffsetOf(line);
    if (line.isEmpty() || offset < 0)
        return false;
    const auto &starts = marksInWorkingText().sectionStarts;
    const auto at = std::lower_bound(starts.begin(), starts.end(), offset);
    return at != starts.end() && *at < offset + line.size();
}

void TForm1::reopenWithChoices(const EastAsianBook &choices)
{
    if (state.FileName.isEmpty() || !mayOpenOverEdits()) {
        showEastAsianChoices();
        return;
    }
    codePageReopen = CodePageReopen{
        state.CodePage,
        state.CurrentPage,
        state.TotalLines,
        state.LinesPerPage,
        {Lesezeichen1->text(), Lesezeichen2->text(), Lesezeichen3->text()},
    };
    eastAsianReopen = choices;
    state.MenuCommandActive = true;
    state.PreviousFileName = state.FileName;
    state.MemberPreselected = !state.ArchiveMember.isEmpty();
    setProgressTitle(QStringLiteral("Opening file ") + state.FileName + QStringLiteral(" ..."));
    OpenDocument();
    codePageReopen.reset();
    eastAsianReopen.reset();
    showEastAsianChoices();
}

void TForm1::AozoraNotationChange(int index)
{
    EastAsianBook choices = state.EastAsian;
    choices.aozoraAutomatic = index == 0;
    if (choices.aozoraAutomatic == state.EastAsian.aozoraAutomatic)
        return;
    reopenWithChoices(choices);
}

void TForm1::RubyChange(int index)
{
    EastAsianBook choices = state.EastAsian;
    choices.ruby = kRubyForms.value(index, RubyForm::Above);
    if (choices.ruby == state.EastAsian.ruby)
        return;
    reopenWithChoices(choices);
}

void TForm1::ChineseChange(int index)
{
    EastAsianBook choices = state.EastAsian;
    choices.chinese = kConversions.value(index, ChineseConversion::None);
    if (choices.chinese == state.EastAsian.chinese)
        return;
    reopenWithChoices(choices);
}
