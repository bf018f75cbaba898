// Fuzz target for the registry file reader: any bytes are refused with a
// "Line N:" reason or read into keys; what was read writes out again and reads
// back to the same keys and values. Cut short, a file the program wrote is
// refused or reads as a prefix of its keys and values (never a value with
// part of its bytes), and a cut of any file that reads names only keys and
// values the whole file has.
#include "formats/RegFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace backup;

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "regfile_fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

bool SameTree(const std::vector<RegKeyData>& a, const std::vector<RegKeyData>& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k) {
        if (a[k].path != b[k].path || a[k].values.size() != b[k].values.size()) return false;
        for (size_t v = 0; v < a[k].values.size(); ++v) {
            const auto& x = a[k].values[v];
            const auto& y = b[k].values[v];
            if (x.name != y.name || x.isDefault != y.isDefault || x.type != y.type || x.data != y.data) return false;
        }
    }
    return true;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return text;
}

// Where to cut a file of size bytes: every character boundary of a small
// file; of a larger one, each line break and its neighbours and a spread of
// others, so one input costs a bounded number of reads.
std::vector<size_t> CutPlaces(const std::vector<uint8_t>& file) {
    constexpr size_t kAll = 512, kSpread = 32, kLineBreaks = 64;
    std::set<size_t> places;
    if (file.size() <= kAll) {
        for (size_t at = 0; at < file.size(); at += 2) places.insert(at);
    } else {
        for (size_t i = 0; i < kSpread; ++i) places.insert(file.size() * i / kSpread & ~size_t(1));
        size_t found = 0;
        for (size_t at = 2; at + 1 < file.size() && found < kLineBreaks; at += 2) {
            if (file[at] != '\n' || file[at + 1] != 0) continue;
            ++found;
            for (size_t near : {at - 2, at, at + 2, at + 4})
                if (near < file.size()) places.insert(near);
        }
    }
    return {places.begin(), places.end()};
}

void CheckRefusal(const std::string& error, const std::vector<RegKeyData>& keys) {
    if (error.rfind("Line ", 0) != 0) Fail("error without its line", error);
    if (!keys.empty()) Fail("keys left after an error", error);
}

// A cut of a file WriteRegFile made: refused, or the same keys in the same
// order up to some key, all its values but the last key's, which has a
// first part of its own; every value whole.
void CheckCutsOfWritten(const std::vector<uint8_t>& written, const std::vector<RegKeyData>& keys) {
    for (size_t length : CutPlaces(written)) {
        std::vector<RegKeyData> read;
        std::string error;
        if (!ReadRegFile(std::vector<uint8_t>(written.begin(), written.begin() + length), read, error)) {
            CheckRefusal(error, read);
            continue;
        }
        const std::string where = "cut at " + std::to_string(length) + " of " + std::to_string(written.size());
        if (read.size() > keys.size()) Fail("a cut file reads more keys than the whole", where);
        for (size_t k = 0; k < read.size(); ++k) {
            const auto& got = read[k];
            const auto& whole = keys[k];
            if (got.path != whole.path) Fail("a cut file reads another key", where + ": " + got.path);
            if (got.values.size() > whole.values.size() || (k + 1 < read.size() && got.values.size() != whole.values.size()))
                Fail("a cut file reads other values of a key", where + ": " + got.path);
            for (size_t v = 0; v < got.values.size(); ++v) {
                const auto& x = got.values[v];
                const auto& y = whole.values[v];
                if (x.name != y.name || x.isDefault != y.isDefault || x.type != y.type || x.data != y.data)
                    Fail("a cut file reads a value other than the whole file's", where + ": " + got.path + " " + x.name);
            }
        }
    }
}

// A cut of any file that reads: each key it names is a key of the whole
// file, each value name a value of that key there.
void CheckCutsOfInput(const std::vector<uint8_t>& file, const std::vector<RegKeyData>& keys) {
    std::set<std::pair<std::string, std::string>> values;
    std::set<std::string> paths;
    for (const auto& key : keys) {
        paths.insert(Lower(key.path));
        for (const auto& value : key.values) values.insert({Lower(key.path), Lower(value.name)});
    }
    for (size_t length : CutPlaces(file)) {
        std::vector<RegKeyData> read;
        std::string error;
        if (!ReadRegFile(std::vector<uint8_t>(file.begin(), file.begin() + length), read, error)) {
            CheckRefusal(error, read);
            continue;
        }
        for (const auto& key : read) {
            if (!paths.count(Lower(key.path))) Fail("a cut file names a key the whole file has not", key.path);
            for (const auto& value : key.values)
                if (!values.count({Lower(key.path), Lower(value.name)}))
                    Fail("a cut file names a value the whole file has not", key.path + " " + value.name);
        }
    }
}

// The first byte picks the form: 0 the raw file; otherwise the rest is text,
// one byte per character after the byte-order mark and the header line, so the
// fuzzer spends its time past the header.
std::vector<uint8_t> FileFrom(const uint8_t* data, size_t size) {
    if (data[0] == 0) return std::vector<uint8_t>(data + 1, data + size);
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    const std::string header = "Windows Registry Editor Version 5.00\r\n";
    for (char c : header) bytes.insert(bytes.end(), {static_cast<uint8_t>(c), 0});
    for (size_t i = 1; i < size; ++i) bytes.insert(bytes.end(), {data[i], data[0] == 2 && data[i] >= 0x80 ? uint8_t(0x03) : uint8_t(0)});
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::vector<uint8_t> file = FileFrom(data, size);
    std::vector<RegKeyData> keys;
    std::string error;
    if (!ReadRegFile(file, keys, error)) {
        CheckRefusal(error, keys);
        return 0;
    }
    CheckCutsOfInput(file, keys);
    std::vector<uint8_t> written;
    if (!WriteRegFile(keys, written, error)) return 0;  // a key path holding a lone CR
    std::vector<RegKeyData> again;
    if (!ReadRegFile(written, again, error)) Fail("own file refused", error);
    if (!SameTree(keys, again)) Fail("round trip changed the keys", std::to_string(keys.size()));
    CheckCutsOfWritten(written, keys);
    return 0;
}
