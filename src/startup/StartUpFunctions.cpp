// The startup sources' readers and presence tests.
#include "startup/StartUpFunctions.h"

#include "common/Common.h"
#include "common/RegistryFunctions.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "platform/Version.h"

#include <algorithm>

namespace files = platform::files;

namespace startup {

const char* const kRunRoots[3] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS"};

namespace {

// The keys of an INI file a reader lists, in listing order.
struct IniKeys {
    const char* file;  // below the Windows folder
    const char* section;
    const char* keys[2];
};
constexpr IniKeys kWinIniKeys{"\\win.ini", "windows", {"load", "run"}};
constexpr IniKeys kSystemIniKeys{"\\system.ini", "boot", {"shell", "scrnsave.exe"}};

// "Yes", "No" or "N/A" for the file a row's command line starts.
std::string ActiveStateOfFile(const std::string& path, const std::vector<std::string>& runningPaths) {
    if (!files::FileExists(path)) return "N/A";
    for (const std::string& running : runningPaths)
        if (SameCaption(running, path)) return "Yes";
    return "No";
}

// The file a row's command line starts is taken out once: it gives both the
// row's icon and its Active column (the fourth sub-value).
void SetRowFile(StartupRow& row, const std::string& commandLine, const StartupContext& context) {
    row.iconFile = context.info.Pars(commandLine, context.folders);
    row.subItems[3] = ActiveStateOfFile(row.iconFile, context.runningPaths);
}

StartupRow& AddRow(StartupListing& list, const std::string& caption) {
    list.rows.push_back(StartupRow{caption, {}, false, {}, {}, {}});
    return list.rows.back();
}

// A row whose file can show an icon and be tested for running.
void AddFileRow(StartupListing& list, const std::string& caption, const std::string& location,
                const StartupContext& context) {
    StartupRow& row = AddRow(list, caption);
    row.subItems = {location, "", "", ""};
    SetRowFile(row, location, context);
}

void ReadRunKeyValues(StartupListing& list, const std::string& rootName,
                      const std::string& section, const std::string& suffix, bool active,
                      const StartupContext& context) {
    for (const RunKeyText& value : ReadRunKeyTexts(rootName, section + suffix)) {
        // A name may hold a NUL beside a value of the name cut there (a way
        // to hide an entry): the row shows it whole and keeps it to act on.
        StartupRow& row = AddRow(list, ShownValueName(value.name));
        row.valueName = value.name;
        row.checked = active;
        row.subItems = {value.text, rootName, section, ""};
        SetRowFile(row, value.text, context);
    }
}

// One run key of one root: its active values, and those switched off in its
// twin when the listing shows them.
void ReadRunKey(StartupListing& list, const std::string& rootName, const std::string& keyName,
                bool withSwitchedOff, const StartupContext& context) {
    ReadRunKeyValues(list, rootName, keyName, "", true, context);
    if (withSwitchedOff) ReadRunKeyValues(list, rootName, keyName, kSwitchedOffSuffix, false, context);
}

void ReadEveryRunKey(StartupListing& list, bool withSwitchedOff, const StartupContext& context) {
    const std::vector<const StartupSource*> runKeys = RunKeySources();
    for (const char* root : kRunRoots)
        for (const StartupSource* runKey : runKeys) ReadRunKey(list, root, runKey->runKey, withSwitchedOff, context);
}

// The first `count` keys of an INI file, one row each.
void ReadIniKeys(StartupListing& list, const IniKeys& ini, int count, const StartupContext& context) {
    const std::string file = WindowsDirectory() + ini.file;
    for (int k = 0; k < count; ++k)
        AddFileRow(list, ini.keys[k], files::ReadIniString(file, ini.section, ini.keys[k]), context);
}

bool ReadSourceLines(const StartupSource& source, std::vector<std::string>& lines) {
    const std::string file = SourceFilePath(source);
    return files::FileExists(file) && files::ReadTextLines(file, lines);
}

void RemoveRowsWithoutLocation(StartupListing& list) {
    auto& rows = list.rows;
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [](const StartupRow& row) {
                                  return !row.subItems.empty() && row.subItems[0].empty();
                              }),
               rows.end());
}

bool IsShortcutFile(const std::string& path) {
    return path.size() >= 4 && SameCaption(path.substr(path.size() - 4), ".lnk");
}

