// The shared sort state and compare rule.
#include "gui/ListSorting.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace gui;

namespace {

std::vector<std::string> Captions(const std::vector<SortRow>& rows) {
    std::vector<std::string> captions;
    for (const SortRow& row : rows) captions.push_back(row.caption);
    return captions;
}

TEST(ListSorting, CompareTextTakesLowerAsUpperAsciiOnly) {
    EXPECT_EQ(CompareTextAscii("abc", "ABC"), 0);
    EXPECT_LT(CompareTextAscii("abc", "abd"), 0);
    EXPECT_LT(CompareTextAscii("ab", "abc"), 0);
    EXPECT_LT(CompareTextAscii("Z", "_"), 0);   // 'Z' 0x5A before '_' 0x5F
    EXPECT_LT(CompareTextAscii("z", "_"), 0);
    EXPECT_NE(CompareTextAscii("\xC3\xA9", "\xC3\x89"), 0);  // é and É differ
}

TEST(ListSorting, ClicksShareOneDirectionAcrossColumnsAndLists) {
    SortState state;
    EXPECT_FALSE(state.sortedOnce);
    EXPECT_TRUE(ClickColumn(state, 2).descending);  // first click sorts descending
    EXPECT_TRUE(state.sortedOnce);
    EXPECT_EQ(state.column, 2);
    EXPECT_FALSE(ClickColumn(state, 0).descending);  // another column: ascending
    EXPECT_TRUE(ClickColumn(state, 0).descending);
}

TEST(ListSorting, ColumnsSortByCaptionOrSubValue) {
    std::vector<SortRow> rows = {{1, "beta", {"2"}}, {2, "Alpha", {"3"}}, {3, "gamma", {"1"}}};
    SortRows(rows, 0, false);
    EXPECT_EQ(Captions(rows), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    SortRows(rows, 0, true);
    EXPECT_EQ(Captions(rows), (std::vector<std::string>{"gamma", "beta", "Alpha"}));
    SortRows(rows, 1, false);
    EXPECT_EQ(Captions(rows), (std::vector<std::string>{"gamma", "beta", "Alpha"}));
}

TEST(ListSorting, EmptyTextsBecomeABlankWhenCompared) {
    std::vector<SortRow> rows = {{1, "a", {"x", ""}}, {2, "", {"y", "z"}}};
    SortRows(rows, 2, false);
    EXPECT_EQ(rows[0].subItems[1], " ");
    SortRows(rows, 0, false);
    EXPECT_EQ(rows[0].caption, " ");
    // A single row is never compared and keeps its empty text.
    std::vector<SortRow> one = {{1, "", {}}};
    SortRows(one, 0, true);
    EXPECT_EQ(one[0].caption, "");
}

TEST(ListSorting, RowsWithoutTheSubValueCountAsEqual) {
    // Section headers without sub-values stay where the merge leaves them
    // and keep their texts; rows that have the value are ordered.
    std::vector<SortRow> rows = {{1, "[b]", {}}, {2, "k1", {"z"}}, {3, "k2", {"a"}}};
    SortRows(rows, 1, false);
    EXPECT_EQ(rows.size(), 3u);
    std::vector<std::string> keys;
    for (const SortRow& row : rows)
        if (!row.subItems.empty()) keys.push_back(row.caption);
    EXPECT_EQ(keys, (std::vector<std::string>{"k2", "k1"}));
}

TEST(ListSorting, MatchesAStableReferenceOnRandomLists) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<SortRow> rows;
        const int count = static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i) {
            std::string text(random() % 3, 'a');
            for (char& c : text) c = "aAbB_ "[random() % 6];
            rows.push_back({i, text.empty() ? "x" : text, {}});
        }
        const bool descending = random() % 2;
        std::vector<SortRow> expected = rows;
        std::stable_sort(expected.begin(), expected.end(), [&](const SortRow& a, const SortRow& b) {
            return descending ? CompareTextAscii(b.caption, a.caption) < 0 : CompareTextAscii(a.caption, b.caption) < 0;
        });
        SortRows(rows, 0, descending);
        for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].key, expected[i].key);
    }
}

}  // namespace
