// Fuzz target for the registry scanner's path guess: every input is a value
// as the registry might hold it; the guess is checked against what it must
// always give, on made-up machines where every file, no file, or files by a
// rule of their own exist.
#include "formats/GuessPath.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using registry_scan::CheckFileReference;
using registry_scan::GuessEnvironment;
using registry_scan::GuessFilePath;
using registry_scan::ReferenceCheck;

namespace {

std::string Hex(const std::string& s) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) out += {digits[c >> 4], digits[c & 15], ' '};
    return out;
}

[[noreturn]] void Fail(const char* what, const std::string& text, const std::string& guess) {
    std::fprintf(stderr, "%s\ntext:  %s\nguess: %s\n", what, Hex(text).c_str(), Hex(guess).c_str());
    std::abort();
}

// Folders in lower case, so any capital in a guess can only come from the text.
GuessEnvironment Machine(std::function<bool(const std::string&)> exists) {
    return GuessEnvironment{exists, exists, "w:\\win\\", "s:\\sys\\", "p:\\pf\\"};
}

void CheckGuess(const std::string& text, const GuessEnvironment& env) {
    const std::string guess = GuessFilePath(text, env);
    if (text.empty() || text.rfind("\\\\", 0) == 0) {
        if (guess != text) Fail("network path or empty text changed", text, guess);
        return;
    }
    if (guess.find(':') == std::string::npos) Fail("no drive", text, guess);
    if (guess.find('/') != std::string::npos) Fail("switch left in", text, guess);
    if (static_cast<unsigned char>(guess.back()) <= ' ') Fail("trailing blank", text, guess);
    for (char c : guess)
        if (c >= 'A' && c <= 'Z') Fail("capital letter", text, guess);
    // At most the three folders come in, and ":\" or ".exe".
    if (guess.size() > text.size() + 3 * 8 + 4) Fail("grew", text, guess);

    // A network path ("\\server" or "//server", after blanks and quotes) is never probed.
    const size_t start = text.find_first_not_of(" \"");
    const auto slash = [](char c) { return c == '\\' || c == '/'; };
    const bool network = start != std::string::npos && start + 1 < text.size() && slash(text[start]) &&
                         slash(text[start + 1]);
    const ReferenceCheck check = CheckFileReference(text, env);
    const bool expected = !network && !env.fileExists(text) && !env.fileExists(guess) && !env.folderExists(text);
    if (check.problem != expected) Fail("reference test", text, guess);
    if (check.problem && (check.fileName != text || check.guessPath != guess)) Fail("record fields", text, guess);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckGuess(text, Machine([](const std::string&) { return true; }));
    CheckGuess(text, Machine([](const std::string&) { return false; }));
    // Files whose names have an even length exist: the guess takes other turns.
    CheckGuess(text, Machine([](const std::string& path) { return path.size() % 2 == 0; }));
    return 0;
}