bool WinIniHasEntries() {
    const std::string file = WindowsDirectory() + "\\win.ini";
    return !files::ReadIniString(file, "windows", "load").empty() ||
           !files::ReadIniString(file, "windows", "run").empty();
}

}  // namespace

std::string RunKeyPath(const std::string& rootName, const std::string& section,
                       const std::string& suffix) {
    return RunKeyPlace(rootName, section + suffix).path;
}

platform::RegistryPlace RunKeyPlace(const std::string& rootName, const std::string& keyName) {
    const HKEY root = RootKeyFromName(rootName);
    const std::string prefix = root == HKEY_USERS ? ".Default\\" : "";
    return {root, prefix + kRunKeyBase + keyName};
}

platform::RegistryKey OpenRunKeyToRead(const std::string& rootName, const std::string& keyName) {
    return platform::RegistryKey::OpenReadOnly(RunKeyPlace(rootName, keyName));
}

std::vector<RunKeyText> ReadRunKeyTexts(const std::string& rootName, const std::string& keyName) {
    std::vector<RunKeyText> values;
    const platform::RegistryKey registry = OpenRunKeyToRead(rootName, keyName);
    if (!registry) return values;
    for (const std::string& name : registry.ValueNames()) {
        if (name.empty()) continue;  // the key's default value is never an entry
        // Read whole before keeping it, so a value that fails (changed or
        // removed since it was listed) leaves nothing half-made; a value of
        // another type, which Windows would not start, is passed over whole
        // and the rest still read.
        std::string text;
        if (!registry.ReadText(name, text)) continue;
        values.push_back(RunKeyText{name, std::move(text)});
    }
    return values;
}

std::string SectionFilePath(int id) { return SourceFilePath(SourceOf(id)); }

std::vector<std::string> RunningProcessPaths() {
    std::vector<std::string> paths;
    for (const auto& process : platform::processes::SnapshotProcesses())
        paths.push_back(MainModulePath(process.id));
    return paths;
}

std::string ActiveState(const std::string& location, const FileVersionInfo& info,
                        const std::vector<std::string>& runningPaths) {
    return ActiveStateOfFile(info.Pars(location), runningPaths);
}

void ReadEverything(const StartupSource&, StartupListing& list, const StartupContext& context) {
    // What starts now: the run keys' active values, the programs Win.ini and
    // System.ini start, the Startup folders' files.
    ReadEveryRunKey(list, false, context);
    if (WinIniHasEntries()) ReadIniKeys(list, kWinIniKeys, 2, context);
    ReadIniKeys(list, kSystemIniKeys, 1, context);
    ReadStartupFolders(list, context);
}

void ReadAllRunKeys(const StartupSource&, StartupListing& list, const StartupContext& context) {
    ReadEveryRunKey(list, true, context);
}

void ReadRunKeySource(const StartupSource& source, StartupListing& list, const StartupContext& context) {
    for (const char* root : kRunRoots) ReadRunKey(list, root, source.runKey, true, context);
}

void ReadChildSources(const StartupSource& source, StartupListing& list, const StartupContext& context) {
    for (const StartupSource* child : ChildSources(source.id))
        if (child->read) child->read(*child, list, context);
}

void ReadWinIni(const StartupSource&, StartupListing& list, const StartupContext& context) {
    ReadIniKeys(list, kWinIniKeys, 2, context);
}

void ReadSystemIni(const StartupSource&, StartupListing& list, const StartupContext& context) {
    ReadIniKeys(list, kSystemIniKeys, 2, context);
}

void ReadWininitIni(const StartupSource& source, StartupListing& list, const StartupContext&) {
    const std::string file = SourceFilePath(source);
    for (const std::string& section : files::ReadIniSectionNames(file)) {
        AddRow(list, "[" + section + "]");
        for (const std::string& key : files::ReadIniKeyNames(file, section))
            AddRow(list, key).subItems = {files::ReadIniString(file, section, key)};
    }
}

void ReadSettingLines(const StartupSource& source, StartupListing& list, const StartupContext&) {
    std::vector<std::string> lines;
    if (!ReadSourceLines(source, lines)) return;
    for (const std::string& line : lines) {
        if (line.find("REM") != std::string::npos) continue;
        const size_t at = line.find('=');
        if (at != std::string::npos) AddRow(list, line.substr(0, at)).subItems = {line.substr(at + 1)};
    }
}

