// Matches per second of a typical history mask ("*word*") over long texts,
// compiling the mask anew for every text as the history listers do. Run it
// on demand:  cmake/wine-run.sh build/bin/bench_masks.exe
#include "common/Masks.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

int main() {
    std::vector<std::string> texts;
    for (int i = 0; i < 1000; ++i) {
        std::string text = "http://www.example.com/some/long/path/";
        while (text.size() < 300) text += "segment" + std::to_string(i) + "/";
        if (i % 10 == 0) text += "word";  // one in ten matches
        texts.push_back(text);
    }
    for (const char* mask : {"*word*", "*w?rd*", "*[w]ord*", "http://*.example.com/*"}) {
        size_t matches = 0, tests = 0;
        const auto start = std::chrono::steady_clock::now();
        std::chrono::duration<double> elapsed{};
        do {
            for (const std::string& text : texts) matches += TextFitsMask(text, mask);
            tests += texts.size();
            elapsed = std::chrono::steady_clock::now() - start;
        } while (elapsed.count() < 1.0);
        std::printf("%-24s %10.0f tests/s over %zu-byte texts (%zu matched)\n", mask, tests / elapsed.count(),
                    texts[0].size(), matches);
    }
    return 0;
}
