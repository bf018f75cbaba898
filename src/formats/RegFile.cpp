// Registry export files: regedit's text layout written from and read into key trees.
#include "formats/RegFile.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace backup {

const char* const kBackupRootFileNames[kBackupRootCount] = {
    "HKEY_LOCAL_MACHINE.reg", "HKEY_CLASSES_ROOT.reg", "HKEY_CURRENT_USER.reg", "HKEY_USERS.reg",
    "HKEY_CURENT_CONFIG.reg"};

namespace {

using Text = std::u16string;

const char kHeader[] = "Windows Registry Editor Version 5.00";
// regedit breaks a hex list once a line reaches this many characters.
constexpr size_t kHexLineLimit = 77;

void AppendAscii(Text& out, const char* ascii) {
    while (*ascii) out.push_back(static_cast<char16_t>(*ascii++));
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// Length of the UTF-8 sequence at i and its code point; 0 when malformed.
size_t DecodeUtf8(const std::string& s, size_t i, uint32_t& code) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;  // surrogates (0xED 0xA0..) are let through on purpose
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char c = byte(i + k);
        if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return 0;
        code = (code << 6) | (c & 0x3F);
    }
    return length;
}

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

// A quoted name or string with the escapes regedit reads; line breaks and
// NULs get the escapes the Wine tools write, so a name keeps to one line.
void AppendQuoted(Text& out, const Text& text) {
    out.push_back(u'"');
    for (char16_t c : text) {
        switch (c) {
        case u'\\': AppendAscii(out, "\\\\"); break;
        case u'"': AppendAscii(out, "\\\""); break;
        case u'\r': AppendAscii(out, "\\r"); break;
        case u'\n': AppendAscii(out, "\\n"); break;
        case u'\0': AppendAscii(out, "\\0"); break;
        default: out.push_back(c);
        }
    }
    out.push_back(u'"');
}

// String data that reads back byte for byte from the quoted form: one closing
// NUL and no other, no line break (regedit would write it raw and split the line).
bool QuotableString(const std::vector<uint8_t>& data, Text& text) {
    if (data.size() < 2 || data.size() % 2 != 0) return false;
    const size_t count = data.size() / 2;
    text.clear();
    for (size_t i = 0; i < count; ++i) {
        const char16_t c = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
        if (i + 1 == count) return c == 0;
        if (c == 0 || IsLineBreak(c)) return false;
        text.push_back(c);
    }
    return false;
}

void AppendHexByte(Text& out, unsigned value) {
    const char digits[] = "0123456789abcdef";
    out.push_back(static_cast<char16_t>(digits[(value >> 4) & 0xF]));
    out.push_back(static_cast<char16_t>(digits[value & 0xF]));
}

// "hex:" or "hex(N):" and the bytes, wrapped where regedit wraps them.
void AppendHexData(Text& out, size_t lineLength, uint32_t type, const std::vector<uint8_t>& data) {
    char prefix[32];
    if (type == regtype::kBinary)
        std::snprintf(prefix, sizeof prefix, "hex:");
    else
        std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(type));
    AppendAscii(out, prefix);
    lineLength += std::char_traits<char>::length(prefix);
    for (size_t i = 0; i < data.size(); ++i) {
        AppendHexByte(out, data[i]);
        if (i + 1 == data.size()) break;
        out.push_back(u',');
        lineLength += 3;
        if (lineLength >= kHexLineLimit) {
            AppendAscii(out, "\\\r\n  ");
            lineLength = 2;
        }
    }
}

void AppendValue(Text& out, const RegValueData& value) {
    const size_t start = out.size();
    if (value.isDefault || value.name.empty())
        out.push_back(u'@');
    else
        AppendQuoted(out, Utf16FromUtf8(value.name));
    out.push_back(u'=');
    Text text;
    if (value.type == regtype::kString && QuotableString(value.data, text)) {
        AppendQuoted(out, text);
    } else if (value.type == regtype::kDword && value.data.size() == 4) {
        const uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                (static_cast<uint32_t>(value.data[3]) << 24);
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(number));
        AppendAscii(out, buffer);
    } else {
        AppendHexData(out, out.size() - start, value.type, value.data);
    }
    AppendAscii(out, "\r\n");
}

