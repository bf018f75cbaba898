// The manifest a backup point keeps beside its root files: per file its size,
// SHA-256 and the counts of keys and values it reads as, the keys that
// could not be read when the point was made (a point with any is partial),
// and what made the point. Pure text, written and read by the program itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace backup {

// The manifest's file name inside a point's folder.
extern const char* const kManifestFileName;

struct ManifestFile {
    std::string name;    // the root file's name, e.g. "HKEY_CURRENT_USER.reg"
    uint64_t size = 0;   // in bytes
    std::string sha256;  // 64 lower-case hex digits
    uint64_t keys = 0;   // as the registry file reader counts them
    uint64_t values = 0;
};

// A key (or a whole root) the point lacks because it could not be read.
struct LeftOutKey {
    std::string path;    // full key path from the root name
    std::string reason;  // the system's words
};

struct PointManifest {
    std::vector<ManifestFile> files;
    std::vector<LeftOutKey> leftOut;
    // What made the point, for the user ("Fix: 31 items"); "" when nothing
    // says (points of earlier versions have no such line).
    std::string description;

    bool Partial() const { return !leftOut.empty(); }
    // The entry of a root file, names compared ignoring ASCII case (as the
    // file system does for these names); nullptr when it has none.
    const ManifestFile* Find(const std::string& name) const;
    // Adds the entry or replaces the one of that name.
    void SetFile(const ManifestFile& file);
    // Adds a left-out key once (paths compared ignoring ASCII case).
    void AddLeftOut(const LeftOutKey& entry);
    // Adds what made a later write into the point after what made the
    // earlier ones ("; " between), unless it says so already.
    void AddDescription(const std::string& text);
};

// The text of the manifest: a header line, the description line when there
// is a description, one line per file and per left-out key, tab-separated
// fields with '%', tabs and control characters written as %XX, and an end
// line, so a manifest cut short is refused.
std::string WriteManifest(const PointManifest& manifest);

// Reads that text (CR LF or LF). False with "Line N: reason" for anything
// else: another header, an unknown line, a field missing or malformed, a
// file named twice, a second or empty description, text after the end
// line, or no end line at all;
// manifest is left empty then.
bool ReadManifest(const std::string& text, PointManifest& manifest, std::string& error);

}  // namespace backup
