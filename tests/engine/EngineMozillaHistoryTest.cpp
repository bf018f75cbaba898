// Firefox's history file read into host groups (pure text): grouping, flags,
// count texts, host names from the dictionary, and texts that are not
// history files.
#include "formats/MozillaHistoryFile.h"

#include "MozillaSeeds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::MozillaHistoryText;
using testing_support::MozillaRow;

namespace {

const std::string kNotHidden(11, ' ');

// The groups as "count|key|name|page type" lines, in order.
std::vector<std::string> Groups(const std::string& text) {
    std::vector<std::string> lines;
    for (const MozillaHostName& group : ParseMozillaHistory(text))
        lines.push_back(std::to_string(group.count) + "|" + group.hostKey + "|" + group.hostName + "|" +
                        group.pageType);
    return lines;
}

const std::string kEntries = "(90=http://www.example.com/)(91=www.example.com)(92=1161234567000000)"
                             "(93=1161234999000000)(94=news.example.org)";

TEST(MozillaHistoryFile, RowsOfTheFile) {
    const struct {
        const char* what;
        std::string entries;
        std::vector<std::string> rows;
        std::vector<std::string> groups;
    } cases[] = {
        {"three rows of one host, the first hidden",
         kEntries,
         {MozillaRow("1", "91", "92", "93", true), MozillaRow("2", "91"), MozillaRow("3", "91")},
         {"3|91|www.example.com|[Hiden]"}},
        {"a hidden cell of another value is not hidden",
         kEntries,
         {"[1(^88^91)(^89=10)]", "[2(^88^94)(^89=0)]"},
         {"1|91|www.example.com|" + kNotHidden, "1|94|news.example.org|" + kNotHidden}},
        {"equal visit references flash, after the hidden text",
         kEntries,
         {MozillaRow("1", "91", "92", "92", true), MozillaRow("2", "94", "93", "93")},
         {"1|91|www.example.com|[Hiden][Flash]", "1|94|news.example.org|" + kNotHidden + "[Flash]"}},
        {"groups in the order of their first row; the page type is the first row's",
         kEntries,
         {MozillaRow("1", "94"), MozillaRow("2", "91", "92", "92"), MozillaRow("3", "94", "92", "92", true),
          MozillaRow("4", "91")},
         {"2|94|news.example.org|" + kNotHidden, "2|91|www.example.com|" + kNotHidden + "[Flash]"}},
        {"a literal host cell groups by the URL reference",
         kEntries,
         {"[1(^82^94)(^88=news.example.org)]", "[2(^88=other)(^82^94)]", "[3(^88=alone)]"},
         {"2|94|news.example.org|" + kNotHidden, "1|||" + kNotHidden}},
        {"a host reference wins over a literal one",
         kEntries,
         {"[1(^88=x)(^82^90)(^88^91)]"},
         {"1|91|www.example.com|" + kNotHidden}},
        {"a row split over lines is joined until it has both brackets",
         kEntries,
         {"[1(^82^90)", "  (^88^91)", "  (^89=1)]", "[2(^88^91)]"},
         {"2|91|www.example.com|[Hiden]"}},
        {"the row on the line that ends the table is not counted",
         kEntries,
         {MozillaRow("1", "91"), MozillaRow("2", "94") + "}"},
         {"1|91|www.example.com|" + kNotHidden}},
        {"a key the dictionary lacks is named after its first entry",
         kEntries,
         {MozillaRow("1", "9F")},
         {"1|9F|LE|" + kNotHidden}},
        {"a key is an entry's whole name: (ab= does not name a",
         "(ab=wrong.example)(a=right.example)",
         {MozillaRow("1", "a"), MozillaRow("2", "ab")},
         {"1|a|right.example|" + kNotHidden, "1|ab|wrong.example|" + kNotHidden}},
        {"a key that only begins an entry's name falls back to the first entry",
         "(ab=wrong.example)",
         {MozillaRow("1", "a")},
         {"1|a|LE|" + kNotHidden}},
        {"names lose their blanks; the first entry of a name counts",
         "(95=  spaced.example  )(95=second.example)",
         {MozillaRow("1", "95")},
         {"1|95|spaced.example|" + kNotHidden}},
        {"rows without a host form one group of their own, unnamed",
         kEntries,
         {"[1(^82^90)]", MozillaRow("2", "91"), "[3(^86=2)]"},
         {"2|||" + kNotHidden, "1|91|www.example.com|" + kNotHidden}},
        {"no rows", kEntries, {}, {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        EXPECT_EQ(Groups(MozillaHistoryText(test.entries, test.rows)), test.groups);
    }
}

TEST(MozillaHistoryFile, TheLastLineIsNeverARowAndLineEndsAreAnyKind) {
    std::string text = MozillaHistoryText(kEntries, {MozillaRow("1", "91")});
    // Without the table's end, the last row is the file's last line.
    const std::string lastRow = MozillaRow("2", "94");
    EXPECT_EQ(Groups(text.substr(0, text.size() - 3) + lastRow), (std::vector<std::string>{
                                                                      "1|91|www.example.com|" + kNotHidden}));
    for (const char* lineEnd : {"\n", "\r"}) {
        std::string other;
        for (char c : text)
            if (c != '\r') other += c == '\n' ? std::string(lineEnd) : std::string(1, c);
        EXPECT_EQ(Groups(other), (std::vector<std::string>{"1|91|www.example.com|" + kNotHidden}));
    }
}

TEST(MozillaHistoryFile, TextsThatAreNotHistoryFilesAreRefused) {
    const std::string good = MozillaHistoryText(kEntries, {MozillaRow("1", "91")});
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"no empty line before the dictionary", "head\r\n<(91=www.example.com)>\r\n[1(^88^91)]\r\n"},
        {"a dictionary line first of all", "\r\n<(91=x)>\r\n"},
        {"a dictionary that is never closed", "a\r\n\r\n<(91=www.example.com)\r\n[1(^88^91)]\r\n"},
        {"the dictionary cut off", good.substr(0, good.find("(91=") + 10)},
        {"binary", std::string("\0\xff\r\n\0\r\n<(", 9)},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        EXPECT_THROW(ParseMozillaHistory(test.text), MozillaHistoryError);
    }
}

// A file cut anywhere is read or refused, never more than the whole file gives.
TEST(MozillaHistoryFile, EveryCutOfAFileIsReadOrRefused) {
    const std::string text = MozillaHistoryText(
        kEntries, {MozillaRow("1", "91", "92", "92", true), "[2(^82^90)", " (^88^94)]", MozillaRow("3", "91")});
    for (size_t length = 0; length <= text.size(); ++length) {
        try {
            int rows = 0;
            for (const MozillaHostName& group : ParseMozillaHistory(text.substr(0, length))) rows += group.count;
            EXPECT_LE(rows, 3) << length;
        } catch (const MozillaHistoryError&) {
        }
    }
}

// A bracket that never closes joins the rest of the file into one row; a
// long file is read in time linear in its size (this would take minutes if
// each joined line were searched again from its start).
TEST(MozillaHistoryFile, AnUnclosedRowTakesTheRestOfTheFile) {
    std::vector<std::string> rows = {"[1(^88^91)"};
    for (int i = 0; i < 200000; ++i) rows.push_back("(^86=1)(^88^94)");
    rows.push_back(MozillaRow("2", "94"));
    const std::vector<std::string> groups = Groups(MozillaHistoryText(kEntries, rows));
    EXPECT_EQ(groups, (std::vector<std::string>{"1|91|www.example.com|" + kNotHidden}));
}

TEST(MozillaHistoryFile, ValuesEndAtTheParenthesisOrAfter255Characters) {
    EXPECT_EQ(MozillaValueAfter("(^88^A3)(^84^B)", "^88^"), "A3");
    EXPECT_EQ(MozillaValueAfter("x^84^", "^84^"), "");
    EXPECT_EQ(MozillaValueAfter("no key", "^84^"), "");
    const std::string longValue(300, 'k');
    EXPECT_EQ(MozillaValueAfter("^88^" + longValue, "^88^"), std::string(255, 'k'));
    // Characters, not bytes: a two-byte character is never cut in half.
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += "\xc3\xa9";
    EXPECT_EQ(MozillaValueAfter("^88^" + wide, "^88^").size(), 510u);
}

TEST(MozillaHistoryFile, CountTextsArePadded) {
    const struct {
        int32_t count;
        const char* text;
    } cases[] = {{1, "1          "},      {9, "9          "},     {10, "10        "},    {99, "99        "},
                 {100, "100      "},      {999, "999      "},     {1000, "1000    "},    {9999, "9999    "},
                 {10000, "10000  "},      {99999, "99999  "},     {100000, "100000 "},   {0, "0 "}};
    for (const auto& test : cases) EXPECT_EQ(MozillaCountText(test.count), test.text) << test.count;
}

// Many hosts, each named from a large dictionary: grouped and named the
// same as one by one.
TEST(MozillaHistoryFile, ManyHostsAreGroupedAndNamed) {
    std::string entries;
    std::vector<std::string> rows;
    constexpr int kHosts = 3000;
    for (int host = 0; host < kHosts; ++host) {
        const std::string number = std::to_string(host);
        entries.append("(H").append(number).append("=host").append(number).append(".example)");
    }
    for (int row = 0; row < 3 * kHosts; ++row) {
        std::string host = "H";
        host += std::to_string((row * 7) % kHosts);
        rows.push_back(MozillaRow(std::to_string(row), host));
    }
    const MozillaHostGroups groups = ParseMozillaHistory(MozillaHistoryText(entries, rows));
    ASSERT_EQ(groups.size(), static_cast<size_t>(kHosts));
    for (size_t k = 0; k < groups.size(); ++k) {
        const int host = (static_cast<int>(k) * 7) % kHosts;
        EXPECT_EQ(groups[k].hostName, "host" + std::to_string(host) + ".example");
        EXPECT_EQ(groups[k].count, 3);
    }
}

}  // namespace
