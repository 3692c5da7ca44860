#include "core/layout/RawLineBounds.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Every character 10 pixels wide.
class EvenMeasurer : public TextMeasurer
{
public:
    double advance(QStringView text) const override { return 10.0 * text.size(); }
    double tabStopDistance() const override { return 80; }
};

} // namespace

TEST(RawLineBoundsTest, OnlyALineThatIsAWholeRawLineIsWhole)
{
    // 20 characters a line: the first raw line wraps so that "200" stands alone.
    const QString text = QStringLiteral("In the chest lay the treasure 200\r\n"
                                        "    Chapter 3\r\n"
                                        "\r\n"
                                        "Supercalifragilisticexpialidocious\r\n"
                                        "End");
    auto pieces = std::make_unique<FitPieces>();
    EvenMeasurer m;
    WordWidthCache cache;
    cutIntoPieces(text, *pieces);
    for (FitPiece &p : *pieces)
        if (p.used())
            wrapPiece(p, 200, m, cache);
    const int total = numberFittedLines(*pieces);
    struct Expect
    {
        const char *line;
        bool whole;
    };
    const Expect expected[] = {
        {"In the chest lay the", false},
        {"treasure 200", false},
        {"    Chapter 3", true},
        {"", true},
        {"Supercalifragilistic", false},
        {"expialidocious", false},
        {"End", true},
    };
    ASSERT_EQ(total, static_cast<int>(std::size(expected)));
    for (int n = 1; n <= total; ++n) {
        EXPECT_EQ(FittedLine(*pieces, n).toString(), QString::fromUtf8(expected[n - 1].line));
        EXPECT_EQ(FittedLineIsWholeRawLine(*pieces, n), expected[n - 1].whole) << n;
    }
}
