// The help file as text.
#include "shell/HelpText.h"
#include "platform/Files.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace shell;

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