// ---- Reading ----

struct Line {
    Text text;
    size_t number = 0;
    // Whether a line break ended it: the last line of a file cut short has none.
    bool ended = false;
};

std::vector<Line> SplitLines(const Text& text) {
    std::vector<Line> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(u'\n', start);
        const bool found = end != Text::npos;
        if (!found) end = text.size();
        Text line = text.substr(start, end - start);
        // A CR alone at the end is no proof the line ended: a name may hold
        // a CR, and the cut may have fallen right after it.
        if (!line.empty() && line.back() == u'\r') line.pop_back();
        lines.push_back({std::move(line), lines.size() + 1, found});
        start = end + 1;
    }
    return lines;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

Text Trimmed(const Text& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool StartsWith(const Text& text, size_t at, const char* ascii) {
    for (size_t i = 0; ascii[i]; ++i, ++at) {
        if (at >= text.size()) return false;
        char16_t c = text[at];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
        if (c != static_cast<char16_t>(ascii[i])) return false;
    }
    return true;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Reads 1 to 8 hex digits as a number; false for anything else.
bool ParseHexNumber(const Text& text, uint32_t& number) {
    if (text.empty() || text.size() > 8) return false;
    number = 0;
    for (char16_t c : text) {
        const int digit = HexDigit(c);
        if (digit < 0) return false;
        number = (number << 4) | static_cast<uint32_t>(digit);
    }
    return true;
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return text;
}

class Reader {
public:
    explicit Reader(std::vector<Line> lines) : lines_(std::move(lines)) {}

    bool Run(std::vector<RegKeyData>& keys, std::string& error) {
        const bool ok = ReadAll();
        if (ok)
            keys = std::move(keys_);
        else
            error = "Line " + std::to_string(errorLine_) + ": " + error_;
        return ok;
    }

private:
    bool Fail(size_t line, const std::string& reason) {
        errorLine_ = line;
        error_ = reason;
        return false;
    }

    bool ReadAll() {
        if (Trimmed(lines_[0].text) != Utf16FromUtf8(kHeader)) {
            if (StartsWith(lines_[0].text, 0, "regedit4"))
                return Fail(1, "REGEDIT4 files are not read; expected \"" + std::string(kHeader) + "\"");
            return Fail(1, "not a registry file: expected \"" + std::string(kHeader) + "\"");
        }
        for (index_ = 1; index_ < lines_.size(); ++index_) {
            const Text line = Trimmed(lines_[index_].text);
            if (line.empty() || line[0] == u';') continue;
            const bool ok = line[0] == u'[' ? ReadSection(line) : ReadValue(line);
            if (!ok) return false;
        }
        return true;
    }

    // A file cut short ends in a line without its line break. Such a last
    // line is taken only when it cannot be the start of something longer:
    // a string closed by its quote, a dword of all eight digits. A key
    // name, a hex list or a shorter number might have gone on.
    bool CutShort(size_t line) const { return !lines_[line].ended; }

    bool ReadSection(const Text& line) {
        const size_t number = lines_[index_].number;
        if (line.back() != u']') return Fail(number, "a key line must end with ']'");
        if (CutShort(index_)) return Fail(number, "the file ends inside a key line (cut short?)");
        const Text path = line.substr(1, line.size() - 2);
        if (path.empty()) return Fail(number, "empty key name");
        if (path[0] == u'-') return Fail(number, "deleting keys (\"[-...]\") is not supported");
        const std::string utf8 = Utf8FromUtf16(path.data(), path.size());
        const auto [found, added] = keyIndex_.try_emplace(LowerAscii(utf8), keys_.size());
        current_ = found->second;
        if (added) {
            keys_.push_back({utf8, {}});
            valueIndex_.emplace_back();
        }
        return true;
    }

    // From the quote at pos: the unescaped text and the position after the closing quote.
    bool ReadQuoted(const Text& line, size_t& pos, Text& text) {
        const size_t number = lines_[index_].number;
        text.clear();
        for (++pos; pos < line.size(); ++pos) {
            const char16_t c = line[pos];
            if (c == u'"') {
                ++pos;
                return true;
            }
            if (c != u'\\') {
                text.push_back(c);
                continue;
            }
            if (++pos == line.size()) break;
            switch (line[pos]) {
            case u'\\': text.push_back(u'\\'); break;
            case u'"': text.push_back(u'"'); break;
            case u'n': text.push_back(u'\n'); break;
            case u'r': text.push_back(u'\r'); break;
            case u'0': text.push_back(u'\0'); break;
            default: return Fail(number, "unknown escape \"\\" + Utf8FromUtf16(&line[pos], 1) + "\" in quoted text");
            }
        }
        return Fail(number, "quoted text without its closing '\"'");
    }

    bool ReadValue(const Text& line) {
        const size_t number = lines_[index_].number;
        if (line[0] != u'"' && line[0] != u'@') return Fail(number, "expected a key in [] or a value");
        if (current_ == keys_.size()) return Fail(number, "a value before any key");
        RegValueData value;
        size_t pos = 0;
        if (line[0] == u'@') {
            value.isDefault = true;
            pos = 1;
        } else {
            Text name;
            if (!ReadQuoted(line, pos, name)) return false;
            value.name = Utf8FromUtf16(name.data(), name.size());
            value.isDefault = name.empty();
        }
        while (pos < line.size() && IsBlank(line[pos])) ++pos;
        if (pos == line.size() || line[pos] != u'=') return Fail(number, "expected '=' after the value name");
        ++pos;
        while (pos < line.size() && IsBlank(line[pos])) ++pos;
        bool whole = false;
        if (!ReadData(line, pos, value, whole)) return false;
        if (!whole && CutShort(index_)) return Fail(number, "the file ends inside this value (cut short?)");
        Store(std::move(value));
        return true;
    }

    void Store(RegValueData value) {
        auto& values = keys_[current_].values;
        const auto [found, added] = valueIndex_[current_].try_emplace(LowerAscii(value.name), values.size());
        if (added)
            values.push_back(std::move(value));
        else
            values[found->second] = std::move(value);
    }

    // whole: the data's text cannot have been cut short (see CutShort).
    bool ReadData(const Text& line, size_t pos, RegValueData& value, bool& whole) {
        const size_t number = lines_[index_].number;
        whole = false;
        if (pos < line.size() && line[pos] == u'"') {
            Text text;
            if (!ReadQuoted(line, pos, text)) return false;
            if (!Trimmed(line.substr(pos)).empty()) return Fail(number, "text after the closing '\"'");
            whole = true;
            value.type = regtype::kString;
            for (char16_t c : text) {
                value.data.push_back(static_cast<uint8_t>(c & 0xFF));
                value.data.push_back(static_cast<uint8_t>(c >> 8));
            }
            value.data.push_back(0);
            value.data.push_back(0);
            return true;
        }
        if (StartsWith(line, pos, "dword:")) {
            uint32_t number32 = 0;
            const Text digits = Trimmed(line.substr(pos + 6));
            if (!ParseHexNumber(digits, number32)) return Fail(number, "a dword needs 1 to 8 hex digits");
            whole = digits.size() == 8;
            value.type = regtype::kDword;
            for (int shift = 0; shift < 32; shift += 8) value.data.push_back(static_cast<uint8_t>(number32 >> shift));
            return true;
        }
        if (StartsWith(line, pos, "hex:")) {
            value.type = regtype::kBinary;
            return ReadHexList(line.substr(pos + 4), value.data);
        }
        if (StartsWith(line, pos, "hex(")) {
            const size_t close = line.find(u')', pos);
            if (close == Text::npos || close + 1 >= line.size() || line[close + 1] != u':')
                return Fail(number, "expected \"hex(type):\"");
            if (!ParseHexNumber(line.substr(pos + 4, close - pos - 4), value.type))
                return Fail(number, "the type in \"hex(type):\" needs 1 to 8 hex digits");
            return ReadHexList(line.substr(close + 2), value.data);
        }
        if (pos < line.size() && line[pos] == u'-') return Fail(number, "deleting values (\"=-\") is not supported");
        return Fail(number, "unknown value data (expected \"text\", dword: or hex:)");
    }

    // The byte list, joined with its continuation lines (a trailing '\').
    bool ReadHexList(Text list, std::vector<uint8_t>& data) {
        const size_t number = lines_[index_].number;
        list = Trimmed(list);
        while (!list.empty() && list.back() == u'\\') {
            list.pop_back();
            // The line after a final line break is empty and has none itself.
            if (++index_ >= lines_.size() || (CutShort(index_) && Trimmed(lines_[index_].text).empty()))
                return Fail(number, "the hex list continues past the end of the file");
            list += Trimmed(lines_[index_].text);
        }
        if (list.empty()) return true;
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(u',', start);
            if (end == Text::npos) end = list.size();
            const Text token = Trimmed(list.substr(start, end - start));
            const bool last = end == list.size();
            if (token.empty() && last && !data.empty()) break;  // a trailing comma
            uint32_t byte = 0;
            if (token.size() > 2 || !ParseHexNumber(token, byte))
                return Fail(number, "bad byte \"" + Utf8FromUtf16(token.data(), token.size()) + "\" in a hex list");
            data.push_back(static_cast<uint8_t>(byte));
            start = end + 1;
        }
        return true;
    }

    std::vector<Line> lines_;
    std::vector<RegKeyData> keys_;
    // Names as the registry compares them, so a repeated key or value is found
    // at once even in a file of a whole root.
    std::unordered_map<std::string, size_t> keyIndex_;
    std::vector<std::unordered_map<std::string, size_t>> valueIndex_;  // one per key
    size_t index_ = 0;
    size_t current_ = 0;  // == keys_.size() until the first key line
    size_t errorLine_ = 0;
    std::string error_;
};

}  // namespace

