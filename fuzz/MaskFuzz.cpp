// Fuzz target for the mask compiler and matcher: every input is a mask and a
// text; the answers are checked against a plain recursive matcher and a
// plain validity check written here from the mask language itself.
#include "formats/Masks.h"

#include <bitset>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kReferenceMaskLimit = 64;
constexpr size_t kReferenceTextLimit = 512;

unsigned char Up(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c; }

// UTF-8 character length as the masks read it: malformed bytes stand alone.
size_t Unit(const std::string& s, size_t i) {
    if (i >= s.size()) return 0;
    const unsigned char lead = static_cast<unsigned char>(s[i]);
    const size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 1;
    if (i + length > s.size()) return 1;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    return length;
}

std::string Hex(const std::string& s) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) out += {digits[c >> 4], digits[c & 15], ' '};
    return out;
}

[[noreturn]] void Disagree(const char* what, const std::string& mask, const std::string& text, long expected, long got) {
    std::fprintf(stderr, "%s: expected %ld, got %ld\nmask: %s\ntext: %s\n", what, expected, got, Hex(mask).c_str(),
                 Hex(text).c_str());
    std::abort();
}

// Reads the set whose "[" is at open. Returns the 1-based error position, or
// 0 with next set past its "]".
int ReadSet(const std::string& m, size_t open, size_t& next, bool& negate, std::bitset<256>& set) {
    const int end = static_cast<int>(m.size()) + 1;
    size_t i = open + 1;
    negate = i < m.size() && m[i] == '!';
    if (negate) ++i;
    bool any = false;
    int last = -1;
    for (; i < m.size(); ) {
        const unsigned char c = static_cast<unsigned char>(m[i]);
        if (c == ']') {
            if (!any) return static_cast<int>(i) + 1;
            next = i + 1;
            return 0;
        }
        if (c == '-') {
            if (last < 0) return static_cast<int>(i) + 1;
            if (i + 1 >= m.size()) return end;
            for (int v = last; v <= Up(static_cast<unsigned char>(m[i + 1])); ++v) set.set(static_cast<size_t>(v));
            i += 1 + Unit(m, i + 1);
        } else {
            if (Unit(m, i) == 1) set.set(static_cast<size_t>(last = Up(c)));
            i += Unit(m, i);
        }
        any = true;
    }
    return end;
}

// The 1-based position at which the mask is invalid, or 0 when it is valid.
int InvalidAt(const std::string& m) {
    bool pending = false;
    int skips = 0;
    auto emit = [&](int position) {
        const bool over = pending && ++skips > Mask::kMaxSkips;
        pending = false;
        return over ? position : 0;
    };
    for (size_t i = 0; i < m.size();) {
        int error = 0;
        if (m[i] == '*') {
            pending = true;
            ++i;
        } else if (m[i] == '?') {
            if (!pending) error = emit(static_cast<int>(i) + 1);
            ++i;
        } else if (m[i] == '[') {
            bool negate = false;
            std::bitset<256> set;
            size_t next = 0;
            error = ReadSet(m, i, next, negate, set);
            if (!error) error = emit(static_cast<int>(next));
            i = next;
        } else {
            error = emit(static_cast<int>(i) + 1);
            i += Unit(m, i);
        }
        if (error) return error;
    }
    return emit(static_cast<int>(m.size()) + 1);
}

// Whole-text matching straight from the language, memoised on (mask index,
// text index, whether a "*" is pending) so long stars stay cheap.
class Reference {
public:
    Reference(const std::string& m, const std::string& t) : m_(m), t_(t), memo_(2 * (m.size() + 1) * (t.size() + 1), -1) {}

    bool Match(size_t mi, size_t ti, bool star) {
        signed char& known = memo_[(mi * (t_.size() + 1) + ti) * 2 + star];
        if (known < 0) known = Compute(mi, ti, star);
        return known;
    }

private:
    bool Compute(size_t mi, size_t ti, bool star) {
        const bool atEnd = ti >= t_.size();
        if (mi == m_.size() || m_[mi] == '\0') return atEnd;  // a NUL stands for the end of the text
        const unsigned char c = static_cast<unsigned char>(m_[mi]);
        if (c == '*') return Match(mi + 1, ti, true) || (!atEnd && Match(mi, ti + Unit(t_, ti), true));
        if (c == '?' && star) return Match(mi + 1, ti, true);
        if (atEnd) return false;
        const size_t unit = Unit(t_, ti);
        if (c == '?') return Match(mi + 1, ti + unit, false);
        if (c == '[') {
            bool negate = false;
            std::bitset<256> set;
            size_t next = 0;
            ReadSet(m_, mi, next, negate, set);
            const bool in = unit == 1 && set.test(Up(static_cast<unsigned char>(t_[ti])));
            return in != negate && Match(next, ti + unit, false);
        }
        const size_t length = Unit(m_, mi);
        if (length > 1) return t_.compare(ti, length, m_, mi, length) == 0 && Match(mi + length, ti + length, false);
        return unit == 1 && Up(static_cast<unsigned char>(t_[ti])) == Up(c) && Match(mi + 1, ti + 1, false);
    }

    const std::string& m_;
    const std::string& t_;
    std::vector<signed char> memo_;
};

}  // namespace

// The first byte is the mask's length; the mask follows, the rest is the text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t maskLength = data[0] < size - 1 ? data[0] : size - 1;
    const std::string mask(reinterpret_cast<const char*>(data + 1), maskLength);
    const std::string text(reinterpret_cast<const char*>(data + 1 + maskLength), size - 1 - maskLength);

    for (size_t i = 0; i <= text.size(); ++i)
        if (CharacterLength(text, i) != Unit(text, i)) Disagree("character length", mask, text, Unit(text, i), CharacterLength(text, i));

    const int invalidAt = InvalidAt(mask);
    bool fits = false;
    try {
        Mask compiled(mask);
        if (invalidAt) Disagree("invalid mask compiled", mask, text, invalidAt, 0);
        if (compiled.Size() > mask.size() + 1) Disagree("states", mask, text, mask.size() + 1, compiled.Size());
        fits = compiled.Fits(text);
    } catch (const MaskError& error) {
        if (error.Position() != invalidAt) Disagree("error position", mask, text, invalidAt, error.Position());
        const std::string message = "'" + mask + "' is an invalid mask at (" + std::to_string(invalidAt) + ")";
        // what() is a C string: a NUL in the mask ends it there.
        if (std::strcmp(message.c_str(), error.what()) != 0) Disagree("error message", mask, text, 0, 1);
        return 0;
    }
    if (mask.size() <= kReferenceMaskLimit && text.size() <= kReferenceTextLimit) {
        const bool expected = Reference(mask, text).Match(0, 0, false);
        if (fits != expected) Disagree("fits", mask, text, expected, fits);
    }
    return 0;
}
