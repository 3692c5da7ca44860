#include "core/dict/WordForms.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#ifdef TAVOLEX_HAVE_HUNSPELL
#include <hunspell.h>
#endif

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c.isMark();
}

bool isJoiner(QChar c)
{
    return c == u'\'' || c == u'\u2019' || c == u'-' || c == u'\u2010';
}

bool isVowel(QChar c)
{
    return QStringView(u"aeiou").contains(c);
}

class EnglishRules : public Stemmer
{
public:
    QStringList stems(const QString &word) override { return englishBaseForms(word); }
};

#ifdef TAVOLEX_HAVE_HUNSPELL
class HunspellStemmer : public Stemmer
{
public:
    HunspellStemmer(const QString &aff, bool english)
        : english(english)
    {
        const QByteArray affPath = QFile::encodeName(aff);
        const QByteArray dicPath = QFile::encodeName(aff.chopped(4) + QStringLiteral(".dic"));
        handle = Hunspell_create(affPath.constData(), dicPath.constData());
        const QByteArray encoding = Hunspell_get_dic_encoding(handle);
        encoder = QStringEncoder(encoding.constData());
        decoder = QStringDecoder(encoding.constData());
        if (!encoder.isValid() || !decoder.isValid()) {
            encoder = QStringEncoder(QStringEncoder::Utf8);
            decoder = QStringDecoder(QStringDecoder::Utf8);
        }
    }
    ~HunspellStemmer() override { Hunspell_destroy(handle); }

    QStringList stems(const QString &word) override
    {
        QStringList found;
        const QByteArray encoded = encoder(word);
        char **list = nullptr;
        const int n = Hunspell_stem(handle, &list, encoded.constData());
        for (int i = 0; i < n; ++i) {
            const QString stem = decoder(QByteArray(list[i]));
            if (stem.compare(word, Qt::CaseInsensitive) != 0 && !found.contains(stem))
                found.append(stem);
        }
        if (n > 0)
            Hunspell_free_list(handle, &list, n);
        // Words Hunspell does not know still have endings.
        if (english && found.isEmpty())
            found = englishBaseForms(word);
        return found;
    }

private:
    Hunhandle *handle = nullptr;
    bool english = false;
    QStringEncoder encoder;
    QStringDecoder decoder;
};
#endif

} // namespace

QString cleanLookupText(const QString &selection)
{
    QString text = selection;
    for (QChar &c : text) {
        if (c.isSpace() || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u' ';
    }
    text = text.simplified();
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && !isWordChar(text[first]))
        ++first;
    while (last > first && !isWordChar(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

QString wordAt(const QString &text, qsizetype pos)
{
    if (pos < 0 || pos >= text.size())
        return QString();
    const auto inWord = [&](qsizetype i) {
        if (i < 0 || i >= text.size())
            return false;
        if (isWordChar(text[i]))
            return true;
        return isJoiner(text[i]) && i > 0 && i + 1 < text.size() && isWordChar(text[i - 1]) &&
               isWordChar(text[i + 1]);
    };
    if (!inWord(pos))
        return QString();
    qsizetype start = pos;
    while (inWord(start - 1))
        --start;
    qsizetype end = pos + 1;
    while (inWord(end))
        ++end;
    return text.mid(start, end - start);
}

QStringList englishBaseForms(const QString &word)
{
    QStringList forms;
    const auto add = [&](const QString &form) {
        if (form.size() >= 2 && form != word && !forms.contains(form))
            forms.append(form);
    };
    const QString w = word;
    const auto ends = [&](QStringView tail) { return w.endsWith(tail, Qt::CaseInsensitive); };
    if (ends(u"'s") || ends(u"\u2019s")) {
        add(w.chopped(2));
        return forms;
    }
    if (ends(u"ies") && w.size() > 4) {
        add(w.chopped(3) + u'y');
    } else if (ends(u"es") && w.size() > 3) {
        add(w.chopped(2));
        add(w.chopped(1));
    } else if (ends(u"s") && !ends(u"ss") && w.size() > 3) {
        add(w.chopped(1));
    }
    if (ends(u"ied") && w.size() > 4) {
        add(w.chopped(3) + u'y');
    } else if (ends(u"ed") && w.size() > 3) {
        const QString stem = w.chopped(2);
        // stopped -> stop, loved -> love, walked -> walk
        if (stem.size() >= 2 && stem[stem.size() - 1] == stem[stem.size() - 2] &&
            !isVowel(stem.back().toLower()))
            add(stem.chopped(1));
        add(stem);
        add(w.chopped(1));
    }
    if (ends(u"ing") && w.size() > 4) {
        const QString stem = w.chopped(3);
        if (stem.size() >= 2 && stem[stem.size() - 1] == stem[stem.size() - 2] &&
            !isVowel(stem.back().toLower()))
            add(stem.chopped(1));
        add(stem);
        add(stem + u'e');
    }
    return forms;
}

QString hunspellDictionaryFor(QLocale::Language language, const QStringList &folders)
{
    if (language == QLocale::AnyLanguage || language == QLocale::C)
        return QString();
    const QString preferred = QLocale(language).name(); // en_US
    const QString code = QLocale::languageToCode(language);
    QString fallback;
    for (const QString &folder : folders) {
        const QDir dir(folder);
        if (QFileInfo::exists(dir.filePath(preferred + QStringLiteral(".aff"))))
            return dir.filePath(preferred + QStringLiteral(".aff"));
        if (!fallback.isEmpty())
            continue;
        const QStringList affs = dir.entryList({code + QStringLiteral("_*.aff"),
                                                code + QStringLiteral(".aff")},
                                               QDir::Files, QDir::Name);
        if (!affs.isEmpty())
            fallback = dir.filePath(affs.first());
    }
    return fallback;
}

std::unique_ptr<Stemmer> makeStemmer(QLocale::Language language, const QStringList &hunspellFolders)
{
    const bool english = language == QLocale::English;
#ifdef TAVOLEX_HAVE_HUNSPELL
    const QString aff = hunspellDictionaryFor(language, hunspellFolders);
    if (!aff.isEmpty() && QFileInfo::exists(aff.chopped(4) + QStringLiteral(".dic")))
        return std::make_unique<HunspellStemmer>(aff, english);
#else
    Q_UNUSED(hunspellFolders);
#endif
    if (english)
        return std::make_unique<EnglishRules>();
    return nullptr;
}
