// The startup snapshot file: building its bytes and walking them back.
#include "formats/SnapshotFile.h"

#include <cstdint>

namespace snapshots {

const char* const kSnapshotMarker = "<!--maid in Quendal_VX-->";
const char* const kSnapshotDeclaration = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>";

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kTrue = "True";
constexpr const char* kFalse = "False";

// windows-1252 bytes 0x80 to 0x9F; 0 where the code page defines none.
constexpr char32_t kHighBlock[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The byte windows-1252 gives the character, or -1.
int ByteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (int i = 0; i < 32; ++i)
        if (kHighBlock[i] == c) return 0x80 + i;
    return -1;
}

bool AllowedInXml(char32_t c) {
    if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

// Next character of UTF-8 text; false on an invalid sequence (overlong,
// surrogate, beyond U+10FFFF, cut short).
bool NextUtf8(const std::string& text, size_t& at, char32_t& c) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    int extra = 0;
    char32_t least = 0;
    if (lead < 0x80) { c = lead; ++at; return true; }
    if ((lead & 0xE0) == 0xC0) { extra = 1; c = lead & 0x1F; least = 0x80; }
    else if ((lead & 0xF0) == 0xE0) { extra = 2; c = lead & 0x0F; least = 0x800; }
    else if ((lead & 0xF8) == 0xF0) { extra = 3; c = lead & 0x07; least = 0x10000; }
    else return false;
    if (text.size() - at <= static_cast<size_t>(extra)) return false;
    for (int i = 1; i <= extra; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return false;
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    at += extra + 1;
    return true;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One text line of the file: the text in windows-1252, escaped.
bool AppendText(std::string& out, const std::string& text, std::string& fault) {
    for (size_t at = 0; at < text.size();) {
        char32_t c = 0;
        if (!NextUtf8(text, at, c)) {
            fault = "The text \"" + text + "\" is not valid UTF-8.";
            return false;
        }
        if (!AllowedInXml(c)) {
            fault = "The text \"" + text + "\" holds the character " + std::to_string(c) +
                    ", which an XML file cannot hold.";
            return false;
        }
        switch (c) {
        case '&': out += "&amp;"; continue;
        case '<': out += "&lt;"; continue;
        case '>': out += "&gt;"; continue;
        case '\r': out += "&#13;"; continue;
        case '\n': out += "&#10;"; continue;
        default: break;
        }
        const int b = ByteOf(c);
        if (b >= 0) out += static_cast<char>(b);
        else out += "&#" + std::to_string(static_cast<uint32_t>(c)) + ";";
    }
    out += kLineEnd;
    return true;
}

void AppendLine(std::string& out, const std::string& line) {
    out += line;
    out += kLineEnd;
}

struct Builder {
    std::string& out;
    std::string& fault;
    bool Element(const char* tag, const std::string& text) {
        AppendLine(out, std::string("<") + tag + ">");
        if (!AppendText(out, text, fault)) return false;
        AppendLine(out, std::string("</") + tag + ">");
        return true;
    }
};

// A section name becomes a tag: only names a tag can be pass.
bool IsTagName(const std::string& name) {
    if (name.empty()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool more = (c >= '0' && c <= '9') || c == '.' || c == '-';
        if (!letter && !(i > 0 && more)) return false;
    }
    return true;
}

// --- the walk back ---

struct Walker {
    const std::string& bytes;
    size_t at = 0;
    int line = 0;
    std::string& fault;

    bool Fail(const std::string& what) {
        fault = "Line " + std::to_string(line) + ": " + what;
        return false;
    }
    bool Next(std::string& text) {
        if (at >= bytes.size()) {
            ++line;
            return Fail("the file ends early.");
        }
        const size_t end = bytes.find(kLineEnd, at);
        ++line;
        if (end == std::string::npos) return Fail("the line does not end with CR LF.");
        text.assign(bytes, at, end - at);
        at = end + 2;
        return true;
    }
    bool Expect(const std::string& wanted) {
        std::string text;
        if (!Next(text)) return false;
        return text == wanted || Fail("\"" + wanted + "\" expected.");
    }
    // A text line decoded to UTF-8.
    bool Text(std::string& value) {
        std::string raw;
        if (!Next(raw)) return false;
        value.clear();
        for (size_t i = 0; i < raw.size(); ++i) {
            const unsigned char b = static_cast<unsigned char>(raw[i]);
            if (b == '<' || b == '>') return Fail("a text holds an unescaped \"<\" or \">\".");
            if (b == '&') {
                const size_t semi = raw.find(';', i);
                if (semi == std::string::npos) return Fail("a reference does not end.");
                const std::string ref = raw.substr(i + 1, semi - i - 1);
                i = semi;
                if (ref == "amp") { value += '&'; continue; }
                if (ref == "lt") { value += '<'; continue; }
                if (ref == "gt") { value += '>'; continue; }
                if (ref.size() < 2 || ref.size() > 8 || ref[0] != '#') return Fail("an unknown reference.");
                char32_t c = 0;
                for (size_t k = 1; k < ref.size(); ++k) {
                    if (ref[k] < '0' || ref[k] > '9') return Fail("an unknown reference.");
                    c = c * 10 + static_cast<char32_t>(ref[k] - '0');
                }
                if (!AllowedInXml(c)) return Fail("a reference to a character XML cannot hold.");
                AppendUtf8(value, c);
                continue;
            }
            if (b < 0x20 && b != '\t') return Fail("a control character in a text.");
            char32_t c = b;
            if (b >= 0x80 && b <= 0x9F) {
                c = kHighBlock[b - 0x80];
                if (c == 0) return Fail("a byte windows-1252 does not define.");
            }
            AppendUtf8(value, c);
        }
        return true;
    }
    bool Element(const char* tag, std::string& value) {
        return Expect(std::string("<") + tag + ">") && Text(value) && Expect(std::string("</") + tag + ">");
    }
    bool Peek(const std::string& wanted) const {
        return bytes.compare(at, wanted.size() + 2, wanted + kLineEnd) == 0;
    }
};

// --- the reader's walk: the lines give the layout, the parser the values ---

struct DocumentWalker {
    const std::vector<std::string>& lines;
    const std::vector<std::pair<std::string, std::string>>& leaves;
    std::string& fault;
    size_t leaf = 0;

    bool Fail(size_t line, const std::string& what) {
        fault = "Line " + std::to_string(line + 1) + ": " + what;
        return false;
    }
    // The line at index, looked for before it is read.
    bool Line(size_t index, std::string& text) {
        if (index >= lines.size()) return Fail(index, "the file ends early.");
        text = lines[index];
        return true;
    }
    bool Is(size_t index, const std::string& wanted) {
        return index < lines.size() && lines[index] == wanted;
    }
    bool Expect(size_t index, const std::string& wanted) {
        std::string text;
        if (!Line(index, text)) return false;
        return text == wanted || Fail(index, "\"" + wanted + "\" expected.");
    }
    // The parser's next text, which must belong to an element of that tag.
    bool Take(size_t line, const std::string& tag, std::string& value) {
        if (leaf >= leaves.size() || leaves[leaf].first != tag)
            return Fail(line, "the text of <" + tag + "> is not where the lines put it.");
        value = leaves[leaf++].second;
        return true;
    }
    // <tag>, its text line, </tag> from index on.
    bool Element(size_t index, const char* tag, std::string& value) {
        return Expect(index, std::string("<") + tag + ">") && Line(index + 1, value) &&
               Expect(index + 2, std::string("</") + tag + ">") && Take(index + 1, tag, value);
    }
    // A run entry of 14 lines from index on.
    bool RunEntry(size_t index, SnapshotRunEntry& entry) {
        std::string check;
        if (!Expect(index, "<VALUE>") || !Element(index + 1, "NAME", entry.name) ||
            !Element(index + 4, "LOCATION", entry.location) || !Element(index + 7, "ROOT", entry.root) ||
            !Element(index + 10, "CHECK", check) || !Expect(index + 13, "</VALUE>"))
            return false;
        if (check != kTrue && check != kFalse) return Fail(index + 11, "CHECK is neither True nor False.");
        entry.active = check == kTrue;
        return true;
    }
    // A file entry of 8 lines from index on.
    bool FileEntry(size_t index, SnapshotFileEntry& file) {
        return Expect(index, "<VALUE>") && Element(index + 1, "NAME", file.name) &&
               Element(index + 4, "LOCATION", file.folder) && Expect(index + 7, "</VALUE>");
    }
    // An element with nothing inside: the parser gives it a text of its own.
    bool Empty(size_t line, const std::string& tag) {
        std::string text;
        return Take(line, tag, text);
    }
};

}  // namespace

bool BuildSnapshotBytes(const SnapshotData& data, std::string& bytes, std::string& fault) {
    bytes.clear();
    fault.clear();
    Builder b{bytes, fault};
    AppendLine(bytes, kSnapshotDeclaration);
    AppendLine(bytes, kSnapshotMarker);
    AppendLine(bytes, "<ALL>");
    AppendLine(bytes, "<REGISTRY>");
    for (const SnapshotSection& section : data.sections) {
        if (!IsTagName(section.name)) {
            fault = "\"" + section.name + "\" cannot name a section.";
            return false;
        }
        AppendLine(bytes, "<" + section.name + ">");
        for (const SnapshotRunEntry& entry : section.entries) {
            AppendLine(bytes, "<VALUE>");
            if (!b.Element("NAME", entry.name) || !b.Element("LOCATION", entry.location) ||
                !b.Element("ROOT", entry.root) || !b.Element("CHECK", entry.active ? kTrue : kFalse))
                return false;
            AppendLine(bytes, "</VALUE>");
        }
        AppendLine(bytes, "</" + section.name + ">");
    }
    AppendLine(bytes, "</REGISTRY>");
    AppendLine(bytes, "<WIN.INI>");
    AppendLine(bytes, "</WIN.INI>");
    AppendLine(bytes, "<AUTOSTART>");
    for (const SnapshotFileEntry& file : data.files) {
        AppendLine(bytes, "<VALUE>");
        if (!b.Element("NAME", file.name) || !b.Element("LOCATION", file.folder)) return false;
        AppendLine(bytes, "</VALUE>");
    }
    AppendLine(bytes, "</AUTOSTART>");
    if (!b.Element("DATE", data.date)) return false;
    AppendLine(bytes, "</ALL>");
    return true;
}

std::vector<std::pair<std::string, std::string>> SnapshotLeafTexts(const SnapshotData& data) {
    std::vector<std::pair<std::string, std::string>> leaves;
    for (const SnapshotSection& section : data.sections) {
        if (section.entries.empty()) leaves.emplace_back(section.name, "");
        for (const SnapshotRunEntry& entry : section.entries) {
            leaves.emplace_back("NAME", entry.name);
            leaves.emplace_back("LOCATION", entry.location);
            leaves.emplace_back("ROOT", entry.root);
            leaves.emplace_back("CHECK", entry.active ? kTrue : kFalse);
        }
    }
    if (data.sections.empty()) leaves.emplace_back("REGISTRY", "");
    leaves.emplace_back("WIN.INI", "");
    if (data.files.empty()) leaves.emplace_back("AUTOSTART", "");
    for (const SnapshotFileEntry& file : data.files) {
        leaves.emplace_back("NAME", file.name);
        leaves.emplace_back("LOCATION", file.folder);
    }
    leaves.emplace_back("DATE", data.date);
    return leaves;
}

bool ReadSnapshotBytes(const std::string& bytes, SnapshotData& data, std::string& fault) {
    data = SnapshotData{};
    fault.clear();
    Walker w{bytes, 0, 0, fault};
    if (!w.Expect(kSnapshotDeclaration) || !w.Expect(kSnapshotMarker) || !w.Expect("<ALL>") || !w.Expect("<REGISTRY>"))
        return false;
    while (!w.Peek("</REGISTRY>")) {
        std::string open;
        if (!w.Next(open)) return false;
        if (open.size() < 3 || open.front() != '<' || open.back() != '>' ||
            !IsTagName(open.substr(1, open.size() - 2)))
            return w.Fail("a section's start tag expected.");
        SnapshotSection section{open.substr(1, open.size() - 2), {}};
        const std::string close = "</" + section.name + ">";
        while (!w.Peek(close)) {
            SnapshotRunEntry entry;
            std::string check;
            if (!w.Expect("<VALUE>") || !w.Element("NAME", entry.name) || !w.Element("LOCATION", entry.location) ||
                !w.Element("ROOT", entry.root) || !w.Element("CHECK", check) || !w.Expect("</VALUE>"))
                return false;
            if (check != kTrue && check != kFalse) return w.Fail("CHECK is neither True nor False.");
            entry.active = check == kTrue;
            section.entries.push_back(std::move(entry));
        }
        if (!w.Expect(close)) return false;
        data.sections.push_back(std::move(section));
    }
    if (!w.Expect("</REGISTRY>") || !w.Expect("<WIN.INI>") || !w.Expect("</WIN.INI>") || !w.Expect("<AUTOSTART>"))
        return false;
    while (!w.Peek("</AUTOSTART>")) {
        SnapshotFileEntry file;
        if (!w.Expect("<VALUE>") || !w.Element("NAME", file.name) || !w.Element("LOCATION", file.folder) ||
            !w.Expect("</VALUE>"))
            return false;
        data.files.push_back(std::move(file));
    }
    if (!w.Expect("</AUTOSTART>") || !w.Element("DATE", data.date) || !w.Expect("</ALL>")) return false;
    if (w.at != bytes.size()) return w.Fail("text after the end of the document.");
    return true;
}

bool ReadSnapshotDocument(const std::vector<std::string>& lines,
                          const std::vector<std::pair<std::string, std::string>>& leaves, SnapshotData& data,
                          std::string& fault) {
    data = SnapshotData{};
    fault.clear();
    DocumentWalker w{lines, leaves, fault};
    if (!w.Expect(1, kSnapshotMarker) || !w.Expect(2, "<ALL>") || !w.Expect(3, "<REGISTRY>")) return false;
    size_t p = 4;
    std::string open;
    for (; w.Line(p, open) && open != "</REGISTRY>"; p += 2) {
        const std::string name = open.size() >= 3 ? open.substr(1, open.size() - 2) : std::string();
        if (open.size() < 3 || open.front() != '<' || open.back() != '>' || !IsTagName(name))
            return w.Fail(p, "a section's start tag expected.");
        SnapshotSection section{name, {}};
        const std::string close = "</" + name + ">";
        if (w.Is(p + 1, close) && !w.Empty(p, name)) return false;
        for (; !w.Is(p + 1, close); p += 14) {
            SnapshotRunEntry entry;
            if (!w.RunEntry(p + 1, entry)) return false;
            section.entries.push_back(std::move(entry));
        }
        data.sections.push_back(std::move(section));
    }
    if (!fault.empty()) return false;
    if (data.sections.empty() && !w.Empty(p, "REGISTRY")) return false;
    if (!w.Expect(p + 1, "<WIN.INI>") || !w.Expect(p + 2, "</WIN.INI>") || !w.Empty(p + 1, "WIN.INI") ||
        !w.Expect(p + 3, "<AUTOSTART>"))
        return false;
    size_t q = p + 3;
    if (w.Is(q + 1, "</AUTOSTART>") && !w.Empty(q, "AUTOSTART")) return false;
    for (; !w.Is(q + 1, "</AUTOSTART>"); q += 8) {
        SnapshotFileEntry file;
        if (!w.FileEntry(q + 1, file)) return false;
        data.files.push_back(std::move(file));
    }
    if (!w.Element(q + 2, "DATE", data.date) || !w.Expect(q + 5, "</ALL>")) return false;
    if (q + 6 != lines.size()) return w.Fail(q + 6, "text after the end of the document.");
    if (w.leaf != leaves.size()) return w.Fail(q + 5, "the document holds texts the lines do not show.");
    return true;
}

std::string TextBetweenLineBreaks(std::string text) {
    if (!text.empty() && text.front() == '\n') text.erase(0, 1);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

std::vector<std::string> SplitSnapshotLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        const size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos) end = bytes.size();
        if (end > at && bytes[end - 1] == '\r') --end;
        lines.emplace_back(bytes, at, end - at);
        at = next;
    }
    return lines;
}

