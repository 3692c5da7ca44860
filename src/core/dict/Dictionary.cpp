#include "core/dict/Dictionary.h"

#include <QFileInfo>
#include <QRegularExpression>

Dictionary::Dictionary(const QString &folder, const QString &stem)
    : folder(folder), stem(stem), language(languageOfDictionaryName(stem))
{
}

bool Dictionary::open()
{
    QString error;
    if (!readIndex(error)) {
        failure = error.isEmpty() ? QStringLiteral("unreadable") : error;
        return false;
    }
    table.finish();
    // An index pointing past the definitions is a damaged pair of files, found here rather
    // than at the first lookup that meets it.
    for (const HeadwordTable::Entry &entry : table.entries()) {
        if (entry.offset > data.size() || entry.length > data.size() - entry.offset) {
            failure = QStringLiteral("the index points past the definitions (\"%1\")")
                          .arg(table.headword(entry));
            return false;
        }
    }
    return true;
}

bool Dictionary::openData(QString &error)
{
    for (const QString &suffix : {QStringLiteral(".dict.dz"), QStringLiteral(".dict")}) {
        if (QFileInfo::exists(path(suffix)))
            return data.open(path(suffix), error);
    }
    error = QStringLiteral("no .dict or .dict.dz file");
    return false;
}

QList<DictEntry> Dictionary::lookup(const QString &word)
{
    QList<DictEntry> found;
    if (failed())
        return found;
    for (const HeadwordTable::Entry &entry : table.find(word.toUtf8())) {
        QString error;
        const auto bytes = data.read(entry.offset, entry.length, error);
        if (!bytes) {
            failure = error;
            return {};
        }
        found.append({table.headword(entry), definitionText(*bytes)});
    }
    return found;
}

QLocale::Language languageOfDictionaryName(const QString &name)
{
    static const QRegularExpression pair(
        QStringLiteral("(?:^|[-_.])([a-z]{2,3})[-_]([a-z]{2,3})(?:$|[-_.])"));
    const QString lower = name.toLower();
    if (const auto match = pair.match(lower); match.hasMatch()) {
        const QString code = match.captured(1);
        const QLocale::Language language = QLocale::codeToLanguage(code);
        if (language != QLocale::AnyLanguage)
            return language;
    }
    static const QStringList english = {
        QStringLiteral("gcide"),    QStringLiteral("wn"),          QStringLiteral("moby-thesaurus"),
        QStringLiteral("jargon"),   QStringLiteral("foldoc"),      QStringLiteral("devil"),
        QStringLiteral("vera"),     QStringLiteral("elements"),    QStringLiteral("easton"),
        QStringLiteral("hitchcock"), QStringLiteral("world02"),    QStringLiteral("bouvier"),
        QStringLiteral("web1913"),  QStringLiteral("wordnet")};
    for (const QString &known : english) {
        if (lower == known || lower.startsWith(known + u'-') || lower.startsWith(known + u'_'))
            return QLocale::English;
    }
    return QLocale::AnyLanguage;
}
