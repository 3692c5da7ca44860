#pragma once

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringView>

// The language of a book from letter n-grams of samples from all over it (libexttextcat's
// fingerprints), for books in a script several languages share; for other scripts, and where
// the fingerprints are missing or undecided, the script decides as in guessBookLanguage.
QLocale::Language guessBookLanguageFromText(QStringView text, const QLocale &desktop,
                                            const QString &fingerprints = {});

// The per-book setting: an ISO code ("de"), empty for the guess.
QString languageSetting(QLocale::Language language);
// Unknown or empty text gives AnyLanguage: the guess.
QLocale::Language languageFromSetting(const QString &value);

// The languages offered besides the guess: those with hyphenation patterns or a voice, each
// once, by name.
QList<QLocale::Language> languageChoices(const QList<QLocale::Language> &withPatterns,
                                         const QList<QLocale::Language> &withVoices);

// How a language is shown in the choice: "German", "German (not hyphenated)" without patterns.
QString languageCaption(QLocale::Language language, bool hasPatterns);
