#include "core/layout/HangingIndents.h"

#include <gtest/gtest.h>

namespace {

class FixedMeasurer : public TextMeasurer
{
public:
    double advance(QStringView text) const override { return 10.0 * double(text.size()); }
    double tabStopDistance() const override { return 80; }
};

QStringList fittedLines(const QString &text, const QList<HangingIndent> &indents, double width,
                        std::vector<int> *drawn = nullptr)
{
    FitPieces pieces;
    cutIntoPieces(text, pieces);
    FixedMeasurer measurer;
    WordWidthCache cache;
    for (FitPiece &piece : pieces)
        if (piece.used())
            wrapPiece(piece, width, measurer, cache);
    fitHangingIndents(pieces, text, indents, width, measurer, cache);
    const int total = numberFittedLines(pieces);
    QStringList lines;
    for (int n = 1; n <= total; ++n)
        lines << FittedLine(pieces, n).toString();
    if (drawn)
        *drawn = hangingIndentsOfLines(pieces, text, indents, 1, total);
    return lines;
}

} // namespace

TEST(HangingIndents, LaterLinesOfAnIndentedLineAreFittedNarrowerAndDrawnIn)
{
    // Ten characters of 10 px a line; two ideographic spaces take 20 px off the later lines.
    const QString text = QStringLiteral(u"あいうえおかきくけこさしすせ\r\n"
                                        u"　　たちつてとなにぬねのはひふへほまみむめも\r\n"
                                        u"　やゆよらりるれろわをん");
    const qsizetype second = text.indexOf(u'\u3000');
    const qsizetype third = text.lastIndexOf(u'\u3000');
    const QString plain = QStringLiteral(u"あいうえおかきくけこ|さしすせ|　　たちつてとなにぬ|"
                                         u"ねのはひふへほまみむ|めも|　やゆよらりるれろわ|をん");
    const QString two = QStringLiteral(u"あいうえおかきくけこ|さしすせ|　　たちつてとなにぬ|"
                                       u"ねのはひふへほま|みむめも|　やゆよらりるれろわ|をん");
    const struct
    {
        const char *name;
        QList<HangingIndent> indents;
        QString lines; // joined by |
        std::vector<int> drawn;
    } cases[] = {
        {"no indent", {}, plain, {0, 0, 0, 0, 0, 0, 0}},
        {"two characters", {{second, 2}}, two, {0, 0, 0, 2, 2, 0, 0}},
        {"both lines", {{second, 2}, {third, 1}}, two, {0, 0, 0, 2, 2, 0, 1}},
        {"more asked than the line has", {{third, 4}}, plain, {0, 0, 0, 0, 0, 0, 1}},
        {"not a line start", {{second + 3, 2}}, plain, {0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto &c : cases) {
        std::vector<int> drawn;
        EXPECT_EQ(fittedLines(text, c.indents, 100.5, &drawn).join(u'|'), c.lines) << c.name;
        EXPECT_EQ(drawn, c.drawn) << c.name;
    }
}

TEST(HangingIndents, AnIndentedLineInAManyPieceBookKeepsEveryOtherLine)
{
    QString text;
    QList<HangingIndent> indents;
    for (int i = 0; i < 3000; ++i) {
        if (i % 7 == 3)
            indents.append({text.size(), 1});
        text += (i % 7 == 3 ? QStringLiteral(u"　") : QString()) +
                QStringLiteral(u"行%1の文章はここで続いてゆく。\r\n").arg(i);
    }
    text.chop(2);
    const QStringList plain = fittedLines(text, {}, 150.5);
    std::vector<int> drawn;
    const QStringList indented = fittedLines(text, indents, 150.5, &drawn);
    // Joined again the lines give the same text: nothing is lost or doubled.
    EXPECT_EQ(indented.join(QString()), plain.join(QString()));
    ASSERT_EQ(drawn.size(), size_t(indented.size()));
    int later = 0;
    for (qsizetype k = 0; k < indented.size(); ++k) {
        // A later line of an indented line has one character less room.
        EXPECT_LE(indented[k].size(), drawn[size_t(k)] > 0 ? 14 : 15) << k;
        later += drawn[size_t(k)];
    }
    EXPECT_EQ(later, 3000 / 7 + 1);
}
