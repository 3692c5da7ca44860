#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <memory>

// The text to look up from a selection: surrounding punctuation, quotes and spaces taken off,
// line breaks and runs of spaces inside made one space.
QString cleanLookupText(const QString &selection);

// The word at position pos of the text (letters, digits and marks, with apostrophes and hyphens
// between letters); empty when pos is on none.
QString wordAt(const QString &text, qsizetype pos);

// Base forms of an English word by its endings (-'s, -s, -es, -ies, -ed, -ing), likeliest
// first; the word itself is not among them.
QStringList englishBaseForms(const QString &word);

// Finds the base forms of a word in one language.
class Stemmer
{
public:
    virtual ~Stemmer() = default;
    virtual QStringList stems(const QString &word) = 0;
};

// The stemmer for a language: Hunspell with its dictionary from one of the folders where one
// is installed (and Hunspell was built in), else the English rules for English, else none.
std::unique_ptr<Stemmer> makeStemmer(QLocale::Language language, const QStringList &hunspellFolders);

// The Hunspell dictionary (.aff path) for a language in the folders; empty when none.
QString hunspellDictionaryFor(QLocale::Language language, const QStringList &folders);