void ReadLoadHighLines(const StartupSource& source, StartupListing& list, const StartupContext&) {
    std::vector<std::string> lines;
    if (!ReadSourceLines(source, lines)) return;
    for (const std::string& line : lines) {
        if (line.find("REM") != std::string::npos) continue;
        const size_t at = line.find("lh");
        if (at != std::string::npos) AddRow(list, "lh").subItems = {at + 3 <= line.size() ? line.substr(at + 3) : ""};
    }
}

void ReadStartupFolderSource(const StartupSource&, StartupListing& list, const StartupContext& context) {
    ReadStartupFolders(list, context);
}

std::vector<std::string> StartupFolderFiles() {
    std::vector<std::string> paths;
    ListFilesRecursive(SpecialFolderPath(kCsidlStartup), &paths);
    ListFilesRecursive(SpecialFolderPath(kCsidlCommonStartup), &paths);
    return paths;
}

void ReadStartupFolders(StartupListing& list, const StartupContext& context) {
    for (const std::string& path : StartupFolderFiles()) {
        const std::string name = files::RemoveExtension(files::ExtractFileName(path));
        const std::string folder = files::ExtractFilePath(path);
        const std::string target = ResolveShortcut(folder + name + ".lnk");
        StartupRow& row = AddRow(list, name);
        row.subItems = {folder, "", "", ""};
        SetRowFile(row, target, context);
        row.filePath = path;
    }
}

void ListSection(int id, StartupListing& list, const FileVersionInfo& info) {
    const StartupSource& source = SourceOf(id);
    StartupContext context{info, RunningProcessPaths()};
    if (source.read) source.read(source, list, context);
    list.checkBoxes = source.allows.onOff;
    list.popup = source.kind == SourceKind::File ? SuPopupMenu::ValueFiles : SuPopupMenu::ValueReg;
    RemoveRowsWithoutLocation(list);
}

bool RunKeyHasValues(const StartupSource& source) {
    for (const char* root : kRunRoots) {
        if (OpenRunKeyToRead(root, source.runKey).HasValues()) return true;
    }
    return false;
}

bool SourceFileExists(const StartupSource& source) { return files::FileExists(SourceFilePath(source)); }

bool StartupFolderHasFiles(const StartupSource&) { return !StartupFolderFiles().empty(); }

void SuSectionFlags::Set(int id, bool present) {
    if (id < 0) return;
    if (id >= static_cast<int>(present_.size())) present_.resize(id + 1, false);
    present_[id] = present;
}

SuSectionFlags UpdateSectionFlags() {
    SuSectionFlags flags;
    for (const StartupSource& source : StartupSources())
        if (source.present) flags.Set(source.id, source.present(source));
    return flags;
}

int SectionImage(int id, const SuSectionFlags& flags) {
    return flags[id] ? kSuImagePresent : kSuImageAbsent;
}

std::string programInfoPath(int id, const std::string& name, const std::string& location,
                            const std::string& filePath, FileVersionInfo& info) {
    if (filePath.empty()) return programInfoPath(id, name, location, info);
    if (!IsShortcutFile(filePath)) return filePath;
    const std::string target = ResolveShortcut(filePath);
    if (SourceOf(id).kind != SourceKind::Mixed) return target;
    info.GetInfo(target);
    return files::FileExists(info.ParsLocation) ? target : location;
}

std::string programInfoPath(int id, const std::string& name, const std::string& location,
                            FileVersionInfo& info) {
    // A Startup-folder row names the shortcut; a row of "All" may be one.
    const SourceKind kind = SourceOf(id).kind;
    if (kind == SourceKind::StartupFolder) return ResolveShortcut(location + name + ".lnk");
    if (kind != SourceKind::Mixed) return location;
    const std::string resolved = ResolveShortcut(location + name + ".lnk");
    info.GetInfo(resolved);
    return files::FileExists(info.ParsLocation) ? resolved : location;
}

bool CanDescribeFile(const std::string& path, const FileVersionInfo& info) {
    const std::string file = info.Pars(path);
    return files::FileExists(file) || platform::version::InfoSize(file) > 0;
}

std::string EditCommandLine(int id) {
    const StartupSource& source = SourceOf(id);
    const std::string file = SourceFilePath(source);
    if (!source.allows.edit || file.empty()) return {};
    return WindowsDirectory() + "\\" + "NOTEPAD.EXE " + file;
}

}  // namespace startup
