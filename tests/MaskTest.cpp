// Wildcard masks: a table of rules and error positions, and a randomised
// comparison with a plain recursive matcher of the same language.
#include "formats/Masks.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct FitCase {
    const char* mask;
    const char* text;
    bool fits;
};

TEST(Masks, MatchingRules) {
    const FitCase cases[] = {
        {"*", "", true},
        {"*", "anything at all", true},
        {"", "", true},
        {"", "a", false},
        {"abc", "ABC", true},
        {"abc", "aBc", true},
        {"abc", "abcd", false},
        {"abc", "xabc", false},
        {"*.*", "file.txt", true},
        {"*.*", ".", true},
        {"*.*", "noext", false},
        {"a?c", "ac", false},
        {"a?c", "abc", true},
        {"a*?c", "ac", true},  // the "?" after "*" is dropped
        {"a*??c", "ac", true},
        {"a?", "a", false},
        {"a[!b]", "a", false},
        {"a[!b]", "ac", true},
        {"a[!b]", "aB", false},
        {"[a-c]x", "Bx", true},
        {"[a-c]x", "dx", false},
        {"[!a-c]x", "dx", true},
        {"[!a-c]x", "bx", false},
        {"[c-a]", "c", true},
        {"[c-a]", "C", true},
        {"[c-a]", "b", false},
        {"[a-]]", "]", true},      // "]" after "-" ends the range
        {"[a-]]", "b", true},
        {"[a-c-e]", "d", true},    // the second range starts again from "a"
        {"*word*", "a long sentence with a Word in it", true},
        {"*word*", "a long sentence without it", false},
        {"*a*b*c*", "xxaxxbxxcxx", true},
        {"*a*b*c*", "xxcxxbxxaxx", false},
        {"*ab", "aab", true},      // needs the retry after the first "a"
        {"*aab", "aaab", true},
        {"MostRecentClips*", "mostrecentclips3", true},
        {"DVD*", "xDVD", false},
        // UTF-8: a multi-byte character is one character to "?" and sets.
        {"caf?", "caf\xC3\xA9", true},
        {"caf??", "caf\xC3\xA9", false},
        {"caf\xC3\xA9", "caf\xC3\xA9", true},
        {"caf\xC3\xA9", "CAF\xC3\xA9", true},     // ASCII letters without case
        {"caf\xC3\xA9", "caf\xC3\x89", false},    // non-ASCII letters only themselves
        {"[!a]", "\xC3\xA9", true},
        {"[\xC3\xA9x]", "\xC3\xA9", false},       // a multi-byte character in a set adds nothing
        {"[\xC3\xA9x]", "X", true},
        {"*\xE2\x9C\x93", "done \xE2\x9C\x93", true},
    };
    for (const FitCase& c : cases) EXPECT_EQ(TextFitsMask(c.text, c.mask), c.fits) << c.mask << " / " << c.text;
}

TEST(Masks, ClassIdentifierPatternTakesAnyCharacters) {
    std::string guid = "{";
    for (size_t group : {8, 4, 4, 4, 12}) guid.append(group, '?').push_back('-');
    guid.back() = '}';
    EXPECT_TRUE(TextFitsMask("{12345678-ABCD-efgh-!@#$-0123456789ab}", guid));
    EXPECT_FALSE(TextFitsMask("{1234567-ABCD-efgh-!@#$-0123456789ab}", guid));
    EXPECT_FALSE(TextFitsMask("{12345678-ABCD-efgh-!@#$-0123456789ab", guid));
}

struct ErrorCase {
    const char* mask;
    int position;
};

TEST(Masks, InvalidMasksAndTheirPositions) {
    const ErrorCase cases[] = {
        {"[-a]", 2}, {"[]", 2}, {"ab[c", 5}, {"[!]", 3}, {"x[a-", 5}, {"[a", 3}, {"*[!", 4}, {"a[b]c[]", 7},
    };
    for (const ErrorCase& c : cases) {
        try {
            Mask mask(c.mask);
            ADD_FAILURE() << c.mask << " compiled";
        } catch (const MaskError& error) {
            EXPECT_EQ(error.Position(), c.position) << c.mask;
            EXPECT_EQ(std::string(error.what()),
                      "'" + std::string(c.mask) + "' is an invalid mask at (" + std::to_string(c.position) + ")");
        }
    }
    EXPECT_THROW(TextFitsMask("x", "[]"), MaskError);
}

TEST(Masks, ThirtySkipStatesAndNoMore) {
    std::string thirty, withEnd;
    for (int i = 0; i < 30; ++i) thirty += "*a";
    EXPECT_NO_THROW(Mask{thirty});
    EXPECT_TRUE(Mask(thirty).Fits(std::string(30, 'a')));
    try {
        Mask{thirty + "*b"};
        ADD_FAILURE() << "31 skip states compiled";
    } catch (const MaskError& error) {
        EXPECT_EQ(error.Position(), 62);  // the literal of the 31st
    }
    try {
        Mask{thirty + "*"};  // the end of the text is the 31st
        ADD_FAILURE() << "31 skip states compiled";
    } catch (const MaskError& error) {
        EXPECT_EQ(error.Position(), 62);
    }
    try {
        Mask{thirty + "*[xy]"};
        ADD_FAILURE() << "31 skip states compiled";
    } catch (const MaskError& error) {
        EXPECT_EQ(error.Position(), 65);  // the "]" that ends the set
    }
    EXPECT_NO_THROW(Mask{"**********a"});  // several stars make one skip
}

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

