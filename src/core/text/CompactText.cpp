#include "core/text/CompactText.h"

#include <QAnyStringView>
#include <QStringDecoder>
#include <QUtf8StringView>

#include <algorithm>

CompactText::CompactText(QStringView text) : length(text.size())
{
    if (text.isValidUtf16()) {
        utf8 = text.toUtf8();
        utf8Size = utf8.size();
    } else {
        wide = text.toString();
        isWide = true;
    }
}

CompactText CompactText::fromUtf8(const QByteArray &utf8, qsizetype utf8Size, qsizetype length)
{
    CompactText text;
    text.utf8 = utf8;
    text.utf8Size = std::clamp<qsizetype>(utf8Size, 0, utf8.size());
    text.length = length;
    return text;
}

QString CompactText::toString() const
{
    if (isWide)
        return wide;
    // A byte-order mark at the start belongs to the text; fromUtf8 would drop it.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes());
}

bool CompactText::operator==(QStringView text) const
{
    if (text.size() != length)
        return false;
    if (isWide)
        return text == QStringView(wide);
    return QAnyStringView::equal(text, QUtf8StringView(bytes()));
}

qsizetype CompactText::storedBytes() const
{
    return isWide ? wide.size() * qsizetype(sizeof(QChar)) : utf8Size;
}
