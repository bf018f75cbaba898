// The backup point's manifest as text: written field by field with escapes,
// read back strictly, so a damaged or cut manifest is refused rather than
// trusted.
#include "formats/PointManifest.h"

#include <cstdio>

namespace backup {

const char* const kManifestFileName = "manifest.txt";

namespace {

const char kHeader[] = "Orvelin backup point manifest 1";
const char kFileKind[] = "file";
const char kLeftOutKind[] = "left-out";
const char kDescriptionKind[] = "description";
const char kDescriptionSeparator[] = "; ";
const char kEnd[] = "end";
constexpr size_t kDigestDigits = 64;
constexpr size_t kMaxNumberDigits = 20;  // 18446744073709551615

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// '%', the separator and every control character as %XX; the rest as it is.
void AppendField(std::string& out, const std::string& field) {
    for (char c : field) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '%' || IsControl(byte)) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            out += escaped;
        } else {
            out.push_back(c);
        }
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Unescape(const std::string& field, std::string& text, std::string& reason) {
    text.clear();
    for (size_t i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (IsControl(static_cast<unsigned char>(c))) {
            reason = "a control character in a field";
            return false;
        }
        if (c != '%') {
            text.push_back(c);
            continue;
        }
        const int high = i + 1 < field.size() ? HexDigit(field[i + 1]) : -1;
        const int low = i + 2 < field.size() ? HexDigit(field[i + 2]) : -1;
        if (high < 0 || low < 0) {
            reason = "'%' without two hex digits";
            return false;
        }
        text.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return true;
}

bool ParseNumber(const std::string& field, uint64_t& number) {
    if (field.empty() || field.size() > kMaxNumberDigits) return false;
    number = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return false;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (number > (UINT64_MAX - digit) / 10) return false;
        number = number * 10 + digit;
    }
    return true;
}

bool ParseDigest(const std::string& field, std::string& digest) {
    if (field.size() != kDigestDigits) return false;
    digest.clear();
    for (char c : field) {
        if (HexDigit(c) < 0) return false;
        digest.push_back(LowerAscii(c));
    }
    return true;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

// A root file's name stays a plain name inside the point's folder.
bool PlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:") == std::string::npos;
}

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    bool Run(PointManifest& manifest, std::string& error) {
        if (!ReadAll()) {
            error = "Line " + std::to_string(line_) + ": " + reason_;
            return false;
        }
        manifest = std::move(manifest_);
        return true;
    }

private:
    bool Fail(const std::string& reason) {
        reason_ = reason;
        return false;
    }

    // The next line without its end; false at the end of the text.
    bool NextLine(std::string& line) {
        if (at_ >= text_.size()) return false;
        size_t end = text_.find('\n', at_);
        if (end == std::string::npos) end = text_.size();
        line = text_.substr(at_, end - at_);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        at_ = end + 1;
        ++line_;
        return true;
    }

    bool ReadAll() {
        std::string line;
        line_ = 0;
        if (!NextLine(line) || line != kHeader) {
            line_ = 1;
            return Fail("not a backup point manifest: expected \"" + std::string(kHeader) + "\"");
        }
        for (;;) {
            if (!NextLine(line)) {
                ++line_;  // where the end line should be
                return Fail("the manifest ends before its end line (cut short?)");
            }
            if (line == kEnd) break;
            const std::vector<std::string> fields = SplitFields(line);
            bool ok = false;
            if (fields[0] == kFileKind)
                ok = ReadFile(fields);
            else if (fields[0] == kLeftOutKind)
                ok = ReadLeftOut(fields);
            else if (fields[0] == kDescriptionKind)
                ok = ReadDescription(fields);
            else
                ok = Fail("unknown line (expected \"file\", \"left-out\", \"description\" or \"end\")");
            if (!ok) return false;
        }
        if (at_ < text_.size()) {
            ++line_;
            return Fail("text after the end line");
        }
        return true;
    }

