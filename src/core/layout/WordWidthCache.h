#pragma once

#include "core/layout/TextMeasurer.h"

#include <QChar>
#include <QStringView>

#include <memory>

// Word advances of one font, kept between fits: a book repeats its words many times.
class WordWidthCache
{
public:
    WordWidthCache();
    ~WordWidthCache();
    double width(QStringView word, const TextMeasurer &measurer);
    // One BMP character by table: ideographic text is measured character by character.
    double charWidth(QChar c, const TextMeasurer &measurer);
    // A character without a script of its own (punctuation) takes its font from the script of
    // the text around it: its advance after `context`, a character of that script.
    double charWidthAfter(QChar c, QChar context, const TextMeasurer &measurer);
    void clear();
    qsizetype size() const;
    // Looks in base first and adds only what base lacks: threads of one fit share the widths
    // known before it read-only. base must not change while it is set.
    void setBase(const WordWidthCache *base);
    // Adds the widths of other that this cache lacks.
    void takeFrom(const WordWidthCache &other);

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};
