// Time per text of wildcard masks, compiling the mask anew for every text as
// the history listers do (and, apart, matching with the mask compiled once),
// each against a floor: a bare hand-written loop that answers the same
// question for that one mask over the same texts; ratio = mask / floor.
// Includes masks with many stars, which must stay linear in the text. Run on demand:
//   cmake/wine-run.sh build/bin/bench_masks.exe
#include "formats/Masks.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Case-insensitive search for a lower-case word from position on.
size_t FindNoCase(const std::string& text, const std::string& word, size_t from = 0) {
    for (size_t i = from; i + word.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < word.size() && Lower(text[i + k]) == word[k]) ++k;
        if (k == word.size()) return i;
    }
    return std::string::npos;
}

bool ContainsWord(const std::string& text) { return FindNoCase(text, "word") != std::string::npos; }

bool ContainsWAnyRd(const std::string& text) {
    for (size_t i = 0; i + 4 <= text.size(); ++i)
        if (Lower(text[i]) == 'w' && Lower(text[i + 2]) == 'r' && Lower(text[i + 3]) == 'd') return true;
    return false;
}

bool ExampleUrl(const std::string& text) {
    return FindNoCase(text.substr(0, 7), "http://") == 0 && FindNoCase(text, ".example.com/", 7) != std::string::npos;
}

// The floor for "*a" repeated, then "*b": at least that many a's before a
// final b, in one pass.
template <int kAs>
bool AsThenFinalB(const std::string& text) {
    if (text.empty() || Lower(text.back()) != 'b') return false;
    int as = 0;
    for (size_t i = 0; i + 1 < text.size() && as < kAs; ++i) as += Lower(text[i]) == 'a';
    return as == kAs;
}

struct Timing {
    double nanosecondsPerText;
    size_t matches;
};

template <typename Test>
Timing Measure(const std::vector<std::string>& texts, Test test) {
    size_t matches = 0, tests = 0;
    const auto start = std::chrono::steady_clock::now();
    std::chrono::duration<double> elapsed{};
    do {
        for (const std::string& text : texts) matches += test(text);
        tests += texts.size();
        elapsed = std::chrono::steady_clock::now() - start;
    } while (elapsed.count() < 0.5);
    return {elapsed.count() * 1e9 / static_cast<double>(tests), matches * texts.size() / tests};
}

template <typename Floor>
void Run(const char* label, const std::string& mask, const std::vector<std::string>& texts, Floor floor) {
    const Timing masked = Measure(texts, [&](const std::string& text) { return TextFitsMask(text, mask); });
    const Mask compiled(mask);
    const Timing matchOnly = Measure(texts, [&](const std::string& text) { return compiled.Fits(text); });
    const Timing bare = Measure(texts, floor);
    std::printf("%-24s %3zu-byte texts  mask %6.1f ns/text (matching alone %6.1f)  floor %6.1f ns/text  ratio %5.1f"
                "  (%zu/%zu matched%s)\n",
                label, texts[0].size(), masked.nanosecondsPerText, matchOnly.nanosecondsPerText,
                bare.nanosecondsPerText, masked.nanosecondsPerText / bare.nanosecondsPerText, masked.matches,
                texts.size(), masked.matches == bare.matches && matchOnly.matches == bare.matches ? "" : ", DISAGREE");
}

std::vector<std::string> UrlTexts() {
    std::vector<std::string> texts;
    for (int i = 0; i < 1000; ++i) {
        std::string text = "http://www.example.com/some/long/path/";
        while (text.size() < 300) text += "segment" + std::to_string(i) + "/";
        if (i % 10 == 0) text += "word";  // one in ten matches
        texts.push_back(text);
    }
    return texts;
}

// Runs of "a" (of either case), one in ten ending in "b": the worst case for
// a matcher that tries every split of the stars.
std::vector<std::string> LettersA(size_t length) {
    std::vector<std::string> texts;
    for (int i = 0; i < 1000; ++i) {
        std::string text(length, i % 3 ? 'a' : 'A');
        if (i % 10 == 0) text.back() = 'b';
        texts.push_back(text);
    }
    return texts;
}

std::string StarsA(int stars) {
    std::string mask;
    for (int i = 1; i < stars; ++i) mask += "*a";
    return mask + "*b";
}

}  // namespace

int main() {
    const std::vector<std::string> urls = UrlTexts();
    Run("*word*", "*word*", urls, ContainsWord);
    Run("*w?rd*", "*w?rd*", urls, ContainsWAnyRd);
    Run("*[w]ord*", "*[w]ord*", urls, ContainsWord);
    Run("http://*.example.com/*", "http://*.example.com/*", urls, ExampleUrl);

    const std::vector<std::string> a40 = LettersA(40), a300 = LettersA(300);
    Run("8 stars (*a x7, *b)", StarsA(8), a40, AsThenFinalB<7>);
    Run("12 stars (*a x11, *b)", StarsA(12), a40, AsThenFinalB<11>);
    Run("30 stars (*a x29, *b)", StarsA(30), a40, AsThenFinalB<29>);
    Run("30 stars (*a x29, *b)", StarsA(30), a300, AsThenFinalB<29>);
    return 0;
}