std::u16string Utf16FromUtf8(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        uint32_t code = 0;
        const size_t length = DecodeUtf8(text, i, code);
        if (length == 0) {
            out.push_back(u'\xFFFD');
            ++i;
            continue;
        }
        i += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

std::string Utf8FromUtf16(const char16_t* text, size_t length) {
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const uint32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, unit);  // an unpaired surrogate keeps its own three bytes
        }
    }
    return out;
}

bool WriteRegFile(const std::vector<RegKeyData>& keys, std::vector<uint8_t>& bytes, std::string& error) {
    Text text;
    AppendAscii(text, kHeader);
    AppendAscii(text, "\r\n\r\n");
    for (const auto& key : keys) {
        const Text path = Utf16FromUtf8(key.path);
        if (path.empty() || std::any_of(path.begin(), path.end(), IsLineBreak)) {
            error = "The key \"" + key.path + "\" cannot be written to a registry file.";
            return false;
        }
        text.push_back(u'[');
        text += path;
        AppendAscii(text, "]\r\n");
        for (const auto& value : key.values) AppendValue(text, value);
        AppendAscii(text, "\r\n");
    }
    bytes.assign({0xFF, 0xFE});
    bytes.reserve(2 + text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return true;
}

bool ReadRegFile(const std::vector<uint8_t>& bytes, std::vector<RegKeyData>& keys, std::string& error) {
    keys.clear();
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE) {
        error = "Line 1: not a registry file in UTF-16 (no byte-order mark)";
        return false;
    }
    if (bytes.size() % 2 != 0) {
        error = "Line 1: the file ends in half a character (odd length)";
        return false;
    }
    Text text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 2; i < bytes.size(); i += 2) text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    return Reader(SplitLines(text)).Run(keys, error);
}

std::string BackupPointName(int year, int month, int day, int hour, int minute) {
    // The hour is space-padded to two places; "%2d" rather than "%2.d", which
    // would print nothing at all for the hour after midnight.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4d.%.2d.%.2d %2d.%.2d", year, month, day, hour, minute);
    return buffer;
}

}  // namespace backup
