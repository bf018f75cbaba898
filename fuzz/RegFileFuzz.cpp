// Fuzz target for the registry file reader: any bytes are refused with a
// "Line N:" reason or read into keys; what was read writes out again and reads
// back to the same keys and values.
#include "snapshots/RegFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace snapshots;

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
        if (error.rfind("Line ", 0) != 0) Fail("error without its line", error);
        if (!keys.empty()) Fail("keys left after an error", error);
        return 0;
    }
    std::vector<uint8_t> written;
    if (!WriteRegFile(keys, written, error)) return 0;  // a key path holding a lone CR
    std::vector<RegKeyData> again;
    if (!ReadRegFile(written, again, error)) Fail("own file refused", error);
    if (!SameTree(keys, again)) Fail("round trip changed the keys", std::to_string(keys.size()));
    return 0;
}
