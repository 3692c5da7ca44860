#include "DocumentFormats.h"

#include <QFileInfo>

QString upperExtension(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    return name.mid(dot).toUpper();
}

QString TrimDocumentText(const QString &text)
{
    qsizetype first = 0;
    const qsizetype n = text.size();
    while (first < n && (text[first] == u'\r' || text[first] == u'\n'))
        ++first;
    qsizetype last = n;
    while (last > first) {
        const QChar c = text[last - 1];
        if (c != u'\r' && c != u'\n' && c != u'\t' && c != u' ')
            break;
        --last;
    }
    return text.mid(first, last - first);
}

ConversionResult ConvertByExtension(const QByteArray &raw, const QString &upperExt)
{
    Q_UNUSED(upperExt);
    ConversionResult result;
    DecodedText decoded = decodeDocumentBytes(raw);
    result.encoding = decoded.encoding;
    result.encodingName = decoded.encodingName;
    result.text = TrimDocumentText(joinLinesWithCrLf(decoded.text));
    return result;
}
