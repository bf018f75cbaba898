// Seeds the demo machine with realistic startup entries in every source:
// run keys under the three roots with switched-off twins, win.ini and
// system.ini values, wininit.ini, every batch file and both Startup folders
// with shortcuts to programs that exist and to ones that do not; and
// registry entries left behind by programs that have gone, beside live ones,
// for the registry scanner to find; and the traces the History page lists
// and cleans; and a startup snapshot with changes made after it.
//   orvdemo_seed.exe <folder of the built programs>            everything
//   orvdemo_seed.exe <folder> --boot-files                     wininit.ini only
//   orvdemo_seed.exe <folder> --registry-problems              the scanner's entries only
//   orvdemo_seed.exe <folder> --history                        the history traces only
//   orvdemo_seed.exe <folder> --browser-addons                 Firefox and the add-ons only
//   orvdemo_seed.exe <folder> --app-lists                      the applications' recent lists only
//   orvdemo_seed.exe <folder> --snapshot                       the startup snapshot and the changes after it only
#include "common/Common.h"
#include "common/RegistryFunctions.h"
#include "platform/RegistryKey.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "startup/StartUpFunctions.h"

#include <ole2.h>

#include <cstdio>
#include <string>

namespace files = platform::files;

using namespace startup;

// The history traces, in SeedHistoryIE.cpp, SeedHistoryWindows.cpp,
// SeedHistoryMozilla.cpp, SeedHistoryExtensions.cpp, SeedHistoryOffice.cpp
// and SeedHistoryPlayers.cpp.
void SeedInternetExplorerTraces();
void SeedWindowsTraces();
void SeedMozillaTraces();
void SeedExtensionTraces();
void SeedOfficeTraces();
void SeedPlayerAndArchiverTraces();
// The startup snapshot, in SeedSnapshot.cpp.
bool SeedStartupSnapshot();

