// The result lists' row commands, without a window.
#include "common/RowActions.h"

#include "platform/Files.h"
#include "platform/RegistryKey.h"
#include "platform/Version.h"

#include <cctype>

namespace common {

namespace {

struct RootNames {
    const char* full;
    const char* shortName;
};
constexpr RootNames kRoots[] = {
    {"HKEY_CLASSES_ROOT", "HKCR"}, {"HKEY_CURRENT_USER", "HKCU"},   {"HKEY_LOCAL_MACHINE", "HKLM"},
    {"HKEY_USERS", "HKU"},         {"HKEY_CURRENT_CONFIG", "HKCC"},
};

bool SameAscii(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

bool IsFullPath(const std::string& path) {
    const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
                       path[2] == '\\';
    const bool network = path.size() > 2 && path[0] == '\\' && path[1] == '\\';
    return drive || network;
}

}  // namespace

std::string RowsAsText(const std::vector<std::vector<std::string>>& rows) {
    std::string text;
    for (const auto& row : rows) {
        for (size_t k = 0; k < row.size(); ++k) {
            if (k > 0) text += '\t';
            for (char c : row[k]) text += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
        }
        text += "\r\n";
    }
    return text;
}

std::string RegistryEditorKeyText(const std::string& keyPath) {
    const size_t slash = keyPath.find('\\');
    const std::string root = keyPath.substr(0, slash);
    std::string rest = slash == std::string::npos ? std::string() : keyPath.substr(slash);
    while (!rest.empty() && rest.back() == '\\') rest.pop_back();
    for (const RootNames& names : kRoots)
        if (SameAscii(root, names.full) || SameAscii(root, names.shortName))
            return names.full + rest;
    return {};
}

std::string RegistryEditorRootNode(const std::string& lastKey, bool underWine) {
    const size_t root = lastKey.find("\\HKEY_");
    if (root != std::string::npos && root > 0) return lastKey.substr(0, root + 1);
    if (lastKey.rfind("HKEY_", 0) == 0) return {};
    return underWine ? std::string() : std::string("Computer\\");
}

DWORD PrepareRegistryEditor(const std::string& keyPath, ProgramStart& start) {
    const std::string text = RegistryEditorKeyText(keyPath);
    if (text.empty()) return ERROR_INVALID_PARAMETER;
    LONG result = ERROR_SUCCESS;
    const platform::RegistryKey settings = platform::RegistryKey::Create(
        {HKEY_CURRENT_USER, kRegistryEditorSettingsKey}, KEY_QUERY_VALUE | KEY_SET_VALUE, &result);
    if (!settings) return static_cast<DWORD>(result);
    std::string lastKey;
    platform::reg::RawValue stored;
    if (!settings.ReadRaw(kRegistryEditorLastKeyValue, stored) || !platform::reg::RawValueText(stored, lastKey))
        lastKey.clear();
    const std::string lastKeyText = RegistryEditorRootNode(lastKey, platform::RunsUnderWine()) + text;
    result = settings.WriteValue(kRegistryEditorLastKeyValue, REG_SZ, lastKeyText.c_str(),
                                 static_cast<DWORD>(lastKeyText.size() + 1));
    if (result != ERROR_SUCCESS) return static_cast<DWORD>(result);
    // No argument: "-m" (a second window beside one already open) is Windows'
    // own, and Wine's editor takes any switch as a command-line task and
    // opens no window. Without it, an editor already open on Windows comes
    // to the front where it was.
    start = ProgramStart{"regedit.exe", ""};
    return ERROR_SUCCESS;
}

std::optional<ProgramStart> FileLocationStart(const std::string& given) {
    std::string path = given;
    // Explorer takes neither the long-path form nor a folder's closing
    // backslash (it would open the folder rather than select it).
    // "\\?\UNC\server\share" becomes "\\server\share" in place: the same made
    // with operator+ on a literal draws a false -Wrestrict alarm from GCC 12.
    if (path.rfind("\\\\?\\UNC\\", 0) == 0) path.erase(1, 6);
    else if (path.rfind("\\\\?\\", 0) == 0) path = path.substr(4);
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    if (!IsFullPath(path)) return std::nullopt;
    // A server that does not answer would hold the window at every refresh
    // for the network's timeout: a network path is offered unprobed, and
    // Explorer tells when it is not there.
    const bool network = path[0] == '\\';
    if (!network && !platform::files::FileExistsAnyLength(path) && !platform::files::DirectoryExistsAnyLength(path))
        return std::nullopt;
    return ProgramStart{"explorer.exe", "/select,\"" + path + "\""};
}

}  // namespace common