bool HasDoctype(const std::string& bytes) {
    // Case matters to XML, but a lower-case spelling is refused too: it is
    // never ours and costs nothing to refuse.
    static const std::string kDoctype = "<!doctype";
    for (size_t at = bytes.find("<!"); at != std::string::npos; at = bytes.find("<!", at + 1)) {
        if (bytes.size() - at < kDoctype.size()) return false;
        bool same = true;
        for (size_t i = 2; i < kDoctype.size() && same; ++i) {
            char c = bytes[at + i];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
            same = c == kDoctype[i];
        }
        if (same) return true;
    }
    return false;
}

namespace {

bool StartsWith(const std::string& bytes, size_t at, const char* start, size_t size) {
    return bytes.size() - at >= size && bytes.compare(at, size, start, size) == 0;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return text;
}

// The value of the declaration's encoding: "" for none; false when it is
// there but cannot be read.
bool DeclaredEncoding(const std::string& declaration, std::string& encoding) {
    encoding.clear();
    size_t at = declaration.find("encoding");
    if (at == std::string::npos) return true;
    const auto skipSpace = [&] {
        while (at < declaration.size() && (declaration[at] == ' ' || declaration[at] == '\t' ||
                                           declaration[at] == '\r' || declaration[at] == '\n'))
            ++at;
    };
    at += 8;
    skipSpace();
    if (at >= declaration.size() || declaration[at] != '=') return false;
    ++at;
    skipSpace();
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) return false;
    const size_t end = declaration.find(declaration[at], at + 1);
    if (end == std::string::npos) return false;
    encoding = declaration.substr(at + 1, end - at - 1);
    return true;
}

}  // namespace