    bool ReadFile(const std::vector<std::string>& fields) {
        if (fields.size() != 6) return Fail("a file line needs a name, size, SHA-256, key count and value count");
        ManifestFile file;
        std::string reason;
        if (!Unescape(fields[1], file.name, reason)) return Fail(reason);
        if (!PlainFileName(file.name)) return Fail("the file's name is empty or not a plain name");
        if (manifest_.Find(file.name)) return Fail("the file \"" + file.name + "\" is listed twice");
        if (!ParseNumber(fields[2], file.size)) return Fail("the size is not a number");
        if (!ParseDigest(fields[3], file.sha256)) return Fail("the SHA-256 needs 64 hex digits");
        if (!ParseNumber(fields[4], file.keys)) return Fail("the key count is not a number");
        if (!ParseNumber(fields[5], file.values)) return Fail("the value count is not a number");
        manifest_.files.push_back(std::move(file));
        return true;
    }

    bool ReadLeftOut(const std::vector<std::string>& fields) {
        if (fields.size() != 3) return Fail("a left-out line needs a key and a reason");
        LeftOutKey entry;
        std::string reason;
        if (!Unescape(fields[1], entry.path, reason) || !Unescape(fields[2], entry.reason, reason)) return Fail(reason);
        if (entry.path.empty()) return Fail("a left-out line names no key");
        manifest_.leftOut.push_back(std::move(entry));
        return true;
    }

    bool ReadDescription(const std::vector<std::string>& fields) {
        if (fields.size() != 2) return Fail("a description line needs one text");
        if (seenDescription_) return Fail("the description is given twice");
        seenDescription_ = true;
        std::string reason;
        if (!Unescape(fields[1], manifest_.description, reason)) return Fail(reason);
        if (manifest_.description.empty()) return Fail("the description line is empty");
        return true;
    }

    const std::string& text_;
    bool seenDescription_ = false;
    size_t at_ = 0;
    size_t line_ = 0;
    std::string reason_;
    PointManifest manifest_;
};

}  // namespace

const ManifestFile* PointManifest::Find(const std::string& name) const {
    for (const auto& file : files)
        if (SameAsciiCase(file.name, name)) return &file;
    return nullptr;
}

void PointManifest::SetFile(const ManifestFile& file) {
    for (auto& old : files) {
        if (!SameAsciiCase(old.name, file.name)) continue;
        old = file;
        return;
    }
    files.push_back(file);
}

void PointManifest::AddLeftOut(const LeftOutKey& entry) {
    for (const auto& old : leftOut)
        if (SameAsciiCase(old.path, entry.path)) return;
    leftOut.push_back(entry);
}

void PointManifest::AddDescription(const std::string& text) {
    if (text.empty()) return;
    if (description.empty()) {
        description = text;
        return;
    }
    // Whole parts only: "Fix: 3 items" is not said by "Fix: 31 items".
    const std::string parts = kDescriptionSeparator + description + kDescriptionSeparator;
    if (parts.find(kDescriptionSeparator + text + kDescriptionSeparator) == std::string::npos)
        description += kDescriptionSeparator + text;
}

std::string WriteManifest(const PointManifest& manifest) {
    std::string text = std::string(kHeader) + "\r\n";
    if (!manifest.description.empty()) {
        text += kDescriptionKind;
        text += '\t';
        AppendField(text, manifest.description);
        text += "\r\n";
    }
    for (const auto& file : manifest.files) {
        text += kFileKind;
        text += '\t';
        AppendField(text, file.name);
        text += '\t' + std::to_string(file.size) + '\t' + file.sha256 + '\t' + std::to_string(file.keys) + '\t' +
                std::to_string(file.values) + "\r\n";
    }
    for (const auto& entry : manifest.leftOut) {
        text += kLeftOutKind;
        text += '\t';
        AppendField(text, entry.path);
        text += '\t';
        AppendField(text, entry.reason);
        text += "\r\n";
    }
    return text + kEnd + "\r\n";
}

bool ReadManifest(const std::string& text, PointManifest& manifest, std::string& error) {
    manifest = PointManifest();
    return Reader(text).Run(manifest, error);
}

}  // namespace backup
