// Fuzz target for the startup snapshot file: the input taken as snapshot
// data (fields split at NUL bytes) builds bytes that hold no document type
// and walk back to the same data, both by the strict byte walk and by the
// reader's walk of lines and parser texts, or is refused with a reason; the
// input taken as a file is refused with a reason or walks to data that
// builds again and walks back to itself, by either walk.
#include "formats/SnapshotFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace snapshots;

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "snapshot_fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

const char* const kSections[] = {"Run", "RunOnce", "RunOnceEx", "RunService", "RunServiceOnce", "WIN.INI", "a-b.c"};

// Fields: the date first; then each field's first byte says what it starts:
// a section, a run entry (name, then the next field its location) or a file
// (name, then the next field its folder).
SnapshotData DataFrom(const std::string& input) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t at = 0; at <= input.size(); ++at) {
        if (at == input.size() || input[at] == '\0') {
            fields.push_back(input.substr(start, at - start));
            start = at + 1;
        }
    }
    SnapshotData data;
    data.date = fields[0];
    for (size_t i = 1; i < fields.size(); ++i) {
        const std::string& field = fields[i];
        const unsigned char kind = field.empty() ? 0 : static_cast<unsigned char>(field[0]);
        const std::string rest = field.empty() ? std::string() : field.substr(1);
        const std::string next = i + 1 < fields.size() ? fields[i + 1] : std::string();
        switch (kind % 3) {
        case 0: data.sections.push_back(SnapshotSection{kSections[kind / 3 % 7], {}}); break;
        case 1:
            if (data.sections.empty()) data.sections.push_back(SnapshotSection{"Run", {}});
            data.sections.back().entries.push_back(
                SnapshotRunEntry{rest, next, (kind & 4) ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER", (kind & 8) != 0});
            ++i;
            break;
        default:
            data.files.push_back(SnapshotFileEntry{rest, next});
            ++i;
            break;
        }
    }
    return data;
}

void BuildsAndWalksBack(const SnapshotData& data, bool mustBuild) {
    std::string bytes, fault;
    if (!BuildSnapshotBytes(data, bytes, fault)) {
        if (mustBuild) Fail("data walked from a file does not build", fault);
        if (fault.empty()) Fail("refused without a reason", "");
        return;
    }
    if (HasDoctype(bytes)) Fail("built bytes hold a document type", bytes);
    SnapshotData read;
    if (!ReadSnapshotBytes(bytes, read, fault)) Fail("built bytes do not walk back", fault + "\n" + bytes);
    if (!(read == data)) Fail("built bytes walk back to other data", bytes);
    if (SnapshotLeafTexts(read) != SnapshotLeafTexts(data)) Fail("leaf texts differ", bytes);
    // The reader's walk: the lines for the layout, what a parser reads for the values.
    SnapshotData document;
    if (!ReadSnapshotDocument(SplitSnapshotLines(bytes), SnapshotLeafTexts(data), document, fault))
        Fail("built bytes do not walk back as a document", fault + "\n" + bytes);
    if (!(document == data)) Fail("built bytes walk back as a document to other data", bytes);
}

// What a parser would read from lines laid out one tag or text per line: an
// element's one text line, or "" for an element with nothing inside.
std::vector<std::pair<std::string, std::string>> NaiveLeaves(const std::vector<std::string>& lines) {
    std::vector<std::pair<std::string, std::string>> leaves;
    const auto tag = [](const std::string& line) {
        return line.size() > 2 && line.front() == '<' && line.back() == '>' && line[1] != '/'
                   ? line.substr(1, line.size() - 2)
                   : std::string();
    };
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::string name = tag(lines[i]);
        if (name.empty()) continue;
        if (lines[i + 1] == "</" + name + ">") leaves.emplace_back(name, "");
        else if (i + 2 < lines.size() && lines[i + 2] == "</" + name + ">") leaves.emplace_back(name, lines[i + 1]);
    }
    return leaves;
}

void WalksAsDocument(const std::string& input) {
    const std::vector<std::string> lines = SplitSnapshotLines(input);
    SnapshotData read;
    std::string fault;
    if (!ReadSnapshotDocument(lines, NaiveLeaves(lines), read, fault)) {
        if (fault.rfind("Line ", 0) != 0) Fail("document refused without a line", fault);
        return;
    }
    BuildsAndWalksBack(read, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    BuildsAndWalksBack(DataFrom(input), false);

    SnapshotData read;
    std::string fault;
    if (!ReadSnapshotBytes(input, read, fault)) {
        if (fault.rfind("Line ", 0) != 0) Fail("refused without a line", fault);
    } else {
        BuildsAndWalksBack(read, true);
    }
    WalksAsDocument(input);
    HasDoctype(input);
    // Any bytes get an answer; a fault is a sentence.
    const std::string foreign = ForeignEncodingFault(input);
    if (!foreign.empty() && foreign.back() != '.') Fail("encoding fault without a sentence", foreign);
    return 0;
}
