#include "core/speech/SpeechLanguage.h"

#include <QSet>

#include <algorithm>
#include <map>

namespace {

QLocale::Language mainLanguageOf(QChar::Script script)
{
    switch (script) {
    case QChar::Script_Latin:
        return QLocale::English;
    case QChar::Script_Cyrillic:
        return QLocale::Russian;
    case QChar::Script_Greek:
        return QLocale::Greek;
    case QChar::Script_Arabic:
        return QLocale::Arabic;
    case QChar::Script_Hebrew:
        return QLocale::Hebrew;
    case QChar::Script_Han:
        return QLocale::Chinese;
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
        return QLocale::Japanese;
    case QChar::Script_Hangul:
        return QLocale::Korean;
    case QChar::Script_Thai:
        return QLocale::Thai;
    case QChar::Script_Devanagari:
        return QLocale::Hindi;
    case QChar::Script_Bengali:
        return QLocale::Bengali;
    case QChar::Script_Tamil:
        return QLocale::Tamil;
    case QChar::Script_Telugu:
        return QLocale::Telugu;
    case QChar::Script_Georgian:
        return QLocale::Georgian;
    case QChar::Script_Armenian:
        return QLocale::Armenian;
    case QChar::Script_Ethiopic:
        return QLocale::Amharic;
    case QChar::Script_Khmer:
        return QLocale::Khmer;
    case QChar::Script_Lao:
        return QLocale::Lao;
    case QChar::Script_Myanmar:
        return QLocale::Burmese;
    default:
        return QLocale::AnyLanguage;
    }
}

QChar::Script scriptOfLocale(const QLocale &locale)
{
    switch (locale.script()) {
    case QLocale::LatinScript:
        return QChar::Script_Latin;
    case QLocale::CyrillicScript:
        return QChar::Script_Cyrillic;
    case QLocale::GreekScript:
        return QChar::Script_Greek;
    case QLocale::ArabicScript:
        return QChar::Script_Arabic;
    case QLocale::HebrewScript:
        return QChar::Script_Hebrew;
    case QLocale::SimplifiedHanScript:
    case QLocale::TraditionalHanScript:
        return QChar::Script_Han;
    case QLocale::DevanagariScript:
        return QChar::Script_Devanagari;
    default:
        return QChar::Script_Unknown;
    }
}

} // namespace

QLocale::Language guessBookLanguage(QStringView text, const QLocale &desktop)
{
    // Eight stretches spread over the book.
    constexpr qsizetype kStretch = 4096;
    constexpr int kStretches = 8;
    std::map<QChar::Script, qsizetype> letters;
    const qsizetype n = text.size();
    const qsizetype step = std::max<qsizetype>(n / kStretches, kStretch);
    for (qsizetype from = 0; from < n; from += step) {
        const qsizetype to = std::min(n, from + kStretch);
        for (qsizetype i = from; i < to; ++i) {
            char32_t c = text[i].unicode();
            if (text[i].isHighSurrogate() && i + 1 < to && text[i + 1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(text[i], text[i + 1]);
                ++i;
            }
            if (QChar::isLetter(c))
                ++letters[QChar::script(c)];
        }
    }
    if (letters.empty())
        return desktop.language();
    // Japanese writes Han with kana around it.
    const qsizetype kana = letters[QChar::Script_Hiragana] + letters[QChar::Script_Katakana];
    letters[QChar::Script_Han] += kana;
    const auto top =
        std::max_element(letters.begin(), letters.end(),
                         [](const auto &a, const auto &b) { return a.second < b.second; });
    const QChar::Script script = top->first;
    if (script == QChar::Script_Han && kana * 10 >= top->second)
        return QLocale::Japanese;
    if (script == scriptOfLocale(desktop) && desktop.language() != QLocale::C)
        return desktop.language();
    const QLocale::Language main = mainLanguageOf(script);
    return main == QLocale::AnyLanguage ? desktop.language() : main;
}

bool voiceSpeaks(const SpeakerVoice &voice, QLocale::Language language)
{
    const QLocale::Language own = voice.locale.language();
    if (own != QLocale::C && own != QLocale::AnyLanguage)
        return own == language;
    return voice.name.startsWith(QLocale::languageToString(language), Qt::CaseInsensitive);
}

QStringList voiceChoices(const QList<SpeakerVoice> &voices, QLocale::Language language)
{
    QStringList choices;
    QSet<QString> taken;
    for (const SpeakerVoice &voice : voices) {
        if (voiceSpeaks(voice, language) && !taken.contains(voice.name)) {
            choices << voice.name;
            taken.insert(voice.name);
        }
    }
    QSet<QString> languages; // one voice each: an engine may have a hundred variants of each
    for (const SpeakerVoice &voice : voices) {
        const bool known = voice.locale.language() != QLocale::C &&
                           voice.locale.language() != QLocale::AnyLanguage;
        const QString key = known ? voice.locale.name() : voice.name.section(u'+', 0, 0);
        if (taken.contains(voice.name) || languages.contains(key))
            continue;
        languages.insert(key);
        taken.insert(voice.name);
        choices << voice.name;
    }
    return choices;
}

QString automaticVoice(const QList<SpeakerVoice> &voices, QLocale::Language language)
{
    // The language's own country first ("English" is the United States' as Qt sees it), and a
    // plain voice before its variants ("German+Max").
    const QLocale::Territory home = QLocale(language).territory();
    QString best;
    int bestScore = -1;
    for (const SpeakerVoice &voice : voices) {
        if (!voiceSpeaks(voice, language))
            continue;
        const int score =
            (voice.locale.territory() == home ? 2 : 0) + (voice.name.contains(u'+') ? 0 : 1);
        if (score > bestScore) {
            best = voice.name;
            bestScore = score;
        }
    }
    return best;
}

double speechRate(int stored)
{
    return std::clamp(stored, -10, 10) / 10.0;
}
