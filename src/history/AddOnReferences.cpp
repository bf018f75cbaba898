// The index of what refers to the add-ons' files, read before they go.
#include "history/AddOnReferences.h"

#include "common/Common.h"
#include "formats/CommandLinePath.h"
#include "common/RegisteredPath.h"
#include "history/HsFunExtensions.h"
#include "platform/Registry.h"

#include <algorithm>

namespace reg = platform::reg;

namespace history {
namespace {

const char* const kClassesKey = "CLSID";  // under HKEY_CLASSES_ROOT
const char* const kSharedDllsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// A 64-bit program sees the 32-bit programs' classes only through the
// other view; a library either kind registers counts.
constexpr REGSAM kViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
constexpr REGSAM kNativeView = KEY_WOW64_64KEY;

// The keys through which a class names the file that serves it.
const char* const kServerKeys[] = {"InprocServer32", "InprocServer", "InprocHandler32",
                                   "InprocHandler",  "LocalServer32", "LocalServer"};

std::vector<std::string> SubkeyNames(HKEY key) {
    std::vector<std::string> names;
    reg::KeyCounts counts;
    if (reg::QueryCounts(key, counts) != ERROR_SUCCESS) return names;
    for (DWORD index = 0; index < counts.subKeys; ++index) {
        std::string name;
        if (reg::EnumKeyName(key, index, name) == ERROR_SUCCESS) names.push_back(std::move(name));
    }
    return names;
}

std::vector<std::string> ValueNames(HKEY key) {
    std::vector<std::string> names;
    reg::KeyCounts counts;
    if (reg::QueryCounts(key, counts) != ERROR_SUCCESS) return names;
    for (DWORD index = 0; index < counts.values; ++index) {
        std::string name;
        if (reg::EnumValueName(key, index, name) == ERROR_SUCCESS) names.push_back(std::move(name));
    }
    return names;
}

bool TextValue(HKEY key, const std::string& name, std::string& text) {
    reg::RawValue value;
    return reg::QueryRawValue(key, name, value) == ERROR_SUCCESS && reg::RawValueText(value, text);
}

bool CountValue(HKEY key, const std::string& name, DWORD& count) {
    reg::RawValue value;
    if (reg::QueryRawValue(key, name, value) != ERROR_SUCCESS || value.type != REG_DWORD || value.data.size() != 4)
        return false;
    std::copy(value.data.begin(), value.data.end(), reinterpret_cast<BYTE*>(&count));
    return true;
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
    for (REGSAM view : kViews) {
        platform::KeyHandle classes;
        if (reg::OpenKey(HKEY_CLASSES_ROOT, kClassesKey, KEY_READ | view, classes) != ERROR_SUCCESS) continue;
        for (const std::string& classId : SubkeyNames(classes.Get())) references.ReadClass(classId, view);
    }
    platform::KeyHandle modules;
    if (reg::OpenKey(HKEY_LOCAL_MACHINE, kModuleUsageKey, KEY_READ | kNativeView, modules) == ERROR_SUCCESS)
        for (const std::string& module : SubkeyNames(modules.Get())) references.ReadModuleUsage(module);
    platform::KeyHandle shared;
    if (reg::OpenKey(HKEY_LOCAL_MACHINE, kSharedDllsKey, KEY_READ | kNativeView, shared) == ERROR_SUCCESS) {
        for (const std::string& name : ValueNames(shared.Get())) {
            DWORD count = 0;
            if (CountValue(shared.Get(), name, count))
                references.sharedCounts_[common::PathKey(name)].push_back({name, count});
        }
    }
    return references;
}

void AddOnReferences::ReadClass(const std::string& classId, REGSAM view) {
    if (classId.empty() || classId.find('\\') != std::string::npos) return;
    platform::KeyHandle classKey;
    if (reg::OpenKey(HKEY_CLASSES_ROOT, std::string(kClassesKey) + "\\" + classId, KEY_READ | view, classKey) !=
        ERROR_SUCCESS)
        return;
    for (const char* server : kServerKeys) {
        platform::KeyHandle serverKey;
        std::string text;
        if (reg::OpenKey(classKey.Get(), server, KEY_QUERY_VALUE | view, serverKey) != ERROR_SUCCESS ||
            !TextValue(serverKey.Get(), "", text))
            continue;
        for (const std::string& spelling : ServerFileSpellings(text))
            if (!spelling.empty()) servers_[common::PathKey(spelling)].push_back({classId, view});
    }
}

void AddOnReferences::ReadModuleUsage(const std::string& module) {
    platform::KeyHandle key;
    if (module.empty() || module.find('\\') != std::string::npos ||
        reg::OpenKey(HKEY_LOCAL_MACHINE, std::string(kModuleUsageKey) + "\\" + module, KEY_READ | kNativeView, key) !=
            ERROR_SUCCESS)
        return;
    moduleClients_[common::PathKey(module)][module] = ModuleClients(key.Get());
}

std::vector<std::string> AddOnReferences::ModuleClients(HKEY moduleKey) {
    std::vector<std::string> clients;
    for (std::string& name : ValueNames(moduleKey))
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
    for (REGSAM view : kViews) ReadClass(classId, view);
}

void AddOnReferences::ReadModuleUsageAgain(const std::string& module) {
    for (auto& [file, modules] : moduleClients_)
        std::erase_if(modules, [&](const auto& entry) { return SameCaption(entry.first, module); });
    ReadModuleUsage(module);
}

void AddOnReferences::ReadSharedDllAgain(const std::string& path) {
    const std::string key = common::PathKey(path);
    sharedCounts_.erase(key);
    platform::KeyHandle shared;
    if (reg::OpenKey(HKEY_LOCAL_MACHINE, kSharedDllsKey, KEY_READ | kNativeView, shared) != ERROR_SUCCESS) return;
    for (const std::string& name : ValueNames(shared.Get())) {
        DWORD count = 0;
        if (common::PathKey(name) == key && CountValue(shared.Get(), name, count))
            sharedCounts_[key].push_back({name, count});
    }
}

}  // namespace history
