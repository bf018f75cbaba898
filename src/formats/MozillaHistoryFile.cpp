// Firefox's history file read into host groups; see MozillaHistoryFile.h.
#include "formats/MozillaHistoryFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace {

constexpr size_t kValueCharacters = 255;
constexpr size_t kNone = std::string_view::npos;

// The lines of the text: CR LF, LF and a lone CR end a line; a last line
// without an end counts, an empty text has none.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    lines.reserve(text.size() / 96 + 1);
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* start = begin;
    const char* at = begin;
    while (at < end) {
        const char c = *at;
        if (c != '\r' && c != '\n') {
            ++at;
            continue;
        }
        lines.emplace_back(start, static_cast<size_t>(at - start));
        at += (c == '\r' && at + 1 < end && at[1] == '\n') ? 2 : 1;
        start = at;
    }
    if (start < end) lines.emplace_back(start, static_cast<size_t>(end - start));
    return lines;
}

// The first count characters of UTF-8 text (a character: its lead byte and
// at most three continuation bytes), so a cut never splits one.
std::string_view FirstCharacters(std::string_view text, size_t count) {
    size_t end = 0;
    for (size_t characters = 0; characters < count && end < text.size(); ++characters) {
        ++end;
        for (int k = 0; k < 3 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80; ++k)
            ++end;
    }
    return text.substr(0, end);
}

std::string_view UpToParenthesis(std::string_view text) {
    const size_t close = text.find(')');
    return close == kNone ? text : text.substr(0, close);
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string TrimBlanks(std::string_view text) {
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return std::string(text.substr(first, last - first));
}

// The dictionary: from the "(" of the first line starting "<(" that follows
// an empty line (not the first line), to the ")" of the first ")>" after it,
// lines joined by CR LF as the file's whole text would show them.
std::string CutDictionary(const std::vector<std::string_view>& lines) {
    for (size_t k = 1; k + 1 < lines.size(); ++k) {
        if (!lines[k].empty() || lines[k + 1].substr(0, 2) != "<(") continue;
        std::string dictionary;
        for (size_t m = k + 1; m < lines.size(); ++m) {
            const std::string_view part = m == k + 1 ? lines[m].substr(1) : lines[m];
            if (m > k + 1) dictionary += "\r\n";
            const size_t close = part.find(")>");
            if (close != kNone) {
                dictionary.append(part.substr(0, close + 1));
                return dictionary;
            }
            dictionary.append(part);
        }
        throw MozillaHistoryError("The history file's dictionary is not closed.");
    }
    throw MozillaHistoryError("The history file has no dictionary.");
}

// Where each cell marker of a row first occurs. Every marker starts with
// "^", so one walk over the row's "^" finds them all.
struct RowCells {
    size_t hostRef = kNone;    // ^88^
    size_t hostText = kNone;   // ^88=
    size_t urlRef = kNone;     // ^82^
    size_t hidden = kNone;     // ^89=
    size_t lastVisit = kNone;  // ^84^
    size_t firstVisit = kNone; // ^85^
};

RowCells FindCells(std::string_view row) {
    RowCells cells;
    auto first = [](size_t& slot, size_t at) {
        if (slot == kNone) slot = at;
    };
    for (size_t at = row.find('^'); at != kNone && at + 3 < row.size(); at = row.find('^', at + 1)) {
        const char a = row[at + 1], b = row[at + 2], c = row[at + 3];
        if (a != '8') continue;
        if (b == '8' && c == '^') first(cells.hostRef, at);
        else if (b == '8' && c == '=') first(cells.hostText, at);
        else if (b == '2' && c == '^') first(cells.urlRef, at);
        else if (b == '9' && c == '=') first(cells.hidden, at);
        else if (b == '4' && c == '^') first(cells.lastVisit, at);
        else if (b == '5' && c == '^') first(cells.firstVisit, at);
    }
    return cells;
}

std::string_view ValueAt(std::string_view row, size_t markerAt) {
    return UpToParenthesis(FirstCharacters(row.substr(markerAt + 4), kValueCharacters));
}

// Names are compared by a polynomial hash modulo the prime 2^61 - 1 (then
// byte by byte): a power-of-two modulus would let crafted names collide.
constexpr uint64_t kHashPrime = (uint64_t{1} << 61) - 1;
constexpr uint64_t kHashBase = 1000003;

uint64_t MulModPrime(uint64_t a, uint64_t b) {
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    const uint64_t folded = static_cast<uint64_t>(product & kHashPrime) + static_cast<uint64_t>(product >> 61);
    return folded >= kHashPrime ? folded - kHashPrime : folded;
}

uint64_t AddModPrime(uint64_t a, uint64_t b) {
    const uint64_t sum = a + b;
    return sum >= kHashPrime ? sum - kHashPrime : sum;
}

// The dictionary entry "(" + key + "=" of every key, found in one walk: at
// each "=", the "(" positions since the previous "=" start the names that
// end there. A key holding "=" names no entry (an entry's name ends at its
// first "="), nor does one longer than any name; both keep kNone.
std::vector<size_t> FindEntries(const std::string& dictionary, const std::vector<std::string_view>& keys) {
    auto hashOf = [](std::string_view key) {
        uint64_t hash = 0, power = 1;
        for (size_t k = key.size(); k-- > 0;) {
            hash = AddModPrime(hash, MulModPrime(static_cast<unsigned char>(key[k]), power));
            power = MulModPrime(power, kHashBase);
        }
        return hash;
    };
    std::vector<size_t> found(keys.size(), kNone);
    std::unordered_multimap<uint64_t, size_t> byHash;
    size_t longest = 0;
    for (size_t k = 0; k < keys.size(); ++k) {
        if (keys[k].empty() || keys[k].find('=') != kNone) continue;
        byHash.emplace(hashOf(keys[k]), k);
        longest = std::max(longest, keys[k].size());
    }
    if (byHash.empty()) return found;
    size_t previousEquals = 0;  // one past the previous "="
    for (size_t equals = dictionary.find('='); equals != kNone; equals = dictionary.find('=', equals + 1)) {
        // The name ending here starts at most longest + 1 bytes back, after the previous "=".
        const size_t lowest = std::max(previousEquals, equals > longest + 1 ? equals - longest - 1 : 0);
        uint64_t hash = 0, power = 1;
        for (size_t open = equals; open-- > lowest;) {
            if (dictionary[open] == '(') {
                const size_t length = equals - open - 1;
                auto [from, to] = byHash.equal_range(hash);
                for (auto it = from; it != to; ++it) {
                    const size_t key = it->second;
                    if (found[key] == kNone && keys[key].size() == length &&
                        std::memcmp(dictionary.data() + open + 1, keys[key].data(), length) == 0)
                        found[key] = open;
                }
            }
            hash = AddModPrime(hash, MulModPrime(static_cast<unsigned char>(dictionary[open]), power));
            power = MulModPrime(power, kHashBase);
        }
        previousEquals = equals + 1;
    }
    return found;
}

// The host name an entry gives: its text up to ")", after the first "=".
std::string NameAt(const std::string& dictionary, size_t entry) {
    std::string_view text = UpToParenthesis(FirstCharacters(std::string_view(dictionary).substr(entry), kValueCharacters));
    const size_t equals = text.find('=');
    if (equals != kNone) text.remove_prefix(equals + 1);
    return TrimBlanks(text);
}

}  // namespace