// Masks whose stars a backtracking matcher would try in every combination:
// these must simply finish, with the right answer.
TEST(Masks, ManyStarsOverLongTextsFinish) {
    const std::string sixtyA(60, 'a'), e = "\xC3\xA9";
    const struct {
        std::string mask, text;
        bool fits;
    } cases[] = {
        {Repeat("*a", 12) + "*b", sixtyA, false},
        {Repeat("*a", 12) + "*b", sixtyA + "b", true},
        {Repeat("*a", 12) + "*b", "b" + sixtyA, false},
        {Repeat("*a", 29) + "*b", std::string(200, 'a'), false},
        {Repeat("*a", 29) + "*b", std::string(200, 'a') + "xb", true},
        {Repeat("*a", 29) + "*", std::string(28, 'a') + "x", false},
        {Repeat("*aa", 8) + "*", std::string(15, 'a') + "b", false},
        {Repeat("*aa", 8) + "*", std::string(16, 'a') + "b", true},
        {Repeat("*" + e, 10) + "*x", Repeat(e, 60), false},
        {Repeat("*" + e, 10) + "*x", Repeat(e, 60) + "x", true},
        {Repeat("*[a-c]", 12) + "*[!a-c]", Repeat("abc", 20), false},
        {Repeat("*[a-c]", 12) + "*[!a-c]", Repeat("abc", 20) + "d", true},
        {Repeat("*a?", 12) + "*b", sixtyA, false},
        {Repeat("*A", 12) + "b", sixtyA + "B", true},
    };
    for (const auto& c : cases) EXPECT_EQ(TextFitsMask(c.text, c.mask), c.fits) << c.mask << " / " << c.text;
}

// A NUL cannot come from typed text; within a mask it stands for the end of
// the text, so nothing after it is ever tested (but it is still compiled).
TEST(Masks, NulInTheMaskEndsTheMatching) {
    const std::string aNulB("a\0b", 3);
    EXPECT_TRUE(TextFitsMask("a", aNulB));
    EXPECT_FALSE(TextFitsMask("ab", aNulB));
    EXPECT_TRUE(TextFitsMask("axyz", std::string("a*\0b", 4)));
    EXPECT_FALSE(TextFitsMask(std::string("a\0", 2), aNulB));  // only the end of the text matches it
    EXPECT_THROW(Mask{std::string("a\0[", 3)}, MaskError);
}

// ---- the reference: a plain recursive matcher of the same language -------

size_t Unit(const std::string& t, size_t i) { return CharacterLength(t, i); }

unsigned char Up(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

// Parses the set at m[i] == '['; returns the index after "]".
size_t ParseSet(const std::string& m, size_t i, bool& negate, std::bitset<256>& set) {
    ++i;
    negate = i < m.size() && m[i] == '!';
    if (negate) ++i;
    int last = -1;
    while (m[i] != ']') {
        if (m[i] == '-') {
            unsigned char high = Up(m[i + 1]);
            for (int v = last; v <= high; ++v) set.set(v);
            i += 1 + Unit(m, i + 1);
        } else {
            if (Unit(m, i) == 1) set.set(last = Up(m[i]));
            i += Unit(m, i);
        }
    }
    return i + 1;
}

bool Reference(const std::string& m, size_t mi, const std::string& t, size_t ti, bool star) {
    if (mi == m.size()) return ti == t.size();
    const char c = m[mi];
    if (c == '*') {
        for (size_t k = ti;; k += Unit(t, k)) {
            if (Reference(m, mi + 1, t, k, true)) return true;
            if (k >= t.size()) return false;
        }
    }
    if (c == '?') {
        if (star) return Reference(m, mi + 1, t, ti, true);
        return ti < t.size() && Reference(m, mi + 1, t, ti + Unit(t, ti), false);
    }
    if (ti >= t.size()) return false;
    if (c == '[') {
        bool negate = false;
        std::bitset<256> set;
        const size_t next = ParseSet(m, mi, negate, set);
        const bool in = Unit(t, ti) == 1 && set.test(Up(t[ti]));
        return in != negate && Reference(m, next, t, ti + Unit(t, ti), false);
    }
    const size_t length = Unit(m, mi);
    if (length > 1)
        return t.compare(ti, length, m, mi, length) == 0 && Reference(m, mi + length, t, ti + length, false);
    return Unit(t, ti) == 1 && Up(t[ti]) == Up(c) && Reference(m, mi + 1, t, ti + 1, false);
}

TEST(Masks, AgreeWithARecursiveMatcherOnRandomShapes) {
    const char* const maskTokens[] = {"a", "b", "A", "*", "?", "[ab]", "[!a]", "[a-c]", "\xC3\xA9", "**", "*?", "."};
    const char* const textTokens[] = {"a", "b", "B", "c", ".", "\xC3\xA9", "\xC3\x89", "x"};
    std::mt19937 random(20261207);
    int fits = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string mask, text;
        for (int i = static_cast<int>(random() % 9); i > 0; --i) mask += maskTokens[random() % 12];
        for (int i = static_cast<int>(random() % 12); i > 0; --i) text += textTokens[random() % 8];
        const bool expected = Reference(mask, 0, text, 0, false);
        ASSERT_EQ(Mask(mask).Fits(text), expected) << "mask " << mask << " text " << text;
        fits += expected;
    }
    // Both answers occur often enough for the comparison to mean something.
    EXPECT_GT(fits, 1000);
    EXPECT_LT(fits, 19000);
}

}  // namespace
