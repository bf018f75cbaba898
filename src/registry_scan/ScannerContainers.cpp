// The registry keys the scanner's sections walk, and the test that keeps a fix
// from removing one of them.
#include "registry_scan/ScannerContainers.h"

#include "platform/Text.h"
#include "registry_scan/ScanKeys.h"

#include <algorithm>

namespace registry_scan {

namespace {

struct Container {
    HKEY root;
    const char* path;
    // How many levels below the key a section still walks through: the keys
    // there hold the items, they are not items themselves.
    size_t walkedBelow;
};

// The keys the sections walk, and the other places the same classes and
// shares are reached through.
const Container kContainers[] = {
    {HKEY_LOCAL_MACHINE, scan_keys::kAppPaths, 0},
    {HKEY_CLASSES_ROOT, scan_keys::kClassIds, 1},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID", 1},
    {HKEY_CURRENT_USER, "Software\\Classes\\CLSID", 1},
    {HKEY_LOCAL_MACHINE, scan_keys::kHelp, 0},
    {HKEY_LOCAL_MACHINE, scan_keys::kHtmlHelp, 0},
    {HKEY_LOCAL_MACHINE, scan_keys::kFonts9x, 0},
    {HKEY_LOCAL_MACHINE, scan_keys::kFontsNt, 0},
    {HKEY_CURRENT_USER, scan_keys::kRunHistory, 0},
    {HKEY_CURRENT_USER, scan_keys::kMenuOrder2, 0},
    {HKEY_CURRENT_USER, scan_keys::kMenuOrder, 0},
    {HKEY_LOCAL_MACHINE, scan_keys::kSharedDlls, 0},
    {HKEY_LOCAL_MACHINE, scan_keys::kShares9x, 0},
    {HKEY_LOCAL_MACHINE, scan_keys::kSharesNt, 0},
    {HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\Shares", 0},
    {HKEY_LOCAL_MACHINE, scan_keys::kApproved, 0},
    {HKEY_CURRENT_USER, scan_keys::kSoundApps, 2},
    {HKEY_LOCAL_MACHINE, scan_keys::kUninstall, 0},
    {HKEY_CURRENT_USER, scan_keys::kFileExts, 0},
};

// The container's key, or a key above it, or one of the keys walked through below it.
bool Covers(const std::vector<std::string>& container, size_t walkedBelow, const std::vector<std::string>& names) {
    if (names.size() > container.size() + walkedBelow) return false;
    const size_t common = std::min(names.size(), container.size());
    return std::equal(names.begin(), names.begin() + common, container.begin());
}

bool CoversAny(HKEY root, const std::vector<std::string>& names) {
    if (names.empty()) return true;
    for (const Container& container : kContainers) {
        if (container.root != root) continue;
        if (Covers(FoldedKeyNames(container.path), container.walkedBelow, names)) return true;
    }
    return false;
}

}  // namespace

std::vector<std::string> FoldedKeyNames(const std::string& path) {
    std::vector<std::string> names;
    size_t start = 0;
    for (size_t end; (end = path.find('\\', start)) != std::string::npos; start = end + 1)
        names.push_back(FoldedKeyName(path.substr(start, end - start)));
    names.push_back(FoldedKeyName(path.substr(start)));
    return names;
}

std::string FoldedKeyName(const std::string& name) {
    std::wstring wide = platform::text::Widen(name);
    if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return platform::text::Narrow(wide);
}

bool IsScannerContainer(HKEY root, const std::vector<std::string>& names) {
    static const std::string kRedirectNode = FoldedKeyName("Wow6432Node");
    std::vector<std::string> folded;
    // The 32-bit view's node stands for the key above it; dropping it can
    // only make more keys count as containers.
    for (const std::string& name : names) {
        std::string key = FoldedKeyName(name);
        if (key != kRedirectNode) folded.push_back(std::move(key));
    }
    if (root != HKEY_USERS) return CoversAny(root, folded);
    // Below HKEY_USERS each user's key (or the user's classes) holds what
    // the user sees as HKEY_CURRENT_USER (or HKEY_CLASSES_ROOT).
    if (folded.size() <= 1) return true;
    const std::vector<std::string> below(folded.begin() + 1, folded.end());
    return CoversAny(HKEY_CURRENT_USER, below) || CoversAny(HKEY_CLASSES_ROOT, below);
}

}  // namespace registry_scan
