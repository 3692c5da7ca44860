#include "core/dict/DictionaryShelf.h"

#include "core/dict/DictdDictionary.h"
#include "core/dict/StarDictDictionary.h"

#include <QDir>
#include <QFileInfo>

#include <QThread>

#include <algorithm>
#include <thread>

namespace {

constexpr qsizetype kPhraseWords = 6;

} // namespace

QStringList DictionaryShelf::standardFolders()
{
    QStringList folders = {QStringLiteral("/usr/share/dictd"),
                           QStringLiteral("/usr/share/stardict/dic")};
    const QString home = QDir::homePath();
    const QString data = qEnvironmentVariable("XDG_DATA_HOME", home + QStringLiteral("/.local/share"));
    folders << home + QStringLiteral("/.stardict/dic") << data + QStringLiteral("/stardict/dic");
    return folders;
}

QStringList DictionaryShelf::standardHunspellFolders()
{
    return {QStringLiteral("/usr/share/hunspell"), QStringLiteral("/usr/share/myspell/dicts")};
}

DictionaryShelf::DictionaryShelf(const QStringList &folders, const QStringList &hunspellFolders)
    : hunspellFolders(hunspellFolders)
{
    QSet<QString> seen;
    const auto take = [&](std::unique_ptr<Dictionary> dictionary) {
        if (seen.contains(dictionary->id()))
            return;
        seen.insert(dictionary->id());
        dictionaries.push_back(std::move(dictionary));
    };
    for (const QString &folder : folders) {
        // StarDict dictionaries often come one to a folder.
        QStringList places = {folder};
        for (const QString &sub : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            places.append(folder + u'/' + sub);
        for (const QString &place : places) {
            const QDir dir(place);
            for (const QString &name : dir.entryList({QStringLiteral("*.index")}, QDir::Files, QDir::Name))
                take(std::make_unique<DictdDictionary>(place, name.chopped(6)));
            for (const QString &name : dir.entryList({QStringLiteral("*.ifo")}, QDir::Files, QDir::Name))
                take(std::make_unique<StarDictDictionary>(place, name.chopped(4)));
        }
    }
}

DictionaryShelf::~DictionaryShelf()
{
    stopping = true;
    if (loading.valid())
        loading.wait();
}

void DictionaryShelf::startLoading(QLocale::Language bookLanguage)
{
    const std::lock_guard lock(loadingLock);
    if (loading.valid())
        return;
    language = bookLanguage;
    stemmerLanguage = bookLanguage;
    loading = std::async(std::launch::async, [this, bookLanguage] {
        // A few readers take the dictionaries one after the other; the stemmer goes first.
        std::atomic<size_t> next{0};
        const auto work = [&] {
            for (size_t i = next++; i < dictionaries.size() && !stopping; i = next++)
                dictionaries[i]->open();
        };
        const size_t helpers = std::min<size_t>(
            size_t(std::max(1, QThread::idealThreadCount())) - 1, dictionaries.size() / 2);
        std::vector<std::thread> threads;
        for (size_t t = 0; t < helpers; ++t)
            threads.emplace_back(work);
        stemmer = makeStemmer(bookLanguage, hunspellFolders);
        work();
        for (std::thread &thread : threads)
            thread.join();
    });
}

bool DictionaryShelf::loadingStarted() const
{
    const std::lock_guard lock(loadingLock);
    return loading.valid();
}

bool DictionaryShelf::loaded() const
{
    const std::lock_guard lock(loadingLock);
    return loading.valid() &&
           loading.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

void DictionaryShelf::waitLoaded()
{
    startLoading(language);
    loading.wait();
}

void DictionaryShelf::setBookLanguage(QLocale::Language bookLanguage)
{
    language = bookLanguage;
}

void DictionaryShelf::setDisabled(const QSet<QString> &ids)
{
    disabled = ids;
}

QList<InstalledDictionary> DictionaryShelf::installed() const
{
    QList<InstalledDictionary> list;
    const bool ready = loaded();
    for (const auto &dictionary : dictionaries)
        list.append({dictionary->id(), ready ? dictionary->name() : dictionary->id(),
                     !disabled.contains(dictionary->id())});
    return list;
}

QList<DictionaryHit> DictionaryShelf::lookUpForm(const QString &asked, const QString &form)
{
    QList<DictionaryHit> hits;
    // The book's language first, then the rest, each in the order they were found.
    for (const bool own : {true, false}) {
        for (const auto &dictionary : dictionaries) {
            if (disabled.contains(dictionary->id()) || dictionary->failed() ||
                (dictionary->sourceLanguage() == language) != own)
                continue;
            QList<DictEntry> entries = dictionary->lookup(form);
            // The entry written as asked ("Polish") before the others ("polish").
            std::stable_partition(entries.begin(), entries.end(),
                                  [&](const DictEntry &e) { return e.headword == form; });
            for (const DictEntry &entry : entries)
                hits.append({dictionary->name(), asked, form, entry.headword, entry.definition});
        }
    }
    return hits;
}

QList<DictionaryHit> DictionaryShelf::lookUpWord(const QString &word)
{
    QList<DictionaryHit> hits = lookUpForm(word, word);
    if (!hits.isEmpty())
        return hits;
    if (language != stemmerLanguage) {
        stemmer = makeStemmer(language, hunspellFolders);
        stemmerLanguage = language;
    }
    if (!stemmer)
        return hits;
    QStringList forms = stemmer->stems(word);
    // Hunspell knows "Walked" only as "walked".
    if (forms.isEmpty() && word != word.toLower())
        forms = stemmer->stems(word.toLower());
    for (const QString &form : forms) {
        hits = lookUpForm(word, form);
        if (!hits.isEmpty())
            return hits;
    }
    return hits;
}

LookupResult DictionaryShelf::lookup(const QString &selection)
{
    waitLoaded();
    LookupResult result;
    result.word = cleanLookupText(selection);
    result.installed = int(dictionaries.size());
    for (const auto &dictionary : dictionaries) {
        if (!disabled.contains(dictionary->id()))
            ++result.enabled;
    }
    if (!result.word.isEmpty()) {
        // A phrase whole first, then its words one by one.
        result.hits = lookUpWord(result.word);
        // A selected paragraph is no phrase: its first few words are enough.
        const QStringList words = result.word.split(u' ').mid(0, kPhraseWords);
        if (result.hits.isEmpty() && words.size() > 1) {
            for (const QString &word : words) {
                const QString cleaned = cleanLookupText(word);
                if (!cleaned.isEmpty())
                    result.hits += lookUpWord(cleaned);
            }
        }
    }
    for (const auto &dictionary : dictionaries) {
        if (dictionary->failed() && !disabled.contains(dictionary->id()))
            result.skipped.append(dictionary->name() + QStringLiteral(": ") + dictionary->error());
    }
    return result;
}

QSet<QString> disabledDictionaries(const QString &stored)
{
    QSet<QString> off;
    for (const QString &item : stored.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = item.lastIndexOf(u'=');
        if (eq > 0 && item.mid(eq + 1).trimmed().compare(QLatin1String("off"), Qt::CaseInsensitive) == 0)
            off.insert(item.left(eq).trimmed());
    }
    return off;
}

QString storedDictionaryChoice(const QList<InstalledDictionary> &dictionaries)
{
    QStringList items;
    for (const InstalledDictionary &d : dictionaries)
        items.append(d.id + (d.enabled ? QStringLiteral("=on") : QStringLiteral("=off")));
    return items.join(u';');
}

QString lookupHint(const LookupResult &result)
{
    QStringList lines;
    if (result.installed == 0) {
        lines.append(QStringLiteral(
            "No dictionary is installed. Install dict-gcide (English), dict-wn (WordNet) or a "
            "dict-freedict-... pair such as dict-freedict-deu-eng, or put StarDict dictionaries "
            "into ~/.stardict/dic."));
    } else if (result.enabled == 0) {
        lines.append(QStringLiteral(
            "Every dictionary is switched off: Menu > General > Dictionaries."));
    }
    if (!result.skipped.isEmpty())
        lines.append(QStringLiteral("Skipped, damaged: ") + result.skipped.join(QStringLiteral("; ")));
    return lines.join(u'\n');
}
