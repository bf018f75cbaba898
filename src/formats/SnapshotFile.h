// The startup snapshot file: the run-key entries and Startup-folder files of
// one moment, as lines of XML in windows-1252 with CR LF line ends. Pure
// text: the bytes are built here and walked back here; the XML document
// object only checks them.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace snapshots {

struct SnapshotRunEntry {
    std::string name;      // UTF-8, as the registry gives it
    std::string location;  // the value's text
    std::string root;      // "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER"
    bool active = true;    // false: an entry of the switched-off key (section + "-")
};

struct SnapshotSection {
    std::string name;  // "Run", "RunOnce", ...
    std::vector<SnapshotRunEntry> entries;
};

struct SnapshotFileEntry {
    std::string name;    // the file name without its extension
    std::string folder;  // with its trailing backslash
};

struct SnapshotData {
    std::vector<SnapshotSection> sections;
    std::vector<SnapshotFileEntry> files;
    std::string date;  // as the user's short date format gives it
};

inline bool operator==(const SnapshotRunEntry& a, const SnapshotRunEntry& b) {
    return a.name == b.name && a.location == b.location && a.root == b.root && a.active == b.active;
}
inline bool operator==(const SnapshotSection& a, const SnapshotSection& b) {
    return a.name == b.name && a.entries == b.entries;
}
inline bool operator==(const SnapshotFileEntry& a, const SnapshotFileEntry& b) {
    return a.name == b.name && a.folder == b.folder;
}
inline bool operator==(const SnapshotData& a, const SnapshotData& b) {
    return a.sections == b.sections && a.files == b.files && a.date == b.date;
}

// The second line of every snapshot; a file without it is not one of ours.
extern const char* const kSnapshotMarker;
// The first line of every snapshot.
extern const char* const kSnapshotDeclaration;

// The file's bytes. Characters outside windows-1252, CR and LF become
// character references and "&", "<", ">" are escaped, so every text reads
// back as it was. False, with the offending text in fault, when a text holds
// what XML 1.0 cannot carry even as a reference (control characters other
// than tab, CR and LF; U+FFFE, U+FFFF) or is not valid UTF-8.
bool BuildSnapshotBytes(const SnapshotData& data, std::string& bytes, std::string& fault);

// Every element without child elements, in document order, with the text the
// file gives it (for an empty element, ""): what a parser of the file must
// read back. Tag names are ASCII.
std::vector<std::pair<std::string, std::string>> SnapshotLeafTexts(const SnapshotData& data);

// Walks bytes written by BuildSnapshotBytes back into the data, line by
// line and strictly: any other line structure, an unknown reference or a
// byte windows-1252 leaves undefined is a fault naming the line.
bool ReadSnapshotBytes(const std::string& bytes, SnapshotData& data, std::string& fault);

// A snapshot as a reader of the file gets it: the file's lines (line ends
// cut) and the texts of its elements without child elements in document
// order, as an XML parser gives them (one line break cut at each end). The
// lines must be laid out as BuildSnapshotBytes lays them out, every line
// looked for there first; each value is the parser's text of its element,
// paired with the lines by tag. False, with the fault naming the line
// (counted from 1), for any other layout, a CHECK other than "True" or
// "False", or texts that do not pair with the lines.
bool ReadSnapshotDocument(const std::vector<std::string>& lines,
                          const std::vector<std::pair<std::string, std::string>>& leaves, SnapshotData& data,
                          std::string& fault);

// An XML parser reads a text line with the line break on each side (CR LF
// as one LF): the value is what lies between.
std::string TextBetweenLineBreaks(std::string text);

// The file's lines, split at LF with a CR before it cut; the empty piece
// after a last line end is not a line.
std::vector<std::string> SplitSnapshotLines(const std::string& bytes);

// Whether the text declares a document type (which may define entities that
// grow without bound or reach outside the file): such a text is never parsed.
bool HasDoctype(const std::string& bytes);

// Why a parser would not read the bytes as text whose ASCII characters are
// their own bytes (UTF-8, windows-1252, ISO-8859-1, US-ASCII), as a sentence
// for the user; "" when it would. Only such text is parsed: in another
// encoding (UTF-16, UTF-7, ...) HasDoctype cannot see a document type.
std::string ForeignEncodingFault(const std::string& bytes);

}  // namespace snapshots
