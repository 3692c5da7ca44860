#include "core/dict/HeadwordTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

// Headwords added in the file's order, which need not be the table's: after finish() every
// entry is found by its folded word, and the entries of one word keep the order they came in.
TEST(HeadwordTableTest, FindsEveryEntryInFileOrderWhateverTheAddingOrder)
{
    struct Case
    {
        const char *name;
        int words;
        bool sortedAlready;
    };
    const Case cases[] = {
        {"one word", 1, false},
        {"shuffled, with repeats and cases", 5000, false},
        {"sorted already", 300, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937 random(7);
        std::vector<std::string> added;
        for (int i = 0; i < c.words; ++i) {
            std::string word;
            const int length = 1 + int(random() % 9);
            for (int k = 0; k < length; ++k)
                // Few letters, so that words repeat, some in capitals.
                word += char((random() % 3 == 0 ? 'A' : 'a') + random() % 6);
            added.push_back(word);
        }
        if (c.sortedAlready) {
            for (std::string &word : added)
                word = foldHeadword(QByteArray::fromStdString(word)).toStdString();
            std::sort(added.begin(), added.end());
        }
        HeadwordTable table;
        for (size_t i = 0; i < added.size(); ++i)
            table.add(QByteArray::fromStdString(added[i]), quint64(i), quint32(i));
        table.finish();
        ASSERT_EQ(table.size(), qsizetype(added.size()));
        // Each folded word, asked for as it was first written, with the entries it must find.
        std::map<QByteArray, std::pair<std::string, std::vector<quint64>>> words;
        for (size_t i = 0; i < added.size(); ++i) {
            auto &word = words[foldHeadword(QByteArray::fromStdString(added[i]))];
            word.first = word.first.empty() ? added[i] : word.first;
            word.second.push_back(i);
        }
        for (const auto &[folded, word] : words) {
            std::vector<quint64> found;
            for (const HeadwordTable::Entry &e : table.find(QByteArray::fromStdString(word.first))) {
                found.push_back(e.offset);
                EXPECT_EQ(e.length, quint32(e.offset)); // the entry moved whole
                EXPECT_EQ(table.headword(e).toStdString(), added[size_t(e.offset)]);
            }
            ASSERT_EQ(found, word.second) << word.first;
        }
    }
}

} // namespace