std::string ForeignEncodingFault(const std::string& bytes) {
    size_t at = 0;
    if (StartsWith(bytes, 0, "\xEF\xBB\xBF", 3)) at = 3;  // UTF-8's byte-order mark
    else if (StartsWith(bytes, 0, "\xFE\xFF", 2) || StartsWith(bytes, 0, "\xFF\xFE", 2))
        return "it is written in UTF-16, and a snapshot never is.";
    else if (bytes.substr(0, 4).find('\0') != std::string::npos)
        return "its first bytes hold a NUL, so it is no text in windows-1252 or UTF-8.";
    else if (StartsWith(bytes, 0, "+/v", 3) || StartsWith(bytes, 0, "\x4C\x6F\xA7\x94", 4))
        return "it is written in UTF-7 or EBCDIC, and a snapshot never is.";
    if (!StartsWith(bytes, at, "<?xml", 5)) return "";
    // Case ignored: no parser reads "ENCODING", but refusing it costs nothing.
    const size_t close = bytes.find("?>", at);
    std::string encoding;
    if (!DeclaredEncoding(Lower(bytes.substr(at, close == std::string::npos ? std::string::npos : close - at)),
                          encoding))
        return "its declaration names an encoding that cannot be read.";
    for (const char* known : {"", "utf-8", "windows-1252", "iso-8859-1", "us-ascii"})
        if (encoding == known) return "";
    return "it declares the encoding \"" + encoding + "\", and a snapshot never uses it.";
}

}  // namespace snapshots
