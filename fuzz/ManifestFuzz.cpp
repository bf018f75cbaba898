// Fuzz target for the backup point's manifest reader (its description line
// too): any text is refused
// with a "Line N:" reason or read; what was read writes out again, reads back
// the same and writes the same text; and every cut of an accepted manifest
// that ends before its end line is whole is refused, so a manifest cut short
// is never taken for a shorter one.
#include "formats/PointManifest.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace backup;

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "manifest_fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

bool Same(const PointManifest& a, const PointManifest& b) {
    if (a.files.size() != b.files.size() || a.leftOut.size() != b.leftOut.size()) return false;
    if (a.description != b.description) return false;
    for (size_t i = 0; i < a.files.size(); ++i) {
        const auto& x = a.files[i];
        const auto& y = b.files[i];
        if (x.name != y.name || x.size != y.size || x.sha256 != y.sha256 || x.keys != y.keys || x.values != y.values)
            return false;
    }
    for (size_t i = 0; i < a.leftOut.size(); ++i)
        if (a.leftOut[i].path != b.leftOut[i].path || a.leftOut[i].reason != b.leftOut[i].reason) return false;
    return true;
}

bool Read(const std::string& text, PointManifest& manifest) {
    std::string error;
    if (ReadManifest(text, manifest, error)) return true;
    if (error.rfind("Line ", 0) != 0) Fail("error without its line", error);
    if (!manifest.files.empty() || !manifest.leftOut.empty() || !manifest.description.empty())
        Fail("entries left after an error", error);
    return false;
}

// Every cut of text shorter than its end line's "end" is refused.
void CheckCuts(const std::string& text) {
    const size_t end = text.rfind("end");
    if (end == std::string::npos) Fail("accepted without an end line", text);
    for (size_t length = 0; length < end + 3; ++length) {
        PointManifest cut;
        if (Read(text.substr(0, length), cut)) Fail("a cut manifest was accepted", std::to_string(length));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    PointManifest manifest;
    if (!Read(text, manifest)) return 0;
    CheckCuts(text);
    const std::string written = WriteManifest(manifest);
    PointManifest again;
    if (!Read(written, again)) Fail("own manifest refused", written);
    if (!Same(manifest, again)) Fail("round trip changed the manifest", written);
    if (WriteManifest(again) != written) Fail("written twice, different texts", written);
    CheckCuts(written);
    return 0;
}
