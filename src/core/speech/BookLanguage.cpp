#include "core/speech/BookLanguage.h"

#include "core/speech/SpeechLanguage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include <textcat.h>

#include <algorithm>
#include <map>

namespace {

const QString kDefaultFingerprints = QStringLiteral("/usr/share/libexttextcat/fpdb.conf");

// Scripts shared by enough languages that the letters must decide.
bool sharedScript(QLocale::Language language)
{
    const QLocale::Script script = QLocale(language).script();
    return script == QLocale::LatinScript || script == QLocale::CyrillicScript ||
           script == QLocale::ArabicScript;
}

// One classifier per fingerprint file, for the program's life: loading reads 170 files.
void *classifierFor(const QString &conf)
{
    // Freed at exit, so that a leak check sees only what is really lost.
    struct Classifiers
    {
        std::map<QString, void *> byConf;
        ~Classifiers()
        {
            for (const auto &[conf, handle] : byConf) {
                if (handle)
                    textcat_Done(handle);
            }
        }
    };
    static QMutex lock;
    static Classifiers classifiers;
    std::map<QString, void *> &loaded = classifiers.byConf;
    QMutexLocker locker(&lock);
    const auto it = loaded.find(conf);
    if (it != loaded.end())
        return it->second;
    void *handle = nullptr;
    if (QFile::exists(conf)) {
        const QByteArray prefix = QFile::encodeName(QFileInfo(conf).absolutePath() + u'/');
        handle = special_textcat_Init(QFile::encodeName(conf).constData(), prefix.constData());
    }
    loaded[conf] = handle;
    return handle;
}

// Stretches of whole lines from several places of the text: an English preface or a licence at
// the end does not decide alone.
QByteArray sampleOf(QStringView text)
{
    constexpr qsizetype kStretch = 2048;
    constexpr int kStretches = 8;
    const qsizetype n = text.size();
    QString sample;
    const qsizetype step = std::max<qsizetype>(n / kStretches, kStretch);
    for (qsizetype from = n > kStretch * kStretches ? step / 2 : 0; from < n; from += step) {
        qsizetype start = from;
        while (start > 0 && start > from - 200 && text[start - 1] != u'\n')
            --start;
        sample += text.mid(start, std::min(kStretch, n - start));
        sample += u'\n';
    }
    return sample.toUtf8();
}

// Letters Russian does not have: the fingerprints take Ukrainian for Russian too often.
QLocale::Language ukrainianOrRussian(const QByteArray &sample)
{
    const QString text = QString::fromUtf8(sample);
    qsizetype cyrillic = 0;
    qsizetype ukrainian = 0;
    for (QChar c : text) {
        const char16_t u = c.toLower().unicode();
        cyrillic += u >= 0x0430 && u <= 0x045F;
        ukrainian += u == 0x0456 || u == 0x0457 || u == 0x0454 || u == 0x0491;
    }
    return ukrainian * 100 > cyrillic ? QLocale::Ukrainian : QLocale::Russian;
}

} // namespace

QLocale::Language guessBookLanguageFromText(QStringView text, const QLocale &desktop,
                                            const QString &fingerprints)
{
    const QLocale::Language byScript = guessBookLanguage(text, desktop);
    if (!sharedScript(byScript))
        return byScript;
    void *classifier = classifierFor(fingerprints.isEmpty() ? kDefaultFingerprints : fingerprints);
    if (!classifier)
        return byScript;
    const QByteArray sample = sampleOf(text);
    const QString result =
        QString::fromLatin1(textcat_Classify(classifier, sample.constData(), sample.size()));
    // "[de--utf8][nl--utf8]": the best first; "UNKNOWN" or "SHORT" when undecided.
    if (!result.startsWith(u'['))
        return byScript;
    const QString code = result.mid(1).section(u']', 0, 0).section(u'-', 0, 0);
    QLocale::Language found = QLocale::codeToLanguage(code);
    if (found == QLocale::Russian)
        found = ukrainianOrRussian(sample);
    if (found == QLocale::AnyLanguage)
        return byScript;
    // The guess must agree with the script: fingerprints of a Latin text never say Russian.
    return QLocale(found).script() == QLocale(byScript).script() ? found : byScript;
}

QString languageSetting(QLocale::Language language)
{
    if (language == QLocale::AnyLanguage || language == QLocale::C)
        return {};
    return QLocale::languageToCode(language);
}

QLocale::Language languageFromSetting(const QString &value)
{
    if (value.trimmed().isEmpty())
        return QLocale::AnyLanguage;
    const QLocale::Language language = QLocale::codeToLanguage(value.trimmed());
    return language == QLocale::C ? QLocale::AnyLanguage : language;
}

QList<QLocale::Language> languageChoices(const QList<QLocale::Language> &withPatterns,
                                         const QList<QLocale::Language> &withVoices)
{
    QList<QLocale::Language> all;
    for (const auto &list : {withPatterns, withVoices}) {
        for (QLocale::Language language : list) {
            if (language != QLocale::AnyLanguage && language != QLocale::C &&
                !all.contains(language))
                all << language;
        }
    }
    std::sort(all.begin(), all.end(), [](QLocale::Language a, QLocale::Language b) {
        return QLocale::languageToString(a) < QLocale::languageToString(b);
    });
    return all;
}

QString languageCaption(QLocale::Language language, bool hasPatterns)
{
    const QString name = QLocale::languageToString(language);
    return hasPatterns ? name : name + QStringLiteral(" (not hyphenated)");
}
