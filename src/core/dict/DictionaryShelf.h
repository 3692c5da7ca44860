#pragma once

#include "core/dict/Dictionary.h"
#include "core/dict/WordForms.h"

#include <QList>
#include <QLocale>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

struct DictionaryHit
{
    QString dictionary; // its name
    QString asked;      // the text looked up
    QString form;       // the form that was found: asked, or a base form of it
    QString headword;
    QString definition;
};

struct LookupResult
{
    QString word; // the selection as cleaned for the lookup
    QList<DictionaryHit> hits;
    QStringList skipped; // "name: reason" of every damaged dictionary
    int installed = 0;
    int enabled = 0;
};

struct InstalledDictionary
{
    QString id;
    QString name;
    bool enabled = true;
};

// The dictionaries installed on the machine. Finding them only lists folders; their indexes are
// read once, in the background, from startLoading() on; a lookup before that has finished waits
// for it.
class DictionaryShelf
{
public:
    // /usr/share/dictd, the StarDict folders of the system and of the user.
    static QStringList standardFolders();
    static QStringList standardHunspellFolders();

    explicit DictionaryShelf(const QStringList &folders,
                             const QStringList &hunspellFolders = standardHunspellFolders());
    ~DictionaryShelf();
    DictionaryShelf(const DictionaryShelf &) = delete;
    DictionaryShelf &operator=(const DictionaryShelf &) = delete;

    // Reads every index and the stemmer of the language in a background thread (once).
    void startLoading(QLocale::Language bookLanguage);
    bool loadingStarted() const;
    bool loaded() const;
    // The dictionaries whose source language is the book's come first; a new language takes
    // its stemmer.
    void setBookLanguage(QLocale::Language language);
    void setDisabled(const QSet<QString> &ids);
    QList<InstalledDictionary> installed() const;

    LookupResult lookup(const QString &selection);

private:
    void waitLoaded();
    QList<DictionaryHit> lookUpForm(const QString &asked, const QString &form);
    QList<DictionaryHit> lookUpWord(const QString &word);

    QStringList hunspellFolders;
    std::vector<std::unique_ptr<Dictionary>> dictionaries;
    QSet<QString> disabled;
    QLocale::Language language = QLocale::AnyLanguage;
    QLocale::Language stemmerLanguage = QLocale::AnyLanguage;
    std::unique_ptr<Stemmer> stemmer;
    std::future<void> loading;
    std::atomic<bool> stopping{false}; // the shelf is going: the rest is not read
    mutable std::mutex loadingLock;
};

// The "Dictionaries" setting: "id=off" for every dictionary switched off, separated by ";" (one
// installed later is on).
QSet<QString> disabledDictionaries(const QString &stored);
QString storedDictionaryChoice(const QList<InstalledDictionary> &dictionaries);

// What the panel says under the entries: damaged dictionaries, or what to install.
QString lookupHint(const LookupResult &result);
