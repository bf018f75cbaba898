// The startup sources and their readers.
#include "startup/StartUpFunctions.h"

#include "common/Common.h"
#include "common/RegistryFunctions.h"
#include "common/RegistryObject.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "platform/Version.h"

#include <algorithm>

namespace files = platform::files;

namespace startup {

const SuSectionNode kSuSectionNodes[kSuSectionCount] = {
    {"All", 0},          {"Registry", 1},     {"Run", 2},          {"RunOnce", 2},
    {"RunOnceEx", 2},    {"RunService", 2},   {"RunServiceOnce", 2}, {"StartUp Files", 1},
    {"Win.ini", 2},      {"System.ini", 2},   {"Wininit.ini", 2},  {"Winstart.bat", 2},
    {"Autoexec.bat", 2}, {"Config.sys", 2},   {"Dosstart.bat", 2}, {"Autoexec.nt", 2},
    {"Config.nt", 2},    {"Autostart", 1},
};

const char* const kRunSections[5] = {"Run", "RunOnce", "RunOnceEx", "RunService",
                                     "RunServiceOnce"};
const char* const kRunRoots[3] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS"};

namespace {

constexpr int kBatchFirst = kSuWinstartBat;
constexpr int kBatchLast = kSuConfigNt;

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

void ReadAllRunKeys(StartupListing& list, int position, const StartupContext& context) {
    for (const char* root : kRunRoots)
        for (const char* section : kRunSections) ReadRunKey(list, root, section, position, context);
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
    const std::string prefix = RootKeyFromName(rootName) == HKEY_USERS ? ".Default\\" : "";
    return prefix + kRunKeyBase + section + suffix;
}

bool OpenRunKeyToRead(TRegistry& registry, const std::string& rootName, const std::string& keyName) {
    registry.SetRootKey(RootKeyFromName(rootName));
    return registry.OpenKeyReadOnly(RunKeyPath(rootName, keyName));
}

std::vector<RunKeyText> ReadRunKeyTexts(const std::string& rootName, const std::string& keyName) {
    std::vector<RunKeyText> values;
    TRegistry registry;
    if (!OpenRunKeyToRead(registry, rootName, keyName)) return values;
    std::vector<std::string> names;
    registry.GetValueNames(names);
    for (const std::string& name : names) {
        if (name.empty()) continue;  // the key's default value is never an entry
        // Read whole before keeping it, so a value that fails (changed or
        // removed since it was listed) leaves nothing half-made; a value of
        // another type, which Windows would not start, is passed over whole
        // and the rest still read.
        std::string text;
        if (!registry.ReadStringValue(name, text)) continue;
        values.push_back(RunKeyText{name, std::move(text)});
    }
    return values;
}

std::string SectionFilePath(int position) {
    const std::string windows = WindowsDirectory();
    switch (position) {
    case kSuWinIni: return windows + "\\Win.ini";
    case kSuSystemIni: return windows + "\\System.ini";
    case kSuWininitIni: return windows + "\\wininit.ini";
    case kSuWinstartBat: return windows + "\\winstart.bat";
    case kSuAutoexecBat: return "C:\\autoexec.bat";
    case kSuConfigSys: return "C:\\config.sys";
    case kSuDosstartBat: return windows + "\\dosstart.bat";
    case kSuAutoexecNt: return windows + "\\system32\\autoexec.nt";
    case kSuConfigNt: return windows + "\\system32\\config.nt";
    default: return {};
    }
}

std::vector<std::string> RunningProcessPaths() {
    std::vector<std::string> paths;
    for (const auto& process : platform::processes::SnapshotProcesses())
        paths.push_back(MainModulePath(process.id));
    return paths;
}

std::string ActiveState(const std::string& location, const TFileVersionInfo& info,
                        const std::vector<std::string>& runningPaths) {
    return ActiveStateOfFile(info.Pars(location), runningPaths);
}

void ReadRunKey(StartupListing& list, const std::string& rootName, const std::string& section,
                int position, const StartupContext& context) {
    list.checkBoxes = true;
    ReadRunKeyValues(list, rootName, section, "", true, context);
    if (position != kSuAll) ReadRunKeyValues(list, rootName, section, kSwitchedOffSuffix, false, context);
}

void ReadIniFile(StartupListing& list, int iniPosition, int position,
                 const StartupContext& context) {
    list.checkBoxes = false;
    const bool isWin = iniPosition == kSuWinIni;
    const std::string file = WindowsDirectory() + (isWin ? "\\win.ini" : "\\system.ini");
    const char* section = isWin ? "windows" : "boot";
    const char* keys[2] = {isWin ? "load" : "shell", isWin ? "run" : "scrnsave.exe"};
    AddFileRow(list, keys[0], files::ReadIniString(file, section, keys[0]), context);
    if (isWin || position != kSuAll)
        AddFileRow(list, keys[1], files::ReadIniString(file, section, keys[1]), context);
}

void ReadWininitIni(StartupListing& list) {
    list.checkBoxes = false;
    const std::string file = WindowsDirectory() + "\\wininit.ini";
    for (const std::string& section : files::ReadIniSectionNames(file)) {
        AddRow(list, "[" + section + "]");
        for (const std::string& key : files::ReadIniKeyNames(file, section))
            AddRow(list, key).subItems = {files::ReadIniString(file, section, key)};
    }
}

void ReadBatchFile(StartupListing& list, int position) {
    list.checkBoxes = false;
    std::vector<std::string> lines;
    const std::string file = SectionFilePath(position);
    if (!files::FileExists(file) || !files::ReadTextLines(file, lines)) return;
    for (const std::string& line : lines) {
        if (line.find("REM") != std::string::npos) continue;
        if (position == kSuAutoexecNt) {
            size_t at = line.find("lh");
            if (at != std::string::npos)
                AddRow(list, "lh").subItems = {at + 3 <= line.size() ? line.substr(at + 3) : ""};
        } else {
            size_t at = line.find('=');
            if (at != std::string::npos)
                AddRow(list, line.substr(0, at)).subItems = {line.substr(at + 1)};
        }
    }
}

std::vector<std::string> StartupFolderFiles() {
    std::vector<std::string> paths;
    ListFilesRecursive(SpecialFolderPath(kCsidlStartup), &paths);
    ListFilesRecursive(SpecialFolderPath(kCsidlCommonStartup), &paths);
    return paths;
}

void ReadStartupFolders(StartupListing& list, const StartupContext& context) {
    list.checkBoxes = false;
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

void ListSection(int position, StartupListing& list, const TFileVersionInfo& info) {
    StartupContext context{info, RunningProcessPaths()};
    if (position == kSuAll) {
        ReadAllRunKeys(list, position, context);
        list.checkBoxes = false;
        if (WinIniHasEntries()) ReadIniFile(list, kSuWinIni, position, context);
        ReadIniFile(list, kSuSystemIni, position, context);
        ReadStartupFolders(list, context);
    } else if (position == kSuRegistry) {
        ReadAllRunKeys(list, position, context);
    } else if (position >= kSuRun && position <= kSuRunServiceOnce) {
        for (const char* root : kRunRoots)
            ReadRunKey(list, root, kRunSections[position - kSuRun], position, context);
    } else if (position == kSuStartUpFiles) {
        list.checkBoxes = false;
        ReadIniFile(list, kSuWinIni, position, context);
        ReadIniFile(list, kSuSystemIni, position, context);
        ReadWininitIni(list);
        for (int batch = kBatchFirst; batch <= kBatchLast; ++batch) ReadBatchFile(list, batch);
    } else if (position == kSuWinIni || position == kSuSystemIni) {
        ReadIniFile(list, position, position, context);
    } else if (position == kSuWininitIni) {
        ReadWininitIni(list);
    } else if (position >= kBatchFirst && position <= kBatchLast) {
        ReadBatchFile(list, position);
    } else if (position == kSuAutostart) {
        list.rows.clear();
        ReadStartupFolders(list, context);
    }
    const bool filesMenu = position >= kSuStartUpFiles && position <= kBatchLast;
    list.popup = filesMenu ? SuPopupMenu::ValueFiles : SuPopupMenu::ValueReg;
    RemoveRowsWithoutLocation(list);
}

bool IsGroupSection(int position) {
    return position == kSuAll || position == kSuRegistry || position == kSuStartUpFiles;
}

SuSectionFlags UpdateSectionFlags() {
    SuSectionFlags flags{};
    for (const char* root : kRunRoots) {
        for (int i = 0; i < 5; ++i) {
            TRegistry registry;
            if (!OpenRunKeyToRead(registry, root, kRunSections[i])) continue;
            if (registry.HasValues()) flags[kSuRun + i] = true;
        }
    }
    for (int position = kSuWinIni; position <= kSuConfigNt; ++position)
        flags[position] = files::FileExists(SectionFilePath(position));
    flags[kSuAutostart] = !StartupFolderFiles().empty();
    return flags;
}

int SectionImage(int position, const SuSectionFlags& flags) {
    return flags[position] ? kSuImagePresent : kSuImageAbsent;
}

std::string ProgramInfoPath(int position, const std::string& name, const std::string& location,
                            const std::string& filePath, TFileVersionInfo& info) {
    if (filePath.empty()) return ProgramInfoPath(position, name, location, info);
    if (!IsShortcutFile(filePath)) return filePath;
    const std::string target = ResolveShortcut(filePath);
    if (position != kSuAll) return target;
    info.GetInfo(target);
    return files::FileExists(info.ParsLocation) ? target : location;
}

std::string ProgramInfoPath(int position, const std::string& name, const std::string& location,
                            TFileVersionInfo& info) {
    if (position == kSuAutostart) return ResolveShortcut(location + name + ".lnk");
    if (position != kSuAll) return location;
    const std::string resolved = ResolveShortcut(location + name + ".lnk");
    info.GetInfo(resolved);
    return files::FileExists(info.ParsLocation) ? resolved : location;
}

bool CanDescribeFile(const std::string& path, const TFileVersionInfo& info) {
    const std::string file = info.Pars(path);
    return files::FileExists(file) || platform::version::InfoSize(file) > 0;
}

std::string EditCommandLine(int position) {
    const std::string notepad = WindowsDirectory() + "\\" + "NOTEPAD.EXE ";
    if (position == kSuAutoexecBat || position == kSuConfigSys) return notepad + SectionFilePath(position);
    if (position < kSuWinIni || position > kSuConfigNt) return {};
    const char* const names[] = {"Win.ini", "System.ini", "wininit.ini", "winstart.bat", "", "", "dosstart.bat",
                                 "system32\\autoexec.nt", "system32\\config.nt"};
    return notepad + WindowsDirectory() + "\\" + names[position - kSuWinIni];
}

}  // namespace startup
