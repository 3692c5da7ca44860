#include "core/layout/Hyphenation.h"

#include "core/text/TextDecoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <hyphen.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <atomic>
#include <mutex>
#include <thread>

namespace {

constexpr char16_t kSoftHyphen = 0x00AD;

// Letters, their marks and the apostrophe inside a word ("don't", "l'homme").
bool isWordLetter(QChar c)
{
    return c.isLetter() || c.isMark() || c == u'\'' || c == u'\u2019';
}

// Opening and closing punctuation around a word's letters: quotes, brackets, commas, full stops.
bool isEdgePunctuation(QChar c)
{
    return c.isPunct() || c.isSymbol();
}

void freeReplacements(char **rep, int *pos, int *cut, int size)
{
    if (rep) {
        for (int i = 0; i < size; ++i)
            std::free(rep[i]);
        std::free(rep);
    }
    std::free(pos);
    std::free(cut);
}

} // namespace

QString defaultHyphenationFolder()
{
    return QStringLiteral("/usr/share/hyphen");
}

QString hyphenationDictionaryPath(QLocale::Language language, const QString &folder)
{
    if (language == QLocale::AnyLanguage || language == QLocale::C)
        return {};
    const QString code = QLocale::languageToCode(language, QLocale::ISO639Part1);
    if (code.isEmpty())
        return {};
    const QDir dir(folder);
    const QString plain = QStringLiteral("hyph_%1.dic").arg(code);
    if (dir.exists(plain))
        return dir.filePath(plain);
    // The language's own country first ("pt_PT" before "pt_BR"), then any.
    const QString home = QLocale::territoryToCode(QLocale(language).territory());
    const QString own = QStringLiteral("hyph_%1_%2.dic").arg(code, home);
    if (dir.exists(own))
        return dir.filePath(own);
    QStringList others = dir.entryList({QStringLiteral("hyph_%1_*.dic").arg(code)}, QDir::Files,
                                       QDir::Name);
    return others.isEmpty() ? QString() : dir.filePath(others.first());
}

QList<QLocale::Language> hyphenationLanguages(const QString &folder)
{
    QList<QLocale::Language> languages;
    const QStringList files =
        QDir(folder).entryList({QStringLiteral("hyph_*.dic")}, QDir::Files, QDir::Name);
    for (const QString &file : files) {
        const QString code = file.mid(5).section(u'.', 0, 0).section(u'_', 0, 0);
        const QLocale::Language language = QLocale::codeToLanguage(code, QLocale::ISO639Part1);
        if (language != QLocale::AnyLanguage && !languages.contains(language))
            languages << language;
    }
    return languages;
}

Hyphenator::Hyphenator(const QString &path) : dictionaryPath(path)
{
    // A new hyphenator may reuse a freed one's address: the threads' recent words are not its.
    static std::atomic<quint64> made = 0;
    serial = ++made;
    auto *d = hnj_hyphen_load(QFile::encodeName(path).constData());
    if (!d)
        return;
    dict = d;
    leftMin = std::max(2, int(d->lhmin));
    rightMin = std::max(3, int(d->rhmin));
    utf8 = d->utf8 != 0;
    if (!utf8) {
        // Every byte of the code page once; a letter outside it means the word is not hyphenated.
        const QByteArray codec(d->cset);
        for (int b = 0x20; b < 0x100; ++b) {
            QString decoded;
            if (decodeWithCodec(QByteArray(1, char(b)), codec, decoded) && decoded.size() == 1)
                singleByte.insert(decoded[0].unicode(), char(b));
        }
        if (singleByte.isEmpty()) {
            hnj_hyphen_free(d);
            dict = nullptr;
        }
    }
}

Hyphenator::~Hyphenator()
{
    if (dict)
        hnj_hyphen_free(static_cast<HyphenDict *>(dict));
}

qsizetype Hyphenator::cachedWords() const
{
    std::shared_lock lock(cacheLock);
    return cache.size();
}

const std::vector<qsizetype> &Hyphenator::points(QStringView word) const
{
    // Each thread remembers recent words without taking the lock: a fit asks for a word at
    // nearly every line end.
    struct Slot
    {
        QStringView word; // the cache's own key, which lives as long as the hyphenator
        const std::vector<qsizetype> *points = nullptr;
    };
    constexpr size_t kSlots = 4096;
    thread_local std::vector<Slot> recent;
    thread_local const Hyphenator *recentOwner = nullptr;
    thread_local quint64 recentSerial = 0;
    if (recentOwner != this || recentSerial != serial) {
        recent.assign(kSlots, Slot{});
        recentOwner = this;
        recentSerial = serial;
    }
    const size_t h = qHash(word);
    Slot &slot = recent[h % kSlots];
    if (slot.points && slot.word == word)
        return *slot.points;
    const std::vector<qsizetype> *found = nullptr;
    {
        // The text itself as the key: most words are looked up many times.
        const QString key = QString::fromRawData(word.data(), word.size());
        std::shared_lock lock(cacheLock);
        const auto it = cache.find(key);
        if (it != cache.end()) {
            found = &it->second;
            slot.word = it->first;
        }
    }
    if (!found) {
        std::vector<qsizetype> computed = computePoints(word);
        std::unique_lock lock(cacheLock);
        const auto it = cache.try_emplace(word.toString(), std::move(computed)).first;
        found = &it->second;
        slot.word = it->first;
    }
    slot.points = found;
    return *found;
}

