#include "core/text/CompactText.h"

#include <QAnyStringView>
#include <QStringDecoder>
#include <QUtf8StringView>

#include <algorithm>
#include <cstring>

namespace {

qsizetype grownBy(const std::vector<qsizetype> &joins)
{
    qsizetype grown = 0;
    for (const qsizetype join : joins)
        grown += 2 - (join & 1);
    return grown;
}

// Puts back the CR LF pairs of one removal into text, from the end so that each unit moves once.
void undoJoins(QString &text, const std::vector<qsizetype> &joins)
{
    const qsizetype oldSize = text.size();
    const qsizetype newSize = oldSize + grownBy(joins);
    text.resize(newSize);
    char16_t *s = reinterpret_cast<char16_t *>(text.data());
    qsizetype from = oldSize; // the end of what is still to move, in the old text
    qsizetype to = newSize;
    for (auto it = joins.rbegin(); it != joins.rend(); ++it) {
        const qsizetype at = *it >> 1;
        const qsizetype after = at + (*it & 1); // a space in place of the break goes
        const qsizetype run = from - after;
        to -= run;
        std::memmove(s + to, s + after, size_t(run) * sizeof(char16_t));
        s[--to] = u'\n';
        s[--to] = u'\r';
        from = at;
    }
}

} // namespace

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

CompactText CompactText::sharing(const QString &text)
{
    CompactText shared;
    shared.wide = text;
    shared.isWide = true;
    shared.isShared = true;
    shared.length = text.size();
    return shared;
}

QString CompactText::toString() const
{
    if (isShared && !layers.empty()) {
        QString text = wide;
        text.detach();
        for (auto it = layers.rbegin(); it != layers.rend(); ++it)
            undoJoins(text, *it);
        return text;
    }
    if (isWide)
        return wide;
    // A byte-order mark at the start belongs to the text; fromUtf8 would drop it.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes());
}

QString CompactText::takeString()
{
    if (!(isShared && !layers.empty())) {
        const QString text = toString();
        *this = sharing(text);
        return text;
    }
    QString text = std::move(wide);
    wide = QString();
    // Unshared now unless the caller still holds it: then it is copied once, as it must be.
    for (auto it = layers.rbegin(); it != layers.rend(); ++it)
        undoJoins(text, *it);
    *this = sharing(text);
    return text;
}

bool CompactText::operator==(QStringView text) const
{
    if (text.size() != length)
        return false;
    if (isShared && !layers.empty())
        return text == QStringView(toString());
    if (isWide)
        return text == QStringView(wide);
    return QAnyStringView::equal(text, QUtf8StringView(bytes()));
}

qsizetype CompactText::storedBytes() const
{
    if (isShared) {
        qsizetype joins = 0;
        for (const auto &layer : layers)
            joins += qsizetype(layer.capacity() * sizeof(qsizetype));
        return joins;
    }
    return isWide ? wide.size() * qsizetype(sizeof(QChar)) : utf8Size;
}

bool CompactText::sharesData(const QString &working) const
{
    return isShared && !wide.isNull() && wide.constData() == working.constData() &&
           wide.size() == working.size();
}

void CompactText::releaseShared()
{
    wide = QString();
}

void CompactText::rebase(const QString &working, std::vector<qsizetype> joins)
{
    wide = working;
    if (!joins.empty())
        layers.push_back(std::move(joins));
}