namespace {

const std::string kDemoFolder = "C:\\Program Files\\Orvelin Demo";

void RunValue(const char* root, const char* section, bool active, const std::string& name,
              const std::string& command) {
    const platform::RegistryKey registry =
        platform::RegistryKey::Create(startup::RunKeyPlace(root, std::string(section) + (active ? "" : "-")), KEY_ALL_ACCESS);
    if (registry && !registry.ValueExists(name)) registry.WriteString(name, command);
}

// A value of any type, as installers write them (expandable paths, binary
// settings beside the entries).
void RawRunValue(const char* root, const char* section, const std::string& name, DWORD type, const void* data,
                 DWORD size) {
    platform::KeyHandle key;
    if (platform::reg::CreateKey(RootKeyFromName(root), RunKeyPath(root, section), KEY_SET_VALUE, key) == ERROR_SUCCESS)
        platform::reg::SetValue(key.Get(), name, type, data, size);
}

void WriteText(const std::string& path, const std::string& text) {
    files::CreateFolderPath(files::ExtractFilePath(path));
    if (!files::WriteFileBytes(path, text)) std::fprintf(stderr, "cannot write %s\n", path.c_str());
}

void Shortcut(const std::string& folder, const std::string& name, const std::string& target) {
    files::CreateFolderPath(folder);
    platform::shell::LinkFields fields;
    fields.target = target;
    fields.description = name;
    fields.workingDirectory = files::ExtractFilePath(target);
    platform::shell::WriteLink(folder + "\\" + name + ".lnk", fields);
}

void CopyProgram(const std::string& buildFolder, const std::string& from, const std::string& to) {
    files::CreateFolderPath(kDemoFolder);
    CopyFileA((buildFolder + "\\" + from).c_str(), (kDemoFolder + "\\" + to).c_str(), FALSE);
}

void SeedPrograms(const std::string& buildFolder) {
    CopyProgram(buildFolder, "orvhelper.exe", "Tray Helper.exe");
    CopyProgram(buildFolder, "orvhelper.exe", "Update Checker.exe");
    CopyProgram(buildFolder, "orvhelper_min.exe", "Sync Agent.exe");
}

void SeedRunKeys() {
    const std::string tray = "\"" + kDemoFolder + "\\Tray Helper.exe\" /background";
    RunValue("HKEY_LOCAL_MACHINE", "Run", true, "Tray Helper", tray);
    const std::string mixer = "%SystemRoot%\\system32\\notepad.exe -tray";
    RawRunValue("HKEY_LOCAL_MACHINE", "Run", "Sound Mixer", REG_EXPAND_SZ, mixer.c_str(),
                static_cast<DWORD>(mixer.size() + 1));
    RunValue("HKEY_LOCAL_MACHINE", "Run", true, "Old Scanner", "C:\\Program Files\\Old Scanner\\scan.exe -boot");
    RunValue("HKEY_LOCAL_MACHINE", "Run", false, "Update Checker", "\"" + kDemoFolder + "\\Update Checker.exe\" /check");
    RunValue("HKEY_LOCAL_MACHINE", "RunOnceEx", true, "Setup Cleanup", "C:\\windows\\system32\\cmd.exe /c exit");
    RunValue("HKEY_LOCAL_MACHINE", "RunService", true, "Print Helper", "C:\\windows\\system32\\spoolsv.exe");
    RunValue("HKEY_LOCAL_MACHINE", "RunServiceOnce", true, "Disk Check", "\\??\\C:\\windows\\system32\\autochk.exe *");
    RunValue("HKEY_CURRENT_USER", "Run", true, "Sync Agent", "\"" + kDemoFolder + "\\Sync Agent.exe\" -minimized");
    RunValue("HKEY_CURRENT_USER", "Run", true, "Messenger", "C:\\Users\\Public\\Messenger\\msgr.exe /tray");
    RunValue("HKEY_CURRENT_USER", "Run", false, "Weather Widget", "C:\\Program Files\\Weather\\widget.exe");
    RunValue("HKEY_CURRENT_USER", "RunOnce", true, "Finish Install", "regedit.exe /s C:\\windows\\temp\\finish.reg");
    RunValue("HKEY_CURRENT_USER", "RunOnce", false, "Photo Importer", "C:\\Program Files\\Photo\\import.exe");
    // The same name switched on and off for two different programs: On/Off
    // refuses to switch either over the other and says why.
    RunValue("HKEY_CURRENT_USER", "RunOnce", false, "Finish Install", "C:\\windows\\system32\\winver.exe");
    // A setting that is no program: not listed, and it hides nothing.
    const BYTE settings[] = {0x01, 0x00, 0x02, 0x00};
    RawRunValue("HKEY_CURRENT_USER", "Run", "Sync Agent Settings", REG_BINARY, settings, sizeof(settings));
    RunValue("HKEY_USERS", "Run", true, "Default Keyboard", "%SystemRoot%\\system32\\winemine.exe");
    RunValue("HKEY_USERS", "Run", false, "Old Default Agent", "C:\\Legacy\\agent.exe");
}

void SeedIniFiles() {
    const std::string windows = WindowsDirectory();
    files::WriteIniString(windows + "\\win.ini", "windows", "load", "\"" + kDemoFolder + "\\Update Checker.exe\"");
    files::WriteIniString(windows + "\\win.ini", "windows", "run", "C:\\Legacy\\autorun.exe");
    files::WriteIniString(windows + "\\system.ini", "boot", "shell", "explorer.exe");
    files::WriteIniString(windows + "\\system.ini", "boot", "scrnsave.exe", "C:\\windows\\system32\\scrnsave.scr");
}

// Windows consumes wininit.ini at boot, and Wine does the same at a session
// start, so the demo puts it back each time it starts.
void SeedBootFiles() {
    const std::string path = WindowsDirectory() + "\\wininit.ini";
    if (files::FileExists(path)) return;
    WriteText(path,
              "[rename]\r\n"
              "NUL=C:\\windows\\temp\\old_driver.sys\r\n"
              "C:\\windows\\system32\\demo.dll=C:\\windows\\temp\\demo.new\r\n"
              "[Settings]\r\n"
              "Reboot=1\r\n");
}

void SeedBatchFiles() {
    const std::string windows = WindowsDirectory();
    WriteText(windows + "\\winstart.bat", "@echo off\r\nSET TEMP=C:\\windows\\temp\r\nREM PATH=ignored\r\nrem NET=start\r\n");
    WriteText("C:\\autoexec.bat", "@ECHO OFF\r\nPROMPT=$p$g\r\nSET PATH=C:\\windows;C:\\windows\\command\r\n");
    WriteText("C:\\config.sys", "DEVICE=C:\\windows\\himem.sys\r\nFILES=40\r\nREM BUFFERS=20\r\n");
    WriteText(windows + "\\dosstart.bat", "MODE=co80\r\nlh mscdex.exe\r\n");
    WriteText(windows + "\\system32\\autoexec.nt",
              "@echo off\r\nREM lh skipped\r\nlh %SystemRoot%\\system32\\mscdexnt.exe\r\nlh %SystemRoot%\\system32\\redir\r\n");
    WriteText(windows + "\\system32\\config.nt", "dos=high, umb\r\ndevice=%SystemRoot%\\system32\\himem.sys\r\nfiles=40\r\n");
}

void SeedStartupFolders() {
    const std::string user = SpecialFolderPath(kCsidlStartup);
    const std::string common = SpecialFolderPath(kCsidlCommonStartup);
    Shortcut(user, "Tray Helper", kDemoFolder + "\\Tray Helper.exe");
    Shortcut(user, "Notes", SystemDirectory() + "notepad.exe");
    Shortcut(user, "Broken Tool", "C:\\Program Files\\Broken Tool\\tool.exe");
    WriteText(user + "\\readme.txt", "Not a shortcut.\r\n");
    WriteText(user + "\\desktop.ini", "[.ShellClassInfo]\r\n");
    SetFileAttributesA((user + "\\desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
    Shortcut(common, "Shared Calendar", "C:\\Program Files\\Calendar\\calendar.exe");
    Shortcut(common, "Registry Editor", WindowsDirectory() + "\\regedit.exe");
}

// A registry value, written only when it is not there yet (the key is made
// when missing), so seeding twice changes nothing.
void RegText(HKEY root, const std::string& path, const std::string& name, const std::string& text) {
    platform::KeyHandle key;
    DWORD type = 0, size = 0;
    if (platform::reg::CreateKey(root, path, KEY_QUERY_VALUE | KEY_SET_VALUE, key) == ERROR_SUCCESS &&
        platform::reg::QueryValueInfo(key.Get(), name, type, size) != ERROR_SUCCESS)
        platform::reg::SetString(key.Get(), name, text);
}

// A shared library's use count.
void RegCount(const std::string& path, const std::string& library) {
    platform::KeyHandle key;
    const DWORD count = 1;
    if (platform::reg::CreateKey(HKEY_LOCAL_MACHINE, path, KEY_SET_VALUE, key) == ERROR_SUCCESS)
        platform::reg::SetValue(key.Get(), library, REG_DWORD, &count, sizeof(count));
}

void RegKey(HKEY root, const std::string& path) {
    platform::KeyHandle key;
    platform::reg::CreateKey(root, path, KEY_QUERY_VALUE, key);
}

// What uninstalled programs leave behind in the sections the registry
// scanner walks, and entries of programs that are still there.
void SeedRegistryProblems() {
    const std::string current = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
    const std::string tray = kDemoFolder + "\\Tray Helper.exe";
    RegText(HKEY_LOCAL_MACHINE, current + "App Paths\\oldedit.exe", "", "C:\\Program Files\\Old Editor\\oldedit.exe");
    RegText(HKEY_LOCAL_MACHINE, current + "App Paths\\photoview.exe", "", "\"C:\\Program Files\\PhotoView\\pv.exe\" %1");
    RegText(HKEY_LOCAL_MACHINE, current + "App Paths\\trayhelper.exe", "", tray);

    const std::string toolbar = "CLSID\\{6A1F3C2E-5B7D-4E9A-9C1B-0D2E3F4A5B6C}";
    RegText(HKEY_CLASSES_ROOT, toolbar, "", "Old Toolbar");
    RegText(HKEY_CLASSES_ROOT, toolbar + "\\InprocServer32", "", "C:\\Program Files\\Old Toolbar\\toolbar.dll");
    RegText(HKEY_CLASSES_ROOT, toolbar + "\\DefaultIcon", "", "C:\\Program Files\\Old Toolbar\\toolbar.dll,0");
    const std::string scanner = "CLSID\\{9B8C7D6E-1F2A-4B3C-8D4E-5F6A7B8C9D0E}";
    RegText(HKEY_CLASSES_ROOT, scanner + "\\LocalServer32", "", "C:\\Program Files\\Old Scanner\\scan.exe /automation");
    RegText(HKEY_CLASSES_ROOT, "CLSID\\{2C3D4E5F-6A7B-4C8D-9E0F-1A2B3C4D5E6F}\\LocalServer32", "", tray + " /automation");

    RegText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\Help", "oldedit.hlp", "C:\\Program Files\\Old Editor\\Help");
    RegText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\HTML Help", "photoview.chm", "C:\\Program Files\\PhotoView");

    RegCount(current + "SharedDlls", "C:\\Program Files\\Common Files\\Old Toolbar\\tbcore.dll");
    RegCount(current + "SharedDlls", SystemDirectory() + "shell32.dll");

    RegText(HKEY_LOCAL_MACHINE, current + "Uninstall\\Old Scanner", "DisplayName", "Old Scanner 2.1");
    RegText(HKEY_LOCAL_MACHINE, current + "Uninstall\\Old Scanner", "UninstallString",
            "C:\\Program Files\\Old Scanner\\uninst.exe /remove");
    RegText(HKEY_LOCAL_MACHINE, current + "Uninstall\\Orvelin Demo Helpers", "DisplayName", "Orvelin Demo Helpers");
    RegText(HKEY_LOCAL_MACHINE, current + "Uninstall\\Orvelin Demo Helpers", "UninstallString", "\"" + tray + "\" /uninstall");

    const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
    RegKey(HKEY_CURRENT_USER, explorer + "FileExts\\.oldproj\\OpenWithList");
    RegKey(HKEY_CURRENT_USER, explorer + "FileExts\\.ini\\OpenWithList");
    RegText(HKEY_CURRENT_USER, explorer + "RunMRU", "a", "C:\\Program Files\\Old Scanner\\scan\\1");
    RegText(HKEY_CURRENT_USER, explorer + "RunMRU", "b", "notepad\\1");
    RegText(HKEY_CURRENT_USER, explorer + "RunMRU", "MRUList", "ab");
    RegKey(HKEY_CURRENT_USER, explorer + "MenuOrder\\Start Menu2\\Programs\\Old Scanner");
    RegKey(HKEY_CURRENT_USER, explorer + "MenuOrder\\Start Menu2\\Programs\\Accessories\\Games");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: orvdemo_seed <build folder> [--boot-files | --registry-problems | --history | --browser-addons | --app-lists | --snapshot]\n");
        return 2;
    }
    OleInitialize(nullptr);
    const std::string buildFolder = argv[1];
    const std::string mode = argc < 3 ? "" : argv[2];
    SeedBootFiles();
    if (mode.empty()) {
        SeedPrograms(buildFolder);
        SeedRunKeys();
        SeedIniFiles();
        SeedBatchFiles();
        SeedStartupFolders();
    }
    if (mode.empty() || mode == "--registry-problems") SeedRegistryProblems();
    if (mode.empty() || mode == "--history") {
        SeedInternetExplorerTraces();
        SeedWindowsTraces();
    }
    if (mode.empty() || mode == "--browser-addons") {
        SeedMozillaTraces();
        SeedExtensionTraces();
    }
    if (mode.empty() || mode == "--app-lists") {
        SeedOfficeTraces();
        SeedPlayerAndArchiverTraces();
    }
    // Last, so the snapshot holds every entry seeded above and the comparison
    // shows only the changes made after it.
    bool seeded = true;
    if (mode.empty() || mode == "--snapshot") seeded = SeedStartupSnapshot();
    if (mode != "--boot-files" && seeded) std::printf("demo machine seeded\n");
    OleUninitialize();
    return seeded ? 0 : 1;
}
