#pragma once

#include "core/dict/Dictionary.h"

#include <optional>

// A dictd database: NAME.index (headword, offset, length; the numbers in dictd's base64) and
// NAME.dict.dz or NAME.dict.
class DictdDictionary : public Dictionary
{
public:
    DictdDictionary(const QString &folder, const QString &stem) : Dictionary(folder, stem) {}
    Format format() const override { return Format::Dictd; }

protected:
    bool readIndex(QString &error) override;
    QString definitionText(const QByteArray &data) const override;
};

// A number of a dictd index: base 64 with the digits A-Z a-z 0-9 + /, most significant first.
std::optional<quint64> decodeDictdNumber(QByteArrayView digits);
