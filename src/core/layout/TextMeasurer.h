#pragma once

#include <QStringView>

// Width of text in the page font, in pixels. The window supplies one built on the toolkit's font
// metrics; core tests use a fixed-advance fake.
class TextMeasurer
{
public:
    virtual ~TextMeasurer() = default;
    virtual double advance(QStringView text) const = 0;
    // Distance between tab stops of the page controls.
    virtual double tabStopDistance() const = 0;
    // The advance of a word of letters, digits and punctuation of the Latin, Greek and Cyrillic
    // blocks is exactly the sum of its characters' advances (no kerning, no shaping).
    virtual bool widthsAddUp() const { return false; }
};