std::string_view MozillaValueAfter(std::string_view line, std::string_view key) {
    const size_t at = line.find(key);
    if (at == kNone) return {};
    return UpToParenthesis(FirstCharacters(line.substr(at + key.size()), kValueCharacters));
}

std::string MozillaCountText(int32_t count) {
    int blanks = 1;
    if (count >= 1 && count <= 9) blanks = 10;
    else if (count >= 10 && count <= 99) blanks = 8;
    else if (count >= 100 && count <= 999) blanks = 6;
    else if (count >= 1000 && count <= 9999) blanks = 4;
    else if (count >= 10000 && count <= 99999) blanks = 2;
    return std::to_string(count) + std::string(blanks, ' ');
}

MozillaHostGroups ParseMozillaHistory(std::string_view text) {
    if (text.size() > kMaxMozillaHistoryBytes) throw MozillaHistoryError("The history file is too large.");
    const std::vector<std::string_view> lines = SplitLines(text);
    const std::string dictionary = CutDictionary(lines);

    size_t next = 0;
    auto atEnd = [&] { return next >= lines.size(); };
    auto readLine = [&]() -> std::string_view { return atEnd() ? std::string_view{} : lines[next++]; };

    // The header and the column names; then the rows' table opens a line
    // after the dictionary's end.
    for (int k = 0; k < 6; ++k) readLine();
    do {
        if (readLine().find(")>") != kNone) break;
    } while (!atEnd());
    std::string_view current;
    if (!atEnd()) {
        readLine();
        current = readLine();
    }

    MozillaHostGroups groups;
    std::unordered_map<std::string, size_t> groupOf;
    std::string joined;
    while (current.find("]}") == kNone) {
        if (atEnd()) break;  // the file's last line is never a row
        std::string_view row = current;
        bool open = row.find('[') != kNone, close = row.find(']') != kNone;
        if (!(open && close) && !atEnd()) {
            joined.assign(row);
            while (!(open && close) && !atEnd()) {
                const std::string_view more = readLine();
                joined.append(more);
                open = open || more.find('[') != kNone;
                close = close || more.find(']') != kNone;
            }
            row = joined;
        }

        const RowCells cells = FindCells(row);
        std::string_view key;
        if (cells.hostRef != kNone)
            key = ValueAt(row, cells.hostRef);
        else if (cells.hostText != kNone && cells.urlRef != kNone)
            key = ValueAt(row, cells.urlRef);

        auto [slot, added] = groupOf.try_emplace(std::string(key), groups.size());
        if (added) {
            const bool hidden = cells.hidden != kNone && ValueAt(row, cells.hidden) == "1";
            const bool flash = cells.lastVisit != kNone && cells.firstVisit != kNone &&
                               ValueAt(row, cells.lastVisit) == ValueAt(row, cells.firstVisit);
            MozillaHostName group;
            group.count = 1;
            group.hostKey = std::string(key);
            group.pageType = std::string(hidden ? kMozillaHiddenFlag : kMozillaNotHidden);
            if (flash) group.pageType += kMozillaFlashFlag;
            groups.push_back(std::move(group));
        } else {
            ++groups[slot->second].count;
        }
        current = readLine();
    }

    std::vector<std::string_view> keys;
    keys.reserve(groups.size());
    for (const MozillaHostName& group : groups) keys.push_back(group.hostKey);
    const std::vector<size_t> entries = FindEntries(dictionary, keys);
    for (size_t k = 0; k < groups.size(); ++k)
        if (!groups[k].hostKey.empty()) groups[k].hostName = NameAt(dictionary, entries[k] == kNone ? 0 : entries[k]);
    return groups;
}
