// The index of what refers to the add-ons' files, read before they go.
#include "history/AddOnReferences.h"

#include "common/Common.h"
#include "formats/CommandLinePath.h"
#include "common/RegisteredPath.h"
#include "history/ExtensionHistory.h"
#include "platform/RegistryKey.h"

#include <algorithm>

namespace reg = platform::reg;
using platform::RegistryKey;
using platform::RegistryView;

namespace history {
namespace {

const char* const kClassesKey = "CLSID";  // under HKEY_CLASSES_ROOT
const char* const kSharedDllsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// A 64-bit program sees the 32-bit programs' classes only through the
// other view; a library either kind registers counts.
constexpr RegistryView kViews[] = {RegistryView::k64, RegistryView::k32};
constexpr RegistryView kNativeView = RegistryView::k64;

// The keys through which a class names the file that serves it.
const char* const kServerKeys[] = {"InprocServer32", "InprocServer", "InprocHandler32",
                                   "InprocHandler",  "LocalServer32", "LocalServer"};

bool TextValue(const RegistryKey& key, const std::string& name, std::string& text) {
    reg::RawValue value;
    return key.ReadRaw(name, value) && reg::RawValueText(value, text);
}

bool CountValue(const RegistryKey& key, const std::string& name, DWORD& count) {
    reg::RawValue value;
    if (!key.ReadRaw(name, value) || value.type != REG_DWORD || value.data.size() != 4) return false;
    std::copy(value.data.begin(), value.data.end(), reinterpret_cast<BYTE*>(&count));
    return true;
}

RegistryKey OpenShared() {
    return RegistryKey::Open({HKEY_LOCAL_MACHINE, kSharedDllsKey, kNativeView}, KEY_READ);
}

// Every way a server key's text may name its file: as written, without its
// quotes, and a local server's program without its switches. More spellings
// only keep more files.
std::vector<std::string> ServerFileSpellings(const std::string& text) {
    const std::string trimmed = TrimBlanks(text);
    std::vector<std::string> spellings = {trimmed};
    if (!trimmed.empty() && trimmed.front() == '"') {
        const size_t close = trimmed.find('"', 1);
        spellings.push_back(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    }
    for (const char* switchStart : {" /", " -"})
        if (const size_t at = trimmed.find(switchStart); at != std::string::npos)
            spellings.push_back(TrimBlanks(trimmed.substr(0, at)));
    const std::string key = CaptionKey(trimmed);
    if (const size_t at = key.find(".EXE "); at != std::string::npos) spellings.push_back(trimmed.substr(0, at + 4));
    return spellings;
}

bool IsModuleClient(const std::string& name) {
    return !name.empty() && !SameCaption(name, ".Owner") && !SameCaption(name, ".FileVersion");
}

}  // namespace

AddOnReferences AddOnReferences::Read() {
    AddOnReferences references;
    for (RegistryView view : kViews) {
        const RegistryKey classes = RegistryKey::Open({HKEY_CLASSES_ROOT, kClassesKey, view}, KEY_READ);
        for (const std::string& classId : classes.SubkeyNames()) references.ReadClass(classId, view);
    }
    const RegistryKey modules = RegistryKey::Open({HKEY_LOCAL_MACHINE, kModuleUsageKey, kNativeView}, KEY_READ);
    for (const std::string& module : modules.SubkeyNames()) references.ReadModuleUsage(module);
    if (const RegistryKey shared = OpenShared()) {
        for (const std::string& name : shared.ValueNames()) {
            DWORD count = 0;
            if (CountValue(shared, name, count))
                references.sharedCounts_[common::PathKey(name)].push_back({name, count});
        }
    }
    return references;
}

void AddOnReferences::ReadClass(const std::string& classId, RegistryView view) {
    if (classId.empty() || classId.find('\\') != std::string::npos) return;
    const RegistryKey classKey =
        RegistryKey::Open({HKEY_CLASSES_ROOT, std::string(kClassesKey) + "\\" + classId, view}, KEY_READ);
    if (!classKey) return;
    for (const char* server : kServerKeys) {
        std::string text;
        if (!TextValue(classKey.OpenBelow(server, KEY_QUERY_VALUE), "", text)) continue;
        for (const std::string& spelling : ServerFileSpellings(text))
            if (!spelling.empty()) servers_[common::PathKey(spelling)].push_back({classId, view});
    }
}

void AddOnReferences::ReadModuleUsage(const std::string& module) {
    if (module.empty() || module.find('\\') != std::string::npos) return;
    const RegistryKey key =
        RegistryKey::Open({HKEY_LOCAL_MACHINE, std::string(kModuleUsageKey) + "\\" + module, kNativeView}, KEY_READ);
    if (!key) return;
    moduleClients_[common::PathKey(module)][module] = ModuleClients(key);
}

std::vector<std::string> AddOnReferences::ModuleClients(const RegistryKey& moduleKey) {
    std::vector<std::string> clients;
    for (std::string& name : moduleKey.ValueNames())
        if (IsModuleClient(name)) clients.push_back(std::move(name));
    return clients;
}

bool AddOnReferences::UsedByOthers(const std::string& path, const std::string& ownClassId) const {
    const std::string key = common::PathKey(path);
    const auto isOwn = [&ownClassId](const std::string& name) {
        return !ownClassId.empty() && SameCaption(name, ownClassId);
    };
    if (const auto found = servers_.find(key); found != servers_.end())
        for (const ServerReference& reference : found->second)
            if (!isOwn(reference.classId)) return true;
    if (const auto found = moduleClients_.find(key); found != moduleClients_.end())
        for (const auto& [module, clients] : found->second)
            if (std::any_of(clients.begin(), clients.end(), [&](const std::string& client) { return !isOwn(client); }))
                return true;
    if (const auto found = sharedCounts_.find(key); found != sharedCounts_.end())
        for (const SharedCount& shared : found->second)
            if (shared.count > 1) return true;
    return false;
}

std::vector<std::string> AddOnReferences::SharedDllValueNames(const std::string& path) const {
    std::vector<std::string> names;
    if (const auto found = sharedCounts_.find(common::PathKey(path)); found != sharedCounts_.end())
        for (const SharedCount& shared : found->second) names.push_back(shared.valueName);
    return names;
}

void AddOnReferences::ReadClassAgain(const std::string& classId) {
    for (auto& [file, references] : servers_)
        std::erase_if(references,
                      [&](const ServerReference& reference) { return SameCaption(reference.classId, classId); });
    for (RegistryView view : kViews) ReadClass(classId, view);
}

void AddOnReferences::ReadModuleUsageAgain(const std::string& module) {
    for (auto& [file, modules] : moduleClients_)
        std::erase_if(modules, [&](const auto& entry) { return SameCaption(entry.first, module); });
    ReadModuleUsage(module);
}

void AddOnReferences::ReadSharedDllAgain(const std::string& path) {
    const std::string key = common::PathKey(path);
    sharedCounts_.erase(key);
    const RegistryKey shared = OpenShared();
    for (const std::string& name : shared.ValueNames()) {
        DWORD count = 0;
        if (common::PathKey(name) == key && CountValue(shared, name, count))
            sharedCounts_[key].push_back({name, count});
    }
}

}  // namespace history
