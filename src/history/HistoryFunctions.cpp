// Shared operations of the history cleaner: registry value lists and files.
#include "history/HistoryFunctions.h"

#include "common/Common.h"
#include "platform/Files.h"
#include "platform/RegistryKey.h"
#include "platform/Text.h"

namespace files = platform::files;
using platform::RegistryKey;

namespace history {
namespace {

const char* const kOpenSaveHistoryKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";

// Listing asks only to read, so a user whose lists are locked against
// writing still sees what is there; what cannot be removed then simply stays
// listed after a delete. Removals need full access: without it the key
// counts as missing.
constexpr REGSAM kListAccess = KEY_READ;
constexpr REGSAM kRemoveAccess = KEY_ALL_ACCESS;


bool IsSkipped(const std::string& name, const char* skipped) {
    return skipped != nullptr && name == skipped;
}

// The direct subkeys of root\key, taken before anything below them changes.
std::vector<std::string> SubkeyNames(HKEY root, const std::string& key, REGSAM access) {
    return RegistryKey::Open({root, key}, access).SubkeyNames();
}

// The one masked walk of a key's values, for reading and deleting alike:
// act(registry, name, text) for every string value but the skipped one whose
// text fits the mask, in the registry's order, until a stop is asked. The
// names are taken before anything is changed. A value of another type (or
// one gone since the names were taken) is no entry of the list, as the
// startup lists and the scanner pass such values over: it is neither
// listed nor removed, and the values after it are still reached.
template <typename Act>
void ForEachFittingValue(HKEY root, const std::string& key, REGSAM access, const char* skipped, LazyMask& mask,
                         common::StopToken stop, Act act) {
    const RegistryKey registry = RegistryKey::Open({root, key}, access);
    if (!registry) return;
    std::string text;
    for (const std::string& name : registry.ValueNames()) {
        if (stop.StopRequested()) return;
        if (IsSkipped(name, skipped)) continue;
        if (!registry.ReadText(name, text)) continue;
        if (mask.Fits(text)) act(registry, name, std::move(text));
    }
}

void ReadValuesWithMask(IHistorySink& sink, HKEY root, const std::string& key, const char* skipped,
                        LazyMask& mask, common::StopToken stop) {
    ForEachFittingValue(root, key, kListAccess, skipped, mask, stop,
                        [&sink](const RegistryKey&, const std::string&, std::string&& text) {
                            sink.AddCaption(std::move(text));
                        });
}

void DeleteValuesWithMask(HKEY root, const std::string& key, LazyMask& mask, const char* skipped) {
    ForEachFittingValue(root, key, kRemoveAccess, skipped, mask, common::StopToken(),
                        [](const RegistryKey& registry, const std::string& name, std::string&&) {
                            registry.DeleteValue(name);
                        });
}

// REG_EXPAND_SZ counts as a string here as in the listing, so every listed
// text can be found again; other types are passed over.
void DeleteFirstEqualValue(const RegistryKey& registry, const std::string& text) {
    for (const std::string& name : registry.ValueNames()) {
        std::string data;
        if (registry.ReadText(name, data) && SameCaption(data, text)) {
            registry.DeleteValue(name);
            return;
        }
    }
}

// The last three characters of a path (the whole path when shorter); a
// multi-byte character counts as one.
std::string LastThreeCharacters(const std::string& path) {
    size_t start = path.size();
    for (int characters = 0; characters < 3 && start > 0; ++characters) {
        do {
            --start;
        } while (start > 0 && (static_cast<unsigned char>(path[start]) & 0xC0) == 0x80);
    }
    return path.substr(start);
}

// Deletes the file when it lies inside the folder of that final path.
int DeleteFileCode(const std::string& path, const std::wstring& folderFinalPath) {
    if (folderFinalPath.empty()) return ERROR_PATH_NOT_FOUND;
    DWORD error = 0;
    switch (files::DeleteFileInFolder(path, folderFinalPath, error)) {
        case files::FolderFileDelete::Deleted: return 0;
        case files::FolderFileDelete::Outside: return kFileOutsideFolder;
        case files::FolderFileDelete::Failed: break;
    }
    return error != 0 ? static_cast<int>(error) : static_cast<int>(ERROR_GEN_FAILURE);
}

// Deletes the paths in order until a stop; result.code holds the last
// failure's code.
HistoryDeleteAllResult DeletePathsInFolder(const std::string& folder, const std::vector<std::string>& paths,
                                           common::IProgressSink& progress, common::StopToken stop) {
    HistoryDeleteAllResult result;
    const std::wstring folderFinalPath = files::FolderFinalPath(folder);
    for (size_t index = 0; index < paths.size(); ++index) {
        if (stop.StopRequested()) {
            result.stopped = true;
            break;
        }
        const int code = DeleteFileCode(paths[index], folderFinalPath);
        if (code == kFileOutsideFolder)
            ++result.leftOutside;
        else if (code != 0)
            result.code = code;
        progress.Progress(index + 1, paths.size(), paths[index]);
    }
    return result;
}

}  // namespace

void ReadRecentValues(IHistorySink& sink, HKEY root, const std::string& key, const char* skipped,
                      const std::string& mask, common::StopToken stop) {
    LazyMask lazyMask(mask);
    ReadValuesWithMask(sink, root, key, skipped, lazyMask, stop);
}

void ReadRecentSubkeys(IHistorySink& sink, HKEY root, const std::string& key, const char* skipped,
                       const std::string& mask, common::StopToken stop) {
    LazyMask lazyMask(mask);
    for (const std::string& subkey : SubkeyNames(root, key, kListAccess)) {
        if (stop.StopRequested()) return;
        ReadValuesWithMask(sink, root, key + "\\" + subkey, skipped, lazyMask, stop);
    }
}

void DeleteValuesByMask(HKEY root, const std::string& key, const std::string& mask,
                        const char* skipped) {
    LazyMask lazyMask(mask);
    DeleteValuesWithMask(root, key, lazyMask, skipped);
}

void DeleteValuesByMaskInSubkeys(HKEY root, const std::string& key, const std::string& mask,
                                 const char* skipped) {
    LazyMask lazyMask(mask);
    for (const std::string& subkey : SubkeyNames(root, key, kRemoveAccess))
        DeleteValuesWithMask(root, key + "\\" + subkey, lazyMask, skipped);
}

void DeleteValueByData(HKEY root, const std::string& key, const std::string& text) {
    if (const RegistryKey registry = RegistryKey::Open({root, key}, kRemoveAccess)) DeleteFirstEqualValue(registry, text);
}

void DeleteValueByDataInSubkeys(HKEY root, const std::string& key, const std::string& text) {
    for (const std::string& subkey : SubkeyNames(root, key, kRemoveAccess))
        DeleteValueByData(root, key + "\\" + subkey, text);
}

void WriteRegString(HKEY root, const std::string& key, const std::string& valueName,
                    const std::string& data) {
    const RegistryKey registry = RegistryKey::Open({root, key}, kRemoveAccess);
    if (!registry) return;
    const DWORD type = registry.ValueExists(valueName) ? registry.ValueType(valueName) : REG_SZ;
    if (type == REG_SZ || type == REG_EXPAND_SZ) registry.WriteString(valueName, data);
}

void KeepOrderOfRemainingValues(HKEY root, const std::string& key, const std::string& orderName) {
    const RegistryKey registry = RegistryKey::Open({root, key}, kRemoveAccess);
    if (!registry) return;
    std::string order, kept;
    if (registry.ValueExists(orderName) && !registry.ReadText(orderName, order)) return;
    for (const char letter : order)
        if (registry.ValueExists(std::string(1, letter))) kept += letter;
    registry.WriteString(orderName, kept);
}

void DeleteValueByName(HKEY root, const std::string& key, const std::string& valueName) {
    const RegistryKey registry = RegistryKey::Open({root, key}, kRemoveAccess);
    if (registry.ValueExists(valueName)) registry.DeleteValue(valueName);
}

HistoryDeleteAllResult DeleteFilesByMask(const std::string& folder, const std::string& mask,
                                         common::IProgressSink& progress, common::StopToken stop) {
    progress.Progress(0, 0, "");
    std::vector<std::string> paths;
    ListAllFilesRecursive(folder, &paths);
    LazyMask lazyMask(mask);
    std::vector<std::string> fitting;
    for (std::string& path : paths)
        if (lazyMask.Fits(path)) fitting.push_back(std::move(path));
    return DeletePathsInFolder(folder, fitting, progress, stop);
}

HistoryDeleteAllResult DeleteListedFiles(const std::string& folder, const std::vector<std::string>& list,
                                         common::IProgressSink& progress, common::StopToken stop) {
    HistoryDeleteAllResult result = DeletePathsInFolder(folder, list, progress, stop);
    if (result.code != 0) result.code = kSomeFilesRemained;
    return result;
}

int DeleteListedFile(const std::string& folder, const std::string& path) {
    return DeleteFileCode(path, files::FolderFinalPath(folder));
}

void ClearOpenSaveHistory(const std::vector<std::string>& list, const std::string& mask) {
    const std::string base = kOpenSaveHistoryKey;
    LazyMask lazyMask(mask);
    for (const std::string& path : list) {
        // A tail that holds a separator (or nothing) names no subkey; as a
        // path it would reach the key itself or a deeper one, so it is left.
        const std::string extension = LastThreeCharacters(path);
        if (!extension.empty() && extension.find('\\') == std::string::npos)
            DeleteValuesWithMask(HKEY_CURRENT_USER, base + "\\" + extension, lazyMask, nullptr);
        DeleteValuesWithMask(HKEY_CURRENT_USER, base + "\\*", lazyMask, nullptr);
    }
}

bool IsInWindowsFolders(const std::string& path) {
    return TextFitsMask(path, WindowsDirectory() + "*") || TextFitsMask(path, SystemDirectory() + "*");
}

}  // namespace history
