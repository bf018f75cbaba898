// The help file as text.
#include "formats/HelpText.h"
#include "platform/Files.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace formats;

namespace {

TEST(HelpText, BlocksBreakLinesAndEntitiesDecode) {
    const std::string text = HtmlToPlainText(
        "<html><head><title>Skip</title><style>p{}</style></head><body><h1>Title</h1>"
        "<p>One  two\nthree &amp; &lt;four&gt; &#65;</p><ul><li>first</li><li>second</li></ul>"
        "<script>var x = '<p>';</script><p>end</p></body></html>");
    EXPECT_EQ(text, "Title\r\n\r\nOne two three & <four> A\r\n\r\n  \xE2\x80\xA2 first\r\n  \xE2\x80\xA2 second\r\n\r\nend\r\n");
}

TEST(HelpText, MalformedInputDoesNotThrow) {
    for (const char* html : {"<p>unclosed", "&#xZZ; &#; &unknown; <", "", "<<<>>>", "&#99999999999999999999;"})
        EXPECT_NO_THROW(HtmlToPlainText(html)) << html;
}

TEST(HelpText, TheShippedHelpFileReads) {
    std::string html;
    ASSERT_TRUE(platform::files::ReadFileBytes(testing_support::TestProgramFolder() + "Help.html", html));
    const std::string text = HtmlToPlainText(html);
    EXPECT_NE(text.find("StartUp"), std::string::npos);
    EXPECT_EQ(text.find('<'), std::string::npos);
}

}  // namespace

namespace {

// The text an RTF document shows, with the header's font table left out:
// control words, escapes and group marks dropped, \uN? read as one '#'.
std::string ShownText(const std::string& rtf) {
    std::string shown;
    const size_t body = rtf.find("}}");
    for (size_t i = body == std::string::npos ? 0 : body + 2; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{' || c == '}' || c == '\n') continue;
        if (c != '\\') {
            shown += c;
            continue;
        }
        const char next = i + 1 < rtf.size() ? rtf[i + 1] : '\0';
        if (next == '\\' || next == '{' || next == '}') {
            shown += next;
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[end]))) ++end;
        const std::string word = rtf.substr(i + 1, end - i - 1);
        while (end < rtf.size() && (rtf[end] == '-' || std::isdigit(static_cast<unsigned char>(rtf[end])))) ++end;
        if (word == "u") {
            shown += '#';
            ++end;  // the '?' stand-in
        } else if (word == "tab") {
            shown += '\t';
        } else if (word == "par") {
            shown += '|';
        }
        if (end < rtf.size() && rtf[end] == ' ' && word != "u") ++end;
        i = end - 1;
    }
    return shown;
}

}  // namespace

TEST(HelpText, RichTextKeepsHeadingsEmphasisListsAndTables) {
    const std::string rtf = HtmlToRtf(
        "<h1>Title</h1><p>One <b>bold</b> and <i>slanted</i> word.</p>"
        "<ul><li><b>All</b> first</li><li>second</li></ul><table><tr><td>F6</td><td>On/Off</td></tr></table>",
        "Tahoma", 8);
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(rtf.find("{\\fonttbl{\\f0\\fswiss\\fcharset0 Tahoma;}}"), std::string::npos);
    // The heading bold and larger than the 8-point body, back to the body after it.
    EXPECT_NE(rtf.find("\\b\\fs28 Title"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\b0\\fs16 One"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("One \\b bold \\b0 and \\i slanted \\i0 word."), std::string::npos) << rtf;
    // List items hang their text after the bullet; table cells meet at a tab stop.
    EXPECT_NE(rtf.find("\\pard\\fi-240\\li480\\tx480 \\b \\bullet\\tab All"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\pard\\li240\\tx2600 F6\\tab On/Off"), std::string::npos) << rtf;
    EXPECT_EQ(ShownText(rtf), "Title||One bold and slanted word.||\tAll first|\tsecond||F6\tOn/Off");
}

TEST(HelpText, RichTextEscapesItsOwnCharactersAndWritesOthersAsUnicode) {
    struct Case {
        const char* html;
        const char* rtfText;  // as it stands after the header's size
    };
    const Case cases[] = {
        {"a\\b {c}", "a\\\\b \\{c\\}"},
        {"&copy; 2026", "\\u169? 2026"},
        {"\xE2\x82\xAC", "\\u8364?"},                // euro sign
        {"\xEF\xBF\xBD", "\\u-3?"},                 // above 32767: written signed
        {"\xF0\x9D\x84\x9E", "\\u-10188?\\u-8930?"},  // outside the first plane: a surrogate pair
        {"x\xC3y\xFF", "x?y?"},                      // malformed bytes
        {"a\x01" "b", "ab"},                         // control characters dropped
        {"&#8364;&#x1D11E; &#0;&#xD800;", "\\u8364?\\u-10188?\\u-8930? ??"},  // references read as characters
    };
    for (const Case& c : cases) {
        const std::string rtf = HtmlToRtf(c.html, "Tahoma", 8);
        EXPECT_EQ(rtf.substr(rtf.find("\\pard ") + 6), std::string(c.rtfText) + "}") << c.html;
    }
    // A font name cannot break out of the font table.
    EXPECT_NE(HtmlToRtf("x", "Ta;}ho{ma\\", 8).find("\\fcharset0 Tahoma;}}"), std::string::npos);
}

TEST(HelpText, TheShippedHelpFileReadsAsTheSameTextInRichText) {
    std::string html;
    ASSERT_TRUE(platform::files::ReadFileBytes(testing_support::TestProgramFolder() + "Help.html", html));
    const std::string rtf = HtmlToRtf(html, "Tahoma", 8);
    int depth = 0;
    for (size_t i = 0; i < rtf.size(); ++i) {
        ASSERT_TRUE(static_cast<unsigned char>(rtf[i]) < 0x80) << "byte " << i;
        if (rtf[i] == '\\') ++i;
        else if (rtf[i] == '{') ++depth;
        else if (rtf[i] == '}') {
            ASSERT_GE(--depth, 0) << "byte " << i;
        }
    }
    EXPECT_EQ(depth, 0);
    // The letters and digits read the same in both forms.
    auto letters = [](const std::string& text) {
        std::string kept;
        for (char c : text)
            if (std::isalnum(static_cast<unsigned char>(c))) kept += c;
        return kept;
    };
    EXPECT_EQ(letters(ShownText(rtf)), letters(HtmlToPlainText(html)));
    for (const char* malformed : {"<p>unclosed", "&#xZZ; &#; &unknown; <", "", "<<<>>>", "</b></i></h1></li>"})
        EXPECT_NO_THROW(HtmlToRtf(malformed, "Tahoma", 8)) << malformed;
}
