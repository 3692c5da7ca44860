#pragma once

#include "core/dict/Dictionary.h"

#include <QHash>

// A StarDict dictionary: NAME.ifo (its description), NAME.idx or NAME.idx.gz (headword,
// offset, size), an optional NAME.syn (other words for an entry) and NAME.dict(.dz).
class StarDictDictionary : public Dictionary
{
public:
    StarDictDictionary(const QString &folder, const QString &stem) : Dictionary(folder, stem) {}
    Format format() const override { return Format::StarDict; }

protected:
    bool readIndex(QString &error) override;
    QString definitionText(const QByteArray &data) const override;

private:
    bool readIfo(QHash<QString, QString> &ifo, QString &error);
    QString sameTypeSequence;
};

// The text of a StarDict entry's fields: plain, phonetic and marked-up text (markup and
// entities taken out); pictures, sounds and resource lists left out.
QString starDictEntryText(const QByteArray &data, const QString &sameTypeSequence);
