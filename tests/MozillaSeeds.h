// Firefox history files for tests: the text of a history file as the
// browser lays it out, and a private APPDATA with profile folders.
#pragma once

#include "EngineTestSupport.h"
#include "history/FirefoxHistory.h"
#include "platform/Files.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// The text of a history file: the header and column names (five lines), an
// empty line, the dictionary with the given entries (after "(80=LE)", its
// first), the table's line, one line per row, and the table's end.
inline std::string MozillaHistoryText(const std::string& entries, const std::vector<std::string>& rows,
                                      const std::string& end = "}") {
    std::string text =
        "// <!-- <mdb:mork:z v=\"1.4\"/> -->\r\n"
        "< <(a=c)> // (f=iso-8859-1)\r\n"
        "  (8A=Typed)(8B=LastPageVisited)(8C=ByteOrder)(80=ns:history:db:row:scope:history:all)\r\n"
        "  (81=ns:history:db:table:kind:history)(82=URL)(83=Referrer)(84=LastVisitDate)\r\n"
        "  (85=FirstVisitDate)(86=VisitCount)(87=Name)(88=Hostname)(89=Hidden)>\r\n"
        "\r\n"
        "<(80=LE)" + entries + ">\r\n"
        "{1:^80 {(k^81:c)(s=9)[1(^8C^80)]}\r\n";
    for (const std::string& row : rows) text += row + "\r\n";
    return text + end + "\r\n";
}

// One row: its host reference (none when empty), last and first visit
// references, and whether it is hidden.
inline std::string MozillaRow(const std::string& id, const std::string& host, const std::string& last = "92",
                              const std::string& first = "93", bool hidden = false) {
    std::string row = "[" + id + "(^82^90)(^84^" + last + ")(^85^" + first + ")";
    if (!host.empty()) row += "(^88^" + host + ")";
    if (hidden) row += "(^89=1)";
    return row + "(^86=1)]";
}

// APPDATA of this process pointed at a private folder for the time it lives
// (the lister reads it anew each time), with its Firefox profiles folder.
class ScopedMozillaAppData {
public:
    explicit ScopedMozillaAppData(const std::string& name) : folder_(name) {
        char old[4096];
        const DWORD got = GetEnvironmentVariableA("APPDATA", old, sizeof(old));
        if (got > 0 && got < sizeof(old)) old_ = std::string(old, got);
        SetEnvironmentVariableA("APPDATA", folder_.Path().c_str());
        platform::files::CreateFolderPath(Profiles());
    }
    ~ScopedMozillaAppData() { SetEnvironmentVariableA("APPDATA", old_ ? old_->c_str() : nullptr); }
    ScopedMozillaAppData(const ScopedMozillaAppData&) = delete;
    ScopedMozillaAppData& operator=(const ScopedMozillaAppData&) = delete;

    std::string Profiles() const { return folder_.Path() + "\\Mozilla\\Firefox\\Profiles\\"; }
    // A profile folder (with a trailing "\"), made when missing.
    std::string Profile(const std::string& name) const {
        const std::string path = Profiles() + name + "\\";
        platform::files::CreateFolderPath(path);
        return path;
    }
    // Writes the profile's history file; its path.
    std::string WriteHistory(const std::string& profile, const std::string& text) const {
        const std::string path = Profile(profile) + "history.dat";
        platform::files::WriteFileBytes(path, text);
        return path;
    }

private:
    ScopedFolder folder_;
    std::optional<std::string> old_;
};

}  // namespace testing_support
