#pragma once

#include "core/dict/DictData.h"
#include "core/dict/HeadwordTable.h"

#include <QList>
#include <QLocale>
#include <QString>

#include <atomic>

struct DictEntry
{
    QString headword;
    QString definition;
};

// One installed dictionary: its index in memory, its definitions read on demand.
class Dictionary
{
public:
    virtual ~Dictionary() = default;

    enum class Format { Dictd, StarDict };
    virtual Format format() const = 0;

    // Reads the index (the slow part, meant for a background thread); false when the
    // dictionary is damaged, with the reason in error().
    bool open();
    // The definitions of the word, case-insensitive; none when the word is missing or the
    // dictionary failed (error() says why).
    QList<DictEntry> lookup(const QString &word);

    // What the dictionary is called among the others: its file name without the suffix.
    QString id() const { return stem; }
    // Its own title where it has one, else the id.
    QString name() const { return title.isEmpty() ? stem : title; }
    QLocale::Language sourceLanguage() const { return language; }
    QString error() const { return failure; }
    bool failed() const { return !failure.isEmpty(); }
    const HeadwordTable &headwords() const { return table; }

protected:
    Dictionary(const QString &folder, const QString &stem);
    virtual bool readIndex(QString &error) = 0;
    // The text shown for one entry's raw data.
    virtual QString definitionText(const QByteArray &data) const = 0;
    QString path(const QString &suffix) const { return folder + u'/' + stem + suffix; }
    // Opens NAME.dict.dz or NAME.dict (StarDict: of the given stem).
    bool openData(QString &error);

    QString folder;
    QString stem;
    QString title;
    QLocale::Language language = QLocale::AnyLanguage;
    HeadwordTable table;
    DictData data;

private:
    QString failure;
};

// The language of a dictionary named like "freedict-deu-eng", "eng-fra" or "gcide": the
// first of a pair of ISO 639 codes, English for the well-known English ones.
QLocale::Language languageOfDictionaryName(const QString &name);
