// Fuzz target for the help file's readings: any input reads as plain text and
// as rich text without fault; the rich text is plain ASCII with its groups
// balanced, and shows the same letters and digits as the plain text.
#include "formats/HelpText.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void Fail(const char* what, const std::string& input, const std::string& rtf) {
    std::fprintf(stderr, "%s\ninput: %s\nrtf: %s\n", what, input.c_str(), rtf.c_str());
    std::abort();
}

// The ASCII letters and digits of the rich text's shown text: control words
// with their parameter and one space, \uN? and escapes read, the font table
// (the header's first group inside the document) left out.
std::string ShownLetters(const std::string& rtf) {
    std::string letters;
    size_t i = rtf.find("}}");
    for (i = i == std::string::npos ? 0 : i + 2; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c != '\\') {
            if (std::isalnum(static_cast<unsigned char>(c))) letters += c;
            continue;
        }
        if (i + 1 < rtf.size() && !std::isalpha(static_cast<unsigned char>(rtf[i + 1]))) {
            ++i;  // an escaped \ { } is no letter
            continue;
        }
        size_t end = i + 1;
        while (end < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[end]))) ++end;
        const bool unicode = end - i == 2 && rtf[i + 1] == 'u';
        while (end < rtf.size() && (rtf[end] == '-' || std::isdigit(static_cast<unsigned char>(rtf[end])))) ++end;
        if (unicode) ++end;  // the '?' stand-in
        else if (end < rtf.size() && rtf[end] == ' ') ++end;
        i = end - 1;
    }
    return letters;
}

std::string Letters(const std::string& text) {
    std::string letters;
    for (char c : text)
        if (std::isalnum(static_cast<unsigned char>(c))) letters += c;
    return letters;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string html(reinterpret_cast<const char*>(data), size);
    const std::string plain = formats::HtmlToPlainText(html);
    const std::string rtf = formats::HtmlToRtf(html, "Tahoma", 8);
    if (rtf.rfind("{\\rtf1", 0) != 0 || rtf.back() != '}') Fail("not an RTF document", html, rtf);
    int depth = 0;
    for (size_t i = 0; i < rtf.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(rtf[i]);
        if (c >= 0x80 || (c < 0x20 && c != '\n')) Fail("a byte outside printable ASCII", html, rtf);
        if (c == '\\') {
            ++i;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}' && --depth < 0) {
            Fail("a group closed that was not open", html, rtf);
        } else if (c == '}' && depth == 0 && i + 1 != rtf.size()) {
            Fail("text after the document", html, rtf);
        }
    }
    if (depth != 0) Fail("groups left open", html, rtf);
    if (ShownLetters(rtf) != Letters(plain)) Fail("the rich text shows other letters than the plain text", html, rtf);
    return 0;
}
