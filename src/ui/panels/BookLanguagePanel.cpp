#include "ui/Tavolex1.h"

#include "core/book/IniFile.h"
#include "core/book/SettingsValues.h"
#include "core/layout/Hyphenation.h"
#include "core/speech/BookLanguage.h"
#include "core/speech/SpeechLanguage.h"
#include "ui/panels/PanelWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QPointer>
#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace panels;

namespace {

const QString kOptions = QStringLiteral("Options");
const QString kLanguageKey = QStringLiteral("Language");
const QString kAutomatic = QStringLiteral("Automatic");

} // namespace

void TForm1::buildTypesetControls(QWidget *box, QVBoxLayout *layout)
{
    JustifyLines = makeCheck(box, QStringLiteral("JustifyLines"), QStringLiteral("Justify lines"),
                             true,
                             QStringLiteral("Lines inside a paragraph reach from edge to edge of "
                                            "the page; the last line of a paragraph does not"));
    Hyphenate = makeCheck(box, QStringLiteral("Hyphenate"), QStringLiteral("Hyphenate"), true,
                          QStringLiteral("A word that does not fit is broken with a hyphen, by "
                                         "the rules of the book's language"));
    auto *typesetRow = row();
    typesetRow->addWidget(JustifyLines);
    typesetRow->addWidget(Hyphenate);
    typesetRow->addStretch(1);
    layout->addLayout(typesetRow);
    connect(JustifyLines, &QCheckBox::toggled, this, &TForm1::JustifyLinesClick);
    connect(Hyphenate, &QCheckBox::toggled, this, &TForm1::HyphenateClick);
}

void TForm1::JustifyLinesClick()
{
    writeSetting(kOptions, QStringLiteral("Justify lines"), switchText(JustifyLines->isChecked()));
    // Drawing only: the fitted lines stay.
    if (state.PageCount > 0)
        ShowSpread();
}

void TForm1::HyphenateClick()
{
    writeSetting(kOptions, QStringLiteral("Hyphenate"), switchText(Hyphenate->isChecked()));
    if (!state.FileName.isEmpty() && !state.OptionRefitBlocked && state.PageCount > 0)
        FitLines();
}

std::shared_ptr<const Hyphenator> TForm1::fitHyphenator()
{
    if (!Hyphenate->isChecked())
        return {};
    QPointer<TForm1> self(this);
    const QString book = state.FileName;
    auto hyphenator = hyphenatorOrLoad(bookLanguage(), [self, book] {
        // On the reading thread: the window is asked on its own.
        QCoreApplication *app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app,
            [self, book] {
                if (self && self->refitWhenPatternsRead && self->state.FileName == book) {
                    self->refitWhenPatternsRead = false;
                    if (self->Hyphenate->isChecked())
                        self->FitLines();
                }
            },
            Qt::QueuedConnection);
    });
    refitWhenPatternsRead = !hyphenator && !hyphenationDictionaryPath(bookLanguage()).isEmpty();
    return hyphenator;
}

QComboBox *TForm1::makeLanguageChoice(QWidget *parent)
{
    auto *choice = new QComboBox(parent);
    choice->setObjectName(QStringLiteral("LanguageMenu"));
    choice->setFocusPolicy(Qt::NoFocus);
    choice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    choice->setMinimumContentsLength(12);
    choice->setToolTip(displayMessageText(QStringLiteral(
        "The language the book is hyphenated and read aloud in. Automatic recognises it from the\r"
        "text; another choice is kept for the book. A language marked \"not hyphenated\" has no\r"
        "hyphenation patterns installed (Debian's hyphen-* packages).")));
    choice->addItem(kAutomatic, int(QLocale::AnyLanguage));
    choice->setEnabled(false);
    connect(choice, &QComboBox::activated, this, &TForm1::LanguageChange);
    return choice;
}

QLocale::Language TForm1::bookLanguage() const
{
    if (chosenLanguage != QLocale::AnyLanguage)
        return chosenLanguage;
    const QString document = state.FileName + u'|' + state.ArchiveMember;
    LanguageGuess &g = languageGuess;
    if (g.document != document || g.text != state.WorkingText.constData() ||
        g.size != state.WorkingText.size()) {
        g.document = document;
        g.text = state.WorkingText.constData();
        g.size = state.WorkingText.size();
        g.language = guessBookLanguageFromText(state.WorkingText, QLocale::system());
    }
    return g.language;
}

void TForm1::showBookLanguage()
{
    if (!LanguageMenu)
        return;
    const QList<QLocale::Language> patterns = hyphenationLanguages();
    QList<QLocale::Language> voiced;
    for (const SpeakerVoice &voice : speakerVoices)
        voiced << voice.locale.language();
    const QList<QLocale::Language> languages = languageChoices(patterns, voiced);
    const bool open = !state.FileName.isEmpty();
    const QLocale::Language guessed = open && chosenLanguage == QLocale::AnyLanguage
                                          ? bookLanguage()
                                          : QLocale::AnyLanguage;
    const QSignalBlocker blocker(LanguageMenu);
    LanguageMenu->clear();
    LanguageMenu->addItem(guessed == QLocale::AnyLanguage
                              ? kAutomatic
                              : kAutomatic + QStringLiteral(" (") +
                                    languageCaption(guessed, patterns.contains(guessed)) + u')',
                          int(QLocale::AnyLanguage));
    for (QLocale::Language language : languages)
        LanguageMenu->addItem(languageCaption(language, patterns.contains(language)),
                              int(language));
    if (chosenLanguage != QLocale::AnyLanguage && !languages.contains(chosenLanguage))
        LanguageMenu->addItem(languageCaption(chosenLanguage, false), int(chosenLanguage));
    LanguageMenu->setCurrentIndex(std::max(0, LanguageMenu->findData(int(chosenLanguage))));
    LanguageMenu->setEnabled(open);
}

void TForm1::LanguageChange(int index)
{
    const auto language = QLocale::Language(LanguageMenu->itemData(index).toInt());
    if (language == chosenLanguage || state.FileName.isEmpty())
        return;
    const QLocale::Language before = bookLanguage();
    chosenLanguage = language;
    writeDocumentKey(kLanguageKey, languageSetting(language));
    if (Hyphenate->isChecked() && bookLanguage() != before)
        FitLines();
    showBookLanguage();
}
