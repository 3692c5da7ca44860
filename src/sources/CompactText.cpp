#include "CompactText.h"

#include <QAnyStringView>
#include <QStringDecoder>
#include <QUtf8StringView>

CompactText::CompactText(QStringView text) : length(text.size())
{
    if (text.isValidUtf16()) {
        utf8 = text.toUtf8();
    } else {
        wide = text.toString();
        isWide = true;
    }
}

QString CompactText::toString() const
{
    if (isWide)
        return wide;
    // A byte-order mark at the start belongs to the text; fromUtf8 would drop it.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(utf8);
}

bool CompactText::operator==(QStringView text) const
{
    if (text.size() != length)
        return false;
    if (isWide)
        return text == QStringView(wide);
    return QAnyStringView::equal(text, QUtf8StringView(utf8));
}

qsizetype CompactText::storedBytes() const
{
    return isWide ? wide.size() * qsizetype(sizeof(QChar)) : utf8.size();
}
