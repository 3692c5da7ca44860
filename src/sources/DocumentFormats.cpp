#include "DocumentFormats.h"

#include "RtfToText.h"
#include "TvxUtils.h"

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
    ConversionResult result;
    DecodedText decoded;
    if (upperExt == QLatin1String(".RTF")) {
        // Code pages come from the document's own control words.
        decoded.text = RtfToText(raw);
        decoded.encoding = TextEncoding::Windows1252;
    } else if (upperExt == QLatin1String(".HTM") || upperExt == QLatin1String(".HTML")) {
        decoded = decodeHtmlBytes(raw);
        decoded.text = HtmlToText(decoded.text);
    } else {
        decoded = decodeDocumentBytes(raw);
    }
    // Preformatted HTML and RTF can carry bare LF breaks; the reader's lines end in CR LF.
    decoded.text = joinLinesWithCrLf(decoded.text);
    result.encoding = decoded.encoding;
    result.encodingName = decoded.encodingName;
    result.text = TrimDocumentText(decoded.text);
    return result;
}