bool Hyphenator::encode(QStringView letters, QByteArray &out) const
{
    if (utf8) {
        out = letters.toUtf8();
        return true;
    }
    out.resize(letters.size());
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const auto it = singleByte.constFind(letters[i].unicode());
        if (it == singleByte.constEnd())
            return false;
        out[i] = *it;
    }
    return true;
}

std::vector<qsizetype> Hyphenator::computePoints(QStringView word) const
{
    std::vector<qsizetype> result;
    const qsizetype n = word.size();
    if (word.contains(QChar(kSoftHyphen))) {
        // The writer's own points; a break after the last character would hide nothing.
        for (qsizetype i = 1; i + 1 < n; ++i)
            if (word[i].unicode() == kSoftHyphen)
                result.push_back(i + 1);
        return result;
    }
    if (!dict)
        return result;
    qsizetype from = 0;
    qsizetype to = n;
    while (from < to && isEdgePunctuation(word[from]))
        ++from;
    while (to > from && isEdgePunctuation(word[to - 1]))
        --to;
    const QStringView letters = word.mid(from, to - from);
    if (letters.size() < leftMin + rightMin)
        return result;
    bool hasLower = false;
    for (QChar c : letters) {
        if (!isWordLetter(c))
            return result; // digits, hyphens, "@", "/", ".": numbers, compounds, addresses
        hasLower |= c.isLower();
    }
    if (!hasLower)
        return result;
    // A surrogate pair would count as two characters below.
    if (std::any_of(letters.begin(), letters.end(), [](QChar c) { return c.isSurrogate(); }))
        return result;
    QByteArray bytes;
    if (!encode(letters.toString().toLower(), bytes))
        return result;
    const int size = int(bytes.size());
    std::vector<char> hyphens(size_t(size) + 5, 0);
    char **rep = nullptr;
    int *pos = nullptr;
    int *cut = nullptr;
    const int failed = hnj_hyphen_hyphenate2(static_cast<HyphenDict *>(dict), bytes.constData(),
                                             size, hyphens.data(), nullptr, &rep, &pos, &cut);
    if (failed == 0) {
        // hyphens[i] odd: a break after character i (UTF-8 patterns count characters, not bytes).
        const qsizetype count = letters.size();
        for (qsizetype i = leftMin - 1; i < count - rightMin; ++i) {
            if ((hyphens[size_t(i)] & 1) == 0)
                continue;
            // A break that changes the spelling ("Schiff-fahrt") is left out.
            if (rep && rep[i])
                continue;
            const QChar before = letters[i];
            const QChar after = letters[i + 1];
            if (before.isLetter() && (after.isLetter() || after.isMark()))
                result.push_back(from + i + 1);
        }
    }
    freeReplacements(rep, pos, cut, size);
    return result;
}

namespace {

// Pattern files read so far, by path, for the program's life.
struct PatternStore
{
    struct Entry
    {
        std::shared_ptr<const Hyphenator> hyphenator;
        bool loading = false;
        bool failed = false;
        std::vector<std::function<void()>> waiting;
    };
    std::mutex lock;
    std::map<QString, Entry> entries;
    std::vector<std::thread> loaders;

    ~PatternStore()
    {
        for (std::thread &t : loaders)
            t.join();
    }
};

PatternStore &store()
{
    static PatternStore s;
    return s;
}

// A file this small is read at once: English patterns take milliseconds.
constexpr qint64 kReadAtOnceBytes = 400'000;

} // namespace

std::shared_ptr<const Hyphenator> hyphenatorFor(QLocale::Language language, const QString &folder)
{
    const QString path = hyphenationDictionaryPath(language, folder);
    if (path.isEmpty())
        return {};
    PatternStore &s = store();
    std::unique_lock locker(s.lock);
    PatternStore::Entry &entry = s.entries[path];
    if (entry.hyphenator || entry.failed)
        return entry.hyphenator;
    // Read here even when a thread reads it too: the caller wants it now.
    locker.unlock();
    auto made = std::make_shared<Hyphenator>(path);
    locker.lock();
    if (!entry.hyphenator && !made->isValid())
        entry.failed = true;
    else if (!entry.hyphenator)
        entry.hyphenator = std::move(made);
    return entry.hyphenator;
}

std::shared_ptr<const Hyphenator> hyphenatorOrLoad(QLocale::Language language,
                                                   const std::function<void()> &ready,
                                                   const QString &folder)
{
    const QString path = hyphenationDictionaryPath(language, folder);
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).size() <= kReadAtOnceBytes)
        return hyphenatorFor(language, folder);
    PatternStore &s = store();
    std::lock_guard locker(s.lock);
    PatternStore::Entry &entry = s.entries[path];
    if (entry.hyphenator || entry.failed)
        return entry.hyphenator;
    if (ready)
        entry.waiting.push_back(ready);
    if (!entry.loading) {
        entry.loading = true;
        s.loaders.emplace_back([path] {
            auto made = std::make_shared<Hyphenator>(path);
            PatternStore &st = store();
            std::vector<std::function<void()>> calls;
            {
                std::lock_guard l(st.lock);
                PatternStore::Entry &e = st.entries[path];
                if (!e.hyphenator && made->isValid())
                    e.hyphenator = std::move(made);
                e.failed = !e.hyphenator;
                e.loading = false;
                calls.swap(e.waiting);
            }
            for (const auto &call : calls)
                call();
        });
    }
    return {};
}
