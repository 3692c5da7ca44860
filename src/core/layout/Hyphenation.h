#pragma once

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <memory>
#include <shared_mutex>
#include <unordered_map>
#include <vector>

// Where Debian's hyphen-* packages put their patterns.
QString defaultHyphenationFolder();

// The pattern file for a language in folder ("hyph_de_DE.dic" for German); empty when there is
// none.
QString hyphenationDictionaryPath(QLocale::Language language,
                                  const QString &folder = defaultHyphenationFolder());

// Languages with a pattern file in folder, in no particular order.
QList<QLocale::Language> hyphenationLanguages(const QString &folder = defaultHyphenationFolder());

// Hyphenation points of words by the patterns of one language. The patterns are only read after
// loading; points() may be called from several threads at once.
class Hyphenator
{
public:
    explicit Hyphenator(const QString &dictionaryPath);
    ~Hyphenator();
    Hyphenator(const Hyphenator &) = delete;
    Hyphenator &operator=(const Hyphenator &) = delete;

    // False when the file could not be read; such a hyphenator only knows soft hyphens.
    bool isValid() const { return dict != nullptr; }
    const QString &path() const { return dictionaryPath; }

    // Positions inside a word as it stands between blanks ("(Beispiel,") after which it may
    // break with a hyphen drawn, ascending. A word holding soft hyphens breaks only after them.
    // No points for words with digits, hyphens, slashes or "@", for words without a small letter,
    // and none nearer the word's letters' ends than the patterns' minimum (at least 2 and 3).
    // The reference stays valid for the hyphenator's life.
    const std::vector<qsizetype> &points(QStringView word) const;

    // Words looked up so far, for measuring.
    qsizetype cachedWords() const;

private:
    std::vector<qsizetype> computePoints(QStringView word) const;
    bool encode(QStringView letters, QByteArray &out) const;

    QString dictionaryPath;
    void *dict = nullptr; // HyphenDict, kept out of this header
    int leftMin = 2;
    int rightMin = 3;
    bool utf8 = false;
    QHash<char16_t, char> singleByte; // the patterns' code page, for a non-UTF-8 file

    struct KeyHash
    {
        size_t operator()(const QString &s) const noexcept { return qHash(s); }
    };
    quint64 serial = 0; // unique among the program's hyphenators
    mutable std::shared_mutex cacheLock;
    // Nodes do not move when the table grows: points() hands out references into it.
    mutable std::unordered_map<QString, std::vector<qsizetype>, KeyHash> cache;
};

// The shared hyphenator of a language; null when no patterns are installed for it. Loaded once
// and kept for the program's life.
std::shared_ptr<const Hyphenator> hyphenatorFor(QLocale::Language language,
                                                const QString &folder = defaultHyphenationFolder());

// As hyphenatorFor, but a large pattern file (German's takes seconds) is read on a thread of its
// own: null until it is read, and then ready() is called once on that thread. Null without a
// call for a language without patterns.
std::shared_ptr<const Hyphenator>
hyphenatorOrLoad(QLocale::Language language, const std::function<void()> &ready,
                 const QString &folder = defaultHyphenationFolder());
