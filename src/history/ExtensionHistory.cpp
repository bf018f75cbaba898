// The browser extensions: Internet Explorer's downloaded program files,
// helper objects, toolbars, buttons and other plug-ins, their removals, and
// the rows of their sections. The toolbars, buttons and plug-ins take no
// mask, and their commands leave the mask controls as they are.
#include "history/ExtensionHistory.h"

#include "common/Common.h"
#include "common/RegisteredPath.h"
#include "platform/RegistryKey.h"
#include "formats/Masks.h"
#include "history/HistoryFunctions.h"
#include "history/HistorySectionTable.h"
#include "platform/Files.h"

#include <shlobj.h>

#include <algorithm>
#include <optional>
#include <set>
#include <vector>

namespace files = platform::files;
using platform::RegistryKey;

namespace history {

const char* const kDistributionUnitsKey = "SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units";
const char* const kBrowserHelperObjectsKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const char* const kToolbarsKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
const char* const kExtensionsKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
const char* const kInstalledComponentsKey = "SOFTWARE\\Microsoft\\Active Setup\\Installed Components";
const char* const kModuleUsageKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ModuleUsage";
const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* const kUserToolbarsKey = "Software\\Microsoft\\Internet Explorer\\Toolbar\\WebBrowser";

namespace {

constexpr REGSAM kListAccess = KEY_READ;
constexpr REGSAM kRemoveAccess = KEY_ALL_ACCESS;

const char* const kClassesKey = "CLSID";                          // under HKEY_CLASSES_ROOT
const char* const kMachineClassesKey = "SOFTWARE\\Classes";       // under HKEY_LOCAL_MACHINE
const char* const kMachineClassIdsKey = "SOFTWARE\\Classes\\CLSID";  // under HKEY_LOCAL_MACHINE
const char* const kSharedDllsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// The page's code for a row it could not clear ("Can't clear item: ").
constexpr int kCannotClear = 5000;

// A name that is empty or holds a separator would reach the parent key or
// one deeper down, never the add-on's own key.
bool NamesOneKey(const std::string& name) {
    return !name.empty() && name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

std::string Below(const std::string& key, const std::string& name) { return key.empty() ? name : key + "\\" + name; }


// The text of a string value; nothing for an absent value or one of another type.
std::optional<std::string> TextOf(const RegistryKey& registry, const std::string& name) {
    std::string text;
    if (registry.ReadText(name, text)) return text;
    return std::nullopt;
}

// The default value's text of root\key: nothing when the key does not
// open, "" when it holds no string there.
std::optional<std::string> DefaultTextOf(HKEY root, const std::string& key, REGSAM access) {
    const RegistryKey registry = RegistryKey::Open({root, key}, access);
    if (!registry) return std::nullopt;
    return TextOf(registry, "").value_or("");
}

void DeleteKeyTree(HKEY root, const std::string& key) {
    const platform::RegistryPlace place{root, key};
    if (RegistryKey::Exists(place)) RegistryKey::DeleteTree(place, kRemoveAccess);
}

// The display name of a class id: the class key's default value, or the
// name itself when there is no class key.
std::string ClassDisplayName(const std::string& name) {
    if (!NamesOneKey(name)) return name;
    return DefaultTextOf(HKEY_CLASSES_ROOT, Below(kClassesKey, name), kListAccess).value_or(name);
}

std::string WithoutLeadingAmpersand(const std::string& caption) {
    return !caption.empty() && caption.front() == '&' ? caption.substr(1) : caption;
}

// The text without the quotes around it, if it has them.
std::string Unquoted(const std::string& text) {
    return text.size() >= 2 && text.front() == '"' && text.back() == '"' ? text.substr(1, text.size() - 2) : text;
}

// Whether an install location can be one product's own folder: not a drive's
// root nor a folder every program or every program of the user shares (a
// careless installer may give "C:\Program Files" or "%APPDATA%"), whose
// uninstaller would claim every module below.
bool IsOwnFolder(const std::string& location) {
    std::string key = common::PathKey(location);
    while (!key.empty() && key.back() == '\\') key.pop_back();
    if (key.find('\\') == std::string::npos) return false;
    // The user's own folders too: every per-user add-on lives below them.
    for (const std::string& shared :
         {WindowsDirectory(), RawSystemDirectory(), common::ExpandedPath("%ProgramFiles%"),
          common::ExpandedPath("%ProgramFiles(x86)%"), common::ExpandedPath("%CommonProgramFiles%"),
          common::ExpandedPath("%CommonProgramFiles(x86)%"), common::ExpandedPath("%ProgramData%"),
          common::ExpandedPath("%ALLUSERSPROFILE%"), common::ExpandedPath("%USERPROFILE%"),
          common::ExpandedPath("%APPDATA%"), common::ExpandedPath("%LOCALAPPDATA%"),
          SpecialFolderPath(CSIDL_APPDATA), SpecialFolderPath(CSIDL_LOCAL_APPDATA),
          SpecialFolderPath(CSIDL_COMMON_APPDATA), SpecialFolderPath(CSIDL_PROFILE)}) {
        if (shared.empty() || shared.find('%') != std::string::npos) continue;
        std::string sharedKey = common::PathKey(shared);
        while (!sharedKey.empty() && sharedKey.back() == '\\') sharedKey.pop_back();
        if (key == sharedKey) return false;
    }
    return true;
}

// A drive, a colon and a separator: a name whose meaning no current folder decides.
bool IsDrivePath(const std::string& path) {
    return path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
           path[1] == ':' && path[2] == '\\';
}

// ---- the extensions: buttons and other plug-ins -------------------------------

struct ExtensionValues {
    std::optional<std::string> buttonText, menuText, exec, script;
    bool defaultVisible = false;

    bool IsButton() const { return buttonText && defaultVisible && (exec || script); }
};

ExtensionValues ReadExtension(const RegistryKey& registry) {
    ExtensionValues values;
    values.buttonText = TextOf(registry, "ButtonText");
    values.menuText = TextOf(registry, "MenuText");
    values.exec = TextOf(registry, "Exec");
    values.script = TextOf(registry, "Script");
    // Only its presence counts: its data is never shown.
    values.defaultVisible = registry.ValueExists("Default Visible");
    return values;
}

// visit(key name, values) for every extension key that opens, in order.
template <typename Visit>
void ForEachExtension(REGSAM access, Visit visit) {
    for (const std::string& name : RegistryKey::Open({HKEY_LOCAL_MACHINE, kExtensionsKey}, access).SubkeyNames()) {
        RegistryKey registry = RegistryKey::Open({HKEY_LOCAL_MACHINE, Below(kExtensionsKey, name)}, access);
        if (!registry) continue;
        const ExtensionValues values = ReadExtension(registry);
        registry.Close();
        visit(name, values);
    }
}

std::string OtherPluginCaption(const std::string& name, const ExtensionValues& values) {
    if (values.buttonText) return *values.buttonText;
    if (values.menuText) return *values.menuText;
    return "CLSID = " + name;
}

// Deletes the extension key the row names in its source, only while its
// values still pass stillListed(key name, values): two rows of one caption
// are two keys, and a key changed since the listing is not the row's.
template <typename StillListed>
bool DeleteExtensionWhile(const HistoryRow& item, StillListed stillListed) {
    if (!NamesOneKey(item.source)) return false;
    const std::string key = Below(kExtensionsKey, item.source);
    RegistryKey registry = RegistryKey::Open({HKEY_LOCAL_MACHINE, key}, kRemoveAccess);
    if (!registry) return false;
    const ExtensionValues values = ReadExtension(registry);
    registry.Close();
    if (!stillListed(item.source, values)) return false;
    DeleteKeyTree(HKEY_LOCAL_MACHINE, key);
    return true;
}

// ---- the shared clean-up steps -------------------------------------------------

// The module goes only when no other class, client or count refers to it.
void DeleteUnusedFile(const std::string& path, const std::string& ownClassId, const AddOnReferences& references) {
    if (!references.UsedByOthers(path, ownClassId)) DeleteAddOnFile(path);
}

void RemoveClassRegistrationIn(HKEY root, const std::string& classIds, const std::string& x,
                               const AddOnReferences& references) {
    if (!NamesOneKey(x)) return;
    const std::string key = Below(classIds, x);
    if (const auto module = DefaultTextOf(root, key + "\\InprocServer32", kRemoveAccess))
        DeleteUnusedFile(*module, x, references);
    DeleteKeyTree(root, key);
}

// The class keys themselves are never a program identifier, whatever a
// "CLSID" subkey below them says.
void RemoveProgramIdentifiersIn(HKEY root, const std::string& classes, const std::string& x) {
    if (!NamesOneKey(x)) return;
    std::vector<std::string> collected;
    for (const std::string& name : RegistryKey::Open({root, classes}, kRemoveAccess).SubkeyNames()) {
        if (SameCaption(name, kClassesKey)) continue;
        const std::string key = Below(classes, name);
        if (DefaultTextOf(root, key + "\\CLSID", KEY_QUERY_VALUE) == x) collected.push_back(key);
    }
    for (const std::string& key : collected) DeleteKeyTree(root, key);
}

// What is left of a module usage key once x's own client value is gone.
enum class ModuleUsageLeft { NotX, StillUsed, Unused };

// Removes x's client value (named x, case ignored as class ids are) from
// the open module usage key. ".Owner" and ".FileVersion" are no clients:
// the owner keeps the key only while others are listed.
ModuleUsageLeft RemoveModuleClient(const RegistryKey& registry, const std::string& x) {
    const std::vector<std::string> names = registry.ValueNames();
    bool isClient = false;
    for (const std::string& name : names) {
        if (SameCaption(name, ".Owner") || SameCaption(name, ".FileVersion") || !SameCaption(name, x)) continue;
        registry.DeleteValue(name);
        isClient = true;
    }
    const std::optional<std::string> owner = TextOf(registry, ".Owner");
    if (!isClient && !(owner && SameCaption(*owner, x))) return ModuleUsageLeft::NotX;
    return AddOnReferences::ModuleClients(registry).empty() ? ModuleUsageLeft::Unused
                                                                          : ModuleUsageLeft::StillUsed;
}

// One count of the file goes from each shared-DLL value naming it: a count
// above 1 loses one, a count of 1 goes.
void ReleaseSharedDllCount(const std::string& path, AddOnReferences& references) {
    const std::vector<std::string> names = references.SharedDllValueNames(path);
    if (names.empty()) return;
    const RegistryKey registry = RegistryKey::Open({HKEY_LOCAL_MACHINE, kSharedDllsKey}, kRemoveAccess);
    if (!registry) return;
    for (const std::string& name : names) {
        platform::reg::RawValue value;
        if (!registry.ReadRaw(name, value) || value.type != REG_DWORD || value.data.size() != sizeof(DWORD))
            continue;
        DWORD count = 0;
        std::copy(value.data.begin(), value.data.end(), reinterpret_cast<BYTE*>(&count));
        if (count == 1) {
            registry.DeleteValue(name);
        } else if (count > 1) {
            --count;
            const BYTE* bytes = reinterpret_cast<const BYTE*>(&count);
            value.data.assign(bytes, bytes + sizeof(DWORD));
            registry.WriteRaw(name, value);
        }
    }
    references.ReadSharedDllAgain(path);
}

// ---- the sections' Delete All -----------------------------------------------------

// Runs the removal for every listed row, first to last, telling its
// progress and ending before the next row once a stop is asked. Reports 0:
// what stayed shows in the listing that follows.
template <typename RemoveRow>
HistoryDeleteAll EveryListedRow(RemoveRow removeRow) {
    return [removeRow](const std::vector<HistoryRow>& listed, const std::string&, common::IProgressSink& progress,
                       common::StopToken stop) {
        HistoryDeleteAllResult result;
        for (size_t index = 0; index < listed.size(); ++index) {
            if (stop.StopRequested()) {
                result.stopped = true;
                break;
            }
            removeRow(listed[index]);
            progress.Progress(index + 1, listed.size(), listed[index].caption);
        }
        return result;
    };
}

// The same for the sections whose removals delete files: what refers to the
// files is read once, before the first row, and kept up to date row by row.
HistoryDeleteAll EveryListedAddOn(int (*removeRow)(const HistoryRow&, AddOnReferences&)) {
    return [removeRow](const std::vector<HistoryRow>& listed, const std::string& mask, common::IProgressSink& progress,
                       common::StopToken stop) {
        if (stop.StopRequested()) return HistoryDeleteAllResult{.stopped = true};
        AddOnReferences references = AddOnReferences::Read();
        return EveryListedRow([&](const HistoryRow& row) { removeRow(row, references); })(listed, mask, progress, stop);
    };
}

}  // namespace

bool HasClassIdShape(const std::string& text) {
    // "{????????-????-????-????-????????????}", built so that no "??-" trigraph is written.
    static const Mask kClassIdShape([] {
        std::string pattern = "{";
        for (size_t length : {8, 4, 4, 4, 12}) pattern.append(length, '?').append(1, '-');
        pattern.back() = '}';
        return pattern;
    }());
    return kClassIdShape.Fits(text);
}

// ---- listers -------------------------------------------------------------------------

void ListDownloadedProgramFiles(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    const std::vector<std::string> units =
        RegistryKey::Open({HKEY_LOCAL_MACHINE, kDistributionUnitsKey}, kListAccess).SubkeyNames();
    LazyMask lazyMask(mask);
    for (const std::string& unit : units) {
        if (stop.StopRequested()) return;
        std::string caption = ClassDisplayName(unit);
        if (!lazyMask.Fits(caption)) continue;
        sink.Add(HistoryRow{std::move(caption), {HasClassIdShape(unit) ? unit : std::string()}, unit});
    }
}

void ListBrowserHelperObjects(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    const std::vector<std::string> names =
        RegistryKey::Open({HKEY_LOCAL_MACHINE, kBrowserHelperObjectsKey}, kListAccess).SubkeyNames();
    LazyMask lazyMask(mask);
    for (const std::string& name : names) {
        if (stop.StopRequested()) return;
        std::string caption = ClassDisplayName(name);
        if (!lazyMask.Fits(caption)) continue;
        sink.Add(HistoryRow{std::move(caption), {HasClassIdShape(name) ? name : std::string()}, name});
    }
}

void ListToolbars(IHistorySink& sink) {
    for (const std::string& name : RegistryKey::Open({HKEY_LOCAL_MACHINE, kToolbarsKey}, kListAccess).ValueNames()) {
        // The key's default value, or a name reaching below a class key, is no toolbar.
        if (!NamesOneKey(name)) continue;
        const std::string classKey = Below(kClassesKey, name);
        const std::optional<std::string> displayName = DefaultTextOf(HKEY_CLASSES_ROOT, classKey, kListAccess);
        if (!displayName) continue;
        const std::string module = DefaultTextOf(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", kListAccess)
                                       .value_or(kInfoNotAvailable);
        sink.Add(HistoryRow{WithoutLeadingAmpersand(*displayName), {module, name}, name});
    }
}

void ListButtons(IHistorySink& sink) {
    ForEachExtension(kListAccess, [&sink](const std::string& name, const ExtensionValues& values) {
        if (values.IsButton())
            sink.Add(HistoryRow{*values.buttonText, {values.exec ? *values.exec : *values.script, name}, name});
    });
}

void ListOtherPlugins(IHistorySink& sink) {
    ForEachExtension(kListAccess, [&sink](const std::string& name, const ExtensionValues& values) {
        if (values.IsButton()) return;
        const std::string command = values.exec ? *values.exec : values.script ? *values.script : kInfoNotAvailable;
        sink.Add(HistoryRow{OtherPluginCaption(name, values), {command, name}, name});
    });
}

// ---- the clean-up steps ----------------------------------------------------------

bool DeleteAddOnFile(const std::string& path) {
    // Module usage keys cannot hold a "\" in their names, so installers
    // write "C:/..." there, or a bare file name; the Windows-folder test
    // only knows "\", and a bare name would be looked up in whatever the
    // current folder is. So the name is made a full path with "\" first,
    // and a name that is not one is left alone.
    if (path.find('\0') != std::string::npos) return false;
    std::string normal = path;
    std::replace(normal.begin(), normal.end(), '/', '\\');
    if (!IsDrivePath(normal)) return false;
    const std::string full = files::FullPathName(normal);
    if (!IsDrivePath(full) || IsInWindowsFolders(full)) return false;
    // Where the file really is counts too: a link elsewhere may lead into
    // those folders, and Wine deletes what a link leads to.
    return files::DeleteFileOutsideFolders(
        full, {files::FolderFinalPath(WindowsDirectory()), files::FolderFinalPath(RawSystemDirectory())});
}

void RemoveDistributionUnit(const std::string& x, AddOnReferences& references) {
    if (!NamesOneKey(x)) return;
    const std::string unit = Below(kDistributionUnitsKey, x);
    std::vector<std::string> paths =
        RegistryKey::Open({HKEY_LOCAL_MACHINE, unit + "\\Contains\\Files"}, kRemoveAccess).ValueNames();
    for (const std::string& subkey : RegistryKey::Open({HKEY_LOCAL_MACHINE, unit}, kRemoveAccess).SubkeyNames()) {
        const RegistryKey registry = RegistryKey::Open({HKEY_LOCAL_MACHINE, Below(unit, subkey)}, kRemoveAccess);
        if (!registry) continue;
        const std::vector<std::string> names = registry.ValueNames();
        for (const std::string& name : names)
            if (auto text = TextOf(registry, name)) paths.push_back(std::move(*text));
    }
    DeleteKeyTree(HKEY_LOCAL_MACHINE, unit);
    // A file listed twice is one file: its count goes down once.
    std::set<std::string> seen;
    const std::string ownClassId = HasClassIdShape(x) ? x : std::string();
    for (const std::string& path : paths) {
        if (!seen.insert(common::PathKey(path)).second) continue;
        const bool usedByOthers = references.UsedByOthers(path, ownClassId);
        ReleaseSharedDllCount(path, references);
        if (!usedByOthers) DeleteAddOnFile(path);
    }
}

void RemoveClassRegistration(const std::string& x, const AddOnReferences& references) {
    RemoveClassRegistrationIn(HKEY_CLASSES_ROOT, kClassesKey, x, references);
}

void RemoveProgramIdentifiers(const std::string& x) { RemoveProgramIdentifiersIn(HKEY_CLASSES_ROOT, "", x); }

void RemoveMachineClassRegistration(const std::string& x, const AddOnReferences& references) {
    RemoveClassRegistrationIn(HKEY_LOCAL_MACHINE, kMachineClassIdsKey, x, references);
}

void RemoveMachineProgramIdentifiers(const std::string& x) {
    RemoveProgramIdentifiersIn(HKEY_LOCAL_MACHINE, kMachineClassesKey, x);
}

void RemoveInstalledComponent(const std::string& x) {
    if (NamesOneKey(x)) DeleteKeyTree(HKEY_LOCAL_MACHINE, Below(kInstalledComponentsKey, x));
}

void RemoveModuleUsage(const std::string& x, AddOnReferences& references) {
    // An empty x would match every module's default value.
    if (x.empty()) return;
    std::vector<std::string> unused;
    for (const std::string& module :
         RegistryKey::Open({HKEY_LOCAL_MACHINE, kModuleUsageKey}, kRemoveAccess).SubkeyNames()) {
        const std::string key = Below(kModuleUsageKey, module);
        RegistryKey registry = RegistryKey::Open({HKEY_LOCAL_MACHINE, key}, kRemoveAccess);
        if (!registry) continue;
        const ModuleUsageLeft left = RemoveModuleClient(registry, x);
        registry.Close();
        if (left == ModuleUsageLeft::NotX) continue;
        if (left == ModuleUsageLeft::Unused) {
            DeleteKeyTree(HKEY_LOCAL_MACHINE, key);
            unused.push_back(module);
        }
        references.ReadModuleUsageAgain(module);
    }
    for (const std::string& module : unused) DeleteUnusedFile(module, x, references);
}

// ---- removals -------------------------------------------------------------------------

int DeleteDownloadedProgramFile(const HistoryRow& item) {
    if (item.subItems.empty()) return 0;
    AddOnReferences references = AddOnReferences::Read();
    return DeleteDownloadedProgramFile(item, references);
}

int DeleteDownloadedProgramFile(const HistoryRow& item, AddOnReferences& references) {
    if (item.subItems.empty()) return 0;
    const std::string& classId = item.subItems[0];
    if (HasClassIdShape(classId)) {
        RemoveDistributionUnit(classId, references);
        RemoveClassRegistration(classId, references);
        RemoveProgramIdentifiers(classId);
        RemoveMachineClassRegistration(classId, references);
        RemoveMachineProgramIdentifiers(classId);
        RemoveInstalledComponent(classId);
        RemoveModuleUsage(classId, references);
        DeleteValueByName(HKEY_LOCAL_MACHINE, kToolbarsKey, classId);
        if (NamesOneKey(classId)) DeleteKeyTree(HKEY_LOCAL_MACHINE, Below(kBrowserHelperObjectsKey, classId));
        DeleteValueByName(HKEY_CURRENT_USER, kUserToolbarsKey, classId);
        references.ReadClassAgain(classId);
    } else {
        // The unit's own name: the caption is its class's display name
        // when a class key happens to bear the unit's name.
        RemoveDistributionUnit(item.source.empty() ? item.caption : item.source, references);
    }
    return 0;
}

int DeleteBrowserHelperObject(const HistoryRow& item) {
    if (item.subItems.empty()) return 0;
    if (!HasClassIdShape(item.subItems[0])) return kCannotClear;
    AddOnReferences references = AddOnReferences::Read();
    return DeleteBrowserHelperObject(item, references);
}

int DeleteBrowserHelperObject(const HistoryRow& item, AddOnReferences& references) {
    if (item.subItems.empty()) return 0;
    const std::string& classId = item.subItems[0];
    if (!HasClassIdShape(classId)) return kCannotClear;
    if (NamesOneKey(classId)) DeleteKeyTree(HKEY_LOCAL_MACHINE, Below(kBrowserHelperObjectsKey, classId));
    RemoveClassRegistration(classId, references);
    RemoveProgramIdentifiers(classId);
    RemoveMachineClassRegistration(classId, references);
    RemoveMachineProgramIdentifiers(classId);
    references.ReadClassAgain(classId);
    return 0;
}

bool DeleteButtonExtension(const HistoryRow& item) {
    return DeleteExtensionWhile(item, [&item](const std::string&, const ExtensionValues& values) {
        return values.IsButton() && *values.buttonText == item.caption;
    });
}

bool DeleteOtherPlugin(const HistoryRow& item) {
    return DeleteExtensionWhile(item, [&item](const std::string& name, const ExtensionValues& values) {
        return !values.IsButton() && OtherPluginCaption(name, values) == item.caption;
    });
}

std::string FindToolbarUninstaller(const std::string& classId, const std::string& displayName,
                                   const std::string& module) {
    const auto uninstallString = [](const std::string& entry) -> std::optional<std::string> {
        if (!NamesOneKey(entry)) return std::nullopt;
        const RegistryKey registry = RegistryKey::Open({HKEY_LOCAL_MACHINE, Below(kUninstallKey, entry)}, kListAccess);
        if (!registry) return std::nullopt;
        return TextOf(registry, "UninstallString");
    };
    const std::vector<std::string> entries =
        RegistryKey::Open({HKEY_LOCAL_MACHINE, kUninstallKey}, kListAccess).SubkeyNames();
    std::optional<std::string> command;
    const auto named = std::find_if(entries.begin(), entries.end(),
                                    [&](const std::string& entry) { return SameCaption(entry, classId); });
    if (!classId.empty() && named != entries.end()) command = uninstallString(*named);
    // A product whose own folder holds the toolbar's module installed it.
    for (size_t index = 0; !command && module != kInfoNotAvailable && index < entries.size(); ++index) {
        const RegistryKey registry =
            RegistryKey::Open({HKEY_LOCAL_MACHINE, Below(kUninstallKey, entries[index])}, kListAccess);
        if (!registry) continue;
        const std::optional<std::string> location = TextOf(registry, "InstallLocation");
        if (location && IsOwnFolder(Unquoted(*location)) &&
            common::PathIsInsideFolder(Unquoted(module), Unquoted(*location)))
            command = TextOf(registry, "UninstallString");
    }
    // Two toolbars whose uninstall entries bear neither their class id nor
    // their module's folder.
    const char* const kKnownEntries[][2] = {{"Alexa", "Alexa Toolbar"}, {"Yahoo! Toolbar", "Yahoo! Companion"}};
    for (const auto& [toolbar, entry] : kKnownEntries)
        if (displayName == toolbar)
            if (auto known = uninstallString(entry)) command = std::move(known);
    return command.value_or("");
}

std::string ToolbarUninstaller(const HistoryRow& item) {
    return item.subItems.size() < 2 ? std::string()
                                    : FindToolbarUninstaller(item.subItems[1], item.caption, item.subItems[0]);
}

int UninstallToolbar(const HistoryRow& item) {
    const std::string command = ToolbarUninstaller(item);
    if (command.empty()) return 0;
    return RunProgram(command, SW_SHOWNORMAL) ? 0 : static_cast<int>(ERROR_FILE_NOT_FOUND);
}

// ---- the sections' rows ------------------------------------------------------------

void RegisterExtensionSections(HistorySectionRegistry& sections) {
    sections.Register({hsDownloadedProgramFiles, hsInternetExplorer, 80, "Downloaded Program Files Folder", 3},
                      {.columns = {{"Internet Explorer Download Files Folder", 250}, {"CLSID", 0}},
                       .fit = ColumnFit::SecondFills,
                       .deleteAllQuestion = "Do you really want to delete ALL Downloaded Program Files?",
                       .list = ListDownloadedProgramFiles,
                       .deleteOne = [](const HistoryRow& item) { return DeleteDownloadedProgramFile(item); },
                       .deleteAll = EveryListedAddOn(DeleteDownloadedProgramFile),
                       .deleteAllUsesMask = false});
    sections.Register({hsBrowserHelperObjects, hsInternetExplorer, 90, "Browser Helper Objects", 2},
                      {.columns = {{"Browser Helper Objects", 250}, {"CLSID", 0}},
                       .fit = ColumnFit::SecondFills,
                       .deleteAllQuestion = "Do you really want to delete ALL Browser Helper Objects?",
                       .list = ListBrowserHelperObjects,
                       .deleteOne = [](const HistoryRow& item) { return DeleteBrowserHelperObject(item); },
                       .deleteAll = EveryListedAddOn(DeleteBrowserHelperObject),
                       .deleteAllUsesMask = false});
    // A toolbar goes only through its own uninstaller; there is no Delete All.
    sections.Register({hsToolbars, hsExtensionsIE, 10, "Toolbar's", 1},
                      {.heading = "Internet Explorer ToolBars",
                       .takesMask = false,
                       .actions = HistoryActionRule::UninstallCommand,
                       .list = [](IHistorySink& sink, const std::string&,
                                  common::StopToken) { ListToolbars(sink); },
                       .deleteOne = UninstallToolbar,
                       .uninstallCommand = ToolbarUninstaller});
    // Delete All of the buttons and plug-ins asks nothing and goes by the listed rows' keys.
    sections.Register(
        {hsButtons, hsExtensionsIE, 20, "Button's", 1},
        {.heading = "Internet Explorer Buttons",
         .takesMask = false,
         .actions = HistoryActionRule::MaskUntouched,
         .list = [](IHistorySink& sink, const std::string&, common::StopToken) { ListButtons(sink); },
         .deleteOne =
             [](const HistoryRow& item) {
                 DeleteButtonExtension(item);
                 return 0;
             },
         .deleteAll = EveryListedRow([](const HistoryRow& item) { DeleteButtonExtension(item); })});
    sections.Register({hsOtherPlugins, hsExtensionsIE, 30, "Other Plug-in's", 1},
                      {.heading = "Internet Explorer Other Plugins",
                       .takesMask = false,
                       .actions = HistoryActionRule::MaskUntouched,
                       .list = [](IHistorySink& sink, const std::string&,
                                  common::StopToken) { ListOtherPlugins(sink); },
                       .deleteOne =
                           [](const HistoryRow& item) {
                               DeleteOtherPlugin(item);
                               return 0;
                           },
                       .deleteAll = EveryListedRow([](const HistoryRow& item) { DeleteOtherPlugin(item); })});
}

}  // namespace history
