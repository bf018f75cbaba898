// Fuzz target for the Firefox history reader: any text is read or refused
// with MozillaHistoryError, never anything else; what is read equals a
// plain reading that follows the format step by step (the whole text joined
// with CR LF, every search from the start, groups found by walking the
// groups so far), so the faster grouping and the one-walk dictionary lookup
// change nothing.
#include "formats/MozillaHistoryFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "mozilla_fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

std::string First255(const std::string& text) {
    size_t end = 0;
    for (size_t characters = 0; characters < 255 && end < text.size(); ++characters) {
        ++end;
        for (int k = 0; k < 3 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80; ++k)
            ++end;
    }
    return text.substr(0, end);
}

std::string CutAtParenthesis(const std::string& text) { return text.substr(0, text.find(')')); }

std::string ValueAfter(const std::string& line, const std::string& key) {
    return CutAtParenthesis(First255(line.substr(line.find(key) + key.size())));
}

bool Has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

struct Reading {
    bool refused = false;
    MozillaHostGroups groups;
};

Reading PlainReading(const std::string& text) {
    Reading reading;
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    std::string whole;
    for (const std::string& each : lines) whole += each + "\r\n";
    const size_t mark = whole.find("\r\n\r\n<(");
    if (mark == std::string::npos) return {true, {}};
    const size_t close = whole.find(")>", mark + 5);
    if (close == std::string::npos) return {true, {}};
    const std::string dictionary = whole.substr(mark + 5, close + 1 - (mark + 5));

    size_t next = 0;
    auto atEnd = [&] { return next >= lines.size(); };
    auto readLine = [&]() -> std::string { return atEnd() ? std::string() : lines[next++]; };
    for (int k = 0; k < 6; ++k) readLine();
    do {
        if (Has(readLine(), ")>")) break;
    } while (!atEnd());
    std::string current;
    if (!atEnd()) {
        readLine();
        current = readLine();
    }
    std::vector<std::string> keys, types;
    while (!Has(current, "]}")) {
        if (atEnd()) break;
        while ((!Has(current, "[") || !Has(current, "]")) && !atEnd()) current += readLine();
        std::string key;
        if (Has(current, "^88^"))
            key = ValueAfter(current, "^88^");
        else if (Has(current, "^88=") && Has(current, "^82^"))
            key = ValueAfter(current, "^82^");
        std::string type = Has(current, "^89=") && ValueAfter(current, "^89=") == "1" ? "[Hiden]" : "           ";
        if (Has(current, "^84^") && Has(current, "^85^") && ValueAfter(current, "^84^") == ValueAfter(current, "^85^"))
            type += "[Flash]";
        keys.push_back(key);
        types.push_back(type);
        current = readLine();
    }
    for (size_t row = 0; row < keys.size(); ++row) {
        bool found = false;
        for (MozillaHostName& group : reading.groups)
            if (group.hostKey == keys[row]) {
                ++group.count;
                found = true;
                break;
            }
        if (!found) reading.groups.push_back({1, keys[row], "", types[row]});
    }
    for (MozillaHostName& group : reading.groups) {
        if (group.hostKey.empty()) continue;
        // A key holding "=" names no entry: an entry's name ends at its first "=".
        size_t at = group.hostKey.find('=') == std::string::npos ? dictionary.find("(" + group.hostKey + "=")
                                                                 : std::string::npos;
        if (at == std::string::npos) at = 0;
        std::string name = CutAtParenthesis(First255(dictionary.substr(at)));
        const size_t equals = name.find('=');
        if (equals != std::string::npos) name.erase(0, equals + 1);
        size_t first = 0, last = name.size();
        while (first < last && static_cast<unsigned char>(name[first]) <= ' ') ++first;
        while (last > first && static_cast<unsigned char>(name[last - 1]) <= ' ') --last;
        group.hostName = name.substr(first, last - first);
    }
    return reading;
}

std::string Describe(const MozillaHostGroups& groups) {
    std::string text;
    for (const MozillaHostName& group : groups)
        text += std::to_string(group.count) + " [" + group.hostKey + "] [" + group.hostName + "] [" + group.pageType +
                "]\n";
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Reading read;
    try {
        read.groups = ParseMozillaHistory(text);
    } catch (const MozillaHistoryError&) {
        read.refused = true;
    }
    const Reading plain = PlainReading(text);
    if (read.refused != plain.refused) Fail(read.refused ? "refused a readable text" : "read a refused text", text);
    const std::string got = Describe(read.groups), expected = Describe(plain.groups);
    if (got != expected) Fail("groups differ", "\n" + got + "-- expected --\n" + expected);
    for (const MozillaHostName& group : read.groups)
        if (group.count < 1) Fail("group without rows", group.hostKey);
    return 0;
}
