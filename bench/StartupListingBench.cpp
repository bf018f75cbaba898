// Refreshing the StartUp page's "All" section with 300 run entries, timed as
// the user waits for it (Update: list cleared, sources read, rows and icons
// added, the page's refresh, the list painted), against a floor measured in
// the same run: a bare loop making only the system calls any listing of
// those entries has to make. Two cases: 300 entries naming 300 different
// files, and 300 entries naming one file. Run it on demand:
//   ORV_WINE_ROOT=$PWD/build/wine-bench cmake/wine-run.sh build/bin/bench_startup_listing.exe [refreshes]
#include "common/Common.h"
#include "common/FileVersionInfo.h"
#include "platform/RegistryKey.h"
#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Shell.h"
#include "gui/MainWindow.h"
#include "ui/RowData.h"
#include "gui/ProgramStart.h"
#include "gui/StartUpPage.h"
#include "startup/StartUpFunctions.h"

#include <ole2.h>
#include <psapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

using namespace gui;

using namespace startup;

namespace {

constexpr int kEntries = 300;
constexpr int kSections = 5;  // the entries are spread over the five HKCU run keys
constexpr int kDefaultRefreshes = 10;
constexpr double kGoal = 1.5;

// ---- seeding -----------------------------------------------------------------

// Run values written under HKCU, removed (with any run key the seeding had to
// create) when the object goes, on every path out of the benchmark.
class SeededRunValues {
public:
    explicit SeededRunValues(const std::vector<std::string>& commandLines) {
        for (int section = 0; section < kSections; ++section) {
            const std::string path = RunKeyPath("HKEY_CURRENT_USER", RunKeySources()[section]->runKey);
            platform::KeyHandle probe;
            const bool existed =
                RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, probe.Put()) == ERROR_SUCCESS;
            keys_.push_back({path, existed, {}});
        }
        const std::string prefix = "OrvBench " + std::to_string(GetCurrentProcessId()) + " ";
        for (size_t i = 0; i < commandLines.size(); ++i) {
            Key& key = keys_[i % kSections];
            platform::KeyHandle handle;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, key.path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                handle.Put(), nullptr) != ERROR_SUCCESS)
                continue;
            const std::string name = prefix + std::to_string(i);
            const std::string& data = commandLines[i];
            if (RegSetValueExA(handle.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                               static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS)
                key.names.push_back(name);
        }
    }
    ~SeededRunValues() {
        for (const Key& key : keys_) {
            {
                platform::KeyHandle handle;
                if (RegOpenKeyExA(HKEY_CURRENT_USER, key.path.c_str(), 0, KEY_SET_VALUE, handle.Put()) ==
                    ERROR_SUCCESS)
                    for (const std::string& name : key.names) RegDeleteValueA(handle.Get(), name.c_str());
            }
            // Only an empty key the seeding made goes; a key with values of its own stays.
            if (!key.existed) RegDeleteKeyA(HKEY_CURRENT_USER, key.path.c_str());
        }
    }
    SeededRunValues(const SeededRunValues&) = delete;
    SeededRunValues& operator=(const SeededRunValues&) = delete;

    size_t Count() const {
        size_t count = 0;
        for (const Key& key : keys_) count += key.names.size();
        return count;
    }

private:
    struct Key {
        std::string path;
        bool existed;
        std::vector<std::string> names;
    };
    std::vector<Key> keys_;
};

// Up to count programs and libraries of the system folder that exist as files.
std::vector<std::string> SystemFiles(size_t count) {
    const std::string folder = SystemDirectory();
    std::vector<std::string> found;
    for (const char* pattern : {"*.exe", "*.dll"}) {
        platform::files::FindEntries(folder + pattern, [&](const platform::files::FindEntry& entry) {
            const std::string path = folder + entry.name;
            if (found.size() < count && platform::files::FileExists(path)) found.push_back(path);
        });
    }
    return found;
}

// Command lines as installers write them: the file quoted, then switches.
std::vector<std::string> CommandLinesFor(const std::vector<std::string>& files) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < files.size(); ++i) lines.push_back("\"" + files[i] + "\" /bench " + std::to_string(i));
    return lines;
}

// ---- timing ------------------------------------------------------------------

template <typename F>
double MillisecondsPerRun(int runs, F&& work) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i) work();
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / runs;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// ---- the floor ----------------------------------------------------------------

// The file a command line names, by the plainest rule that fits the seeded
// lines: a quoted path, or the text before the first switch.
std::string PlainPath(const std::string& commandLine) {
    if (!commandLine.empty() && commandLine[0] == '"') {
        const size_t closing = commandLine.find('"', 1);
        return closing == std::string::npos ? std::string() : commandLine.substr(1, closing - 1);
    }
    return commandLine.substr(0, commandLine.find(" /"));
}

// Open, enumerate and read every value of the fifteen run keys the "All"
// section lists; the texts go to values. sizeFirst adds a size query before
// each read.
void FloorReadRunKeys(std::vector<std::string>& values, bool sizeFirst = false) {
    const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS};
    for (HKEY root : roots) {
        for (const StartupSource* source : RunKeySources()) {
            const std::string section = source->runKey;
            const std::string path =
                (root == HKEY_USERS ? std::string(".Default\\") : std::string()) + kRunKeyBase + section;
            platform::KeyHandle key;
            if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) continue;
            for (DWORD index = 0;; ++index) {
                char name[16384];
                DWORD nameLength = sizeof(name);
                if (RegEnumValueA(key.Get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
                    ERROR_SUCCESS)
                    break;
                char data[4096];
                DWORD type = 0, size = sizeof(data) - 1;
                if (sizeFirst) {
                    DWORD needed = 0;
                    RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &needed);
                }
                if (RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) ==
                        ERROR_SUCCESS &&
                    (type == REG_SZ || type == REG_EXPAND_SZ)) {
                    data[size] = '\0';
                    values.emplace_back(data);
                }
            }
        }
    }
}

// One process snapshot with each process's main module, as the Active column needs.
size_t FloorProcessSnapshot() {
    platform::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    size_t named = 0;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry)) {
        platform::KernelHandle process(
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID));
        if (!process) continue;
        HMODULE module = nullptr;
        DWORD needed = 0;
        char path[MAX_PATH + 1];
        if (EnumProcessModules(process.Get(), &module, sizeof(module), &needed) &&
            GetModuleFileNameExA(process.Get(), module, path, sizeof(path)) > 0)
            ++named;
    }
    return named;
}

// The other sources of "All": three ini values and the two Startup folders.
void FloorOtherSources(const std::string& windows) {
    char text[1024];
    const std::string winIni = windows + "\\win.ini", systemIni = windows + "\\system.ini";
    GetPrivateProfileStringA("windows", "load", "", text, sizeof(text), winIni.c_str());
    GetPrivateProfileStringA("windows", "run", "", text, sizeof(text), winIni.c_str());
    GetPrivateProfileStringA("boot", "shell", "", text, sizeof(text), systemIni.c_str());
    for (int csidl : {CSIDL_STARTUP, CSIDL_COMMON_STARTUP}) {
        char folder[MAX_PATH] = {};
        if (!SHGetSpecialFolderPathA(nullptr, folder, csidl, FALSE)) continue;
        WIN32_FIND_DATAA data{};
        platform::FindHandle find(FindFirstFileA((std::string(folder) + "\\*.*").c_str(), &data));
        if (find)
            while (FindNextFileA(find.Get(), &data)) {
            }
    }
}

void FloorVersionRead(const std::string& file) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    if (size == 0) return;
    std::vector<BYTE> block(size);
    GetFileVersionInfoA(file.c_str(), 0, size, block.data());
}

// One bare listing: every source read once, then per distinct file one
// existence test and one icon (and, with versions, one version read).
void FloorListing(bool withVersions, const std::string& windows) {
    FloorProcessSnapshot();
    std::vector<std::string> values;
    FloorReadRunKeys(values);
    FloorOtherSources(windows);
    std::set<std::string> files;
    for (const std::string& value : values) files.insert(PlainPath(value));
    for (const std::string& file : files) {
        if (!platform::files::FileExists(file)) continue;
        platform::IconHandle icon(ExtractIconA(GetModuleHandleA(nullptr), file.c_str(), 0));
        if (withVersions) FloorVersionRead(file);
    }
}

// ---- the program's refresh ----------------------------------------------------

size_t ListedIcons(const StartUpPageWindow& page) {
    HIMAGELIST icons = ListView_GetImageList(page.lvSuValues.Handle(), LVSIL_SMALL);
    return icons ? static_cast<size_t>(ImageList_GetImageCount(icons)) : 0;
}

// What the user waits for after Update: the refresh and the list painted.
void RefreshAll(MainWindow& window) {
    window.StartUpPage().aSuUpdateExecute();
    UpdateWindow(window.StartUpPage().lvSuValues.Handle());
}

// The same with the list's drawing held off while the page empties and fills
// it, then one repaint: what the page would cost filling the list that way.
void RefreshAllDrawingHeld(MainWindow& window) {
    const HWND list = window.StartUpPage().lvSuValues.Handle();
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    window.StartUpPage().aSuUpdateExecute();
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
}

struct Part {
    const char* what;
    double ms;
};

// Empties the page's list and fills it with the listing's rows through the
// wrappers the page uses, with or without the sub-texts and icons (one per
// distinct file), the list drawing each change or held off until the end.
void FillList(MainWindow& window, const StartupListing& listing, bool texts, bool icons, bool drawingHeld) {
    ui::ListView list = window.StartUpPage().lvSuValues;  // a thin handle wrapper
    HIMAGELIST images = ListView_GetImageList(list.Handle(), LVSIL_SMALL);
    if (drawingHeld) SendMessageA(list.Handle(), WM_SETREDRAW, FALSE, 0);
    std::optional<ui::ListRebuild> rebuild(std::in_place, list.Handle());
    list.Clear();
    if (icons) ImageList_RemoveAll(images);
    std::map<std::string, int> iconIndex;
    for (size_t i = 0; i < listing.rows.size(); ++i) {
        const StartupRow& row = listing.rows[i];
        int image = -1;
        if (icons) {
            auto found = iconIndex.find(row.iconFile);
            if (found == iconIndex.end()) {
                platform::IconHandle icon = platform::shell::ExtractFirstIcon(row.iconFile);
                found = iconIndex.emplace(row.iconFile, icon ? ImageList_AddIcon(images, icon.Get()) : -1).first;
            }
            image = found->second;
        }
        const int index = list.AddItem(row.caption, image, ui::MakeRowData(static_cast<int>(i), row.subItems.size()));
        for (size_t k = 0; texts && k < row.subItems.size(); ++k)
            list.SetText(index, static_cast<int>(k + 1), row.subItems[k]);
    }
    rebuild.reset();
    if (drawingHeld) {
        SendMessageA(list.Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list.Handle(), nullptr, TRUE);
    }
    UpdateWindow(list.Handle());
}

// The sources' part: ListSection and the calls it makes, beside the floor's.
void SourceParts(FileVersionInfo& info, const StartupListing& listing, int runs, std::vector<Part>& parts) {
    const PathEnvironment folders = SystemPathEnvironment();
    std::vector<std::string> locations;
    for (const StartupRow& row : listing.rows)
        if (!row.subItems.empty()) locations.push_back(row.subItems[0]);
    auto add = [&](const char* what, const std::function<void()>& work) {
        parts.push_back({what, MillisecondsPerRun(runs, work)});
    };
    add("ListSection(All), whole", [&] {
        StartupListing fresh;
        ListSection(kSuAll, fresh, info);
    });
    add("  RunningProcessPaths (once)", [] { (void)RunningProcessPaths(); });
    add("  process snapshot, bare (floor)", [] { (void)FloorProcessSnapshot(); });
    add("  Pars per row, folders read each time", [&] {
        for (const std::string& location : locations) (void)info.Pars(location);
    });
    add("  Pars per row, folders read once", [&] {
        (void)SystemPathEnvironment();
        for (const std::string& location : locations) (void)info.Pars(location, folders);
    });
    add("  exists test per row", [&] {
        for (const StartupRow& row : listing.rows) (void)platform::files::FileExists(row.iconFile);
    });
    add("  run keys as the listing reads them", [] {
        for (const char* root : kRunRoots)
            for (const StartupSource* source : RunKeySources()) {
                const platform::RegistryKey registry = OpenRunKeyToRead(root, source->runKey);
                if (!registry) continue;
                std::string text;
                for (const std::string& name : registry.ValueNames()) (void)registry.ReadText(name, text);
            }
    });
    std::vector<std::string> values;
    add("  run keys, bare (floor)", [&] { FloorReadRunKeys(values); });
    add("  run keys, bare + a size query per value", [&] { FloorReadRunKeys(values, true); });
}

// The window's part: icons, the list, its painting and the page's refresh.
void WindowParts(MainWindow& window, const StartupListing& listing, int runs, std::vector<Part>& parts) {
    const HWND list = window.StartUpPage().lvSuValues.Handle();
    std::set<std::string> iconFiles;
    for (const StartupRow& row : listing.rows)
        if (!row.iconFile.empty()) iconFiles.insert(row.iconFile);
    auto add = [&](const char* what, const std::function<void()>& work) {
        parts.push_back({what, MillisecondsPerRun(runs, work)});
    };
    add("icons, one per distinct file", [&] {
        for (const std::string& file : iconFiles) (void)platform::shell::ExtractFirstIcon(file);
    });
    add("list: clear + rows + 4 sub-texts, drawing each", [&] { FillList(window, listing, true, false, false); });
    add("list: the same, drawing held off", [&] { FillList(window, listing, true, false, true); });
    add("list: rows without sub-texts, held off", [&] { FillList(window, listing, false, false, true); });
    add("list: as the page fills it (icons too), held off", [&] { FillList(window, listing, true, true, true); });
    double clearing = 0;
    for (int i = 0; i < runs; ++i) {
        FillList(window, listing, true, false, true);
        const ui::ListRebuild rebuild(window.StartUpPage().lvSuValues.Handle());
        clearing += MillisecondsPerRun(1, [&] { window.StartUpPage().lvSuValues.Clear(); });
    }
    parts.push_back({"list: clear alone", clearing / runs});
    add("painting the list", [&] {
        InvalidateRect(list, nullptr, TRUE);
        UpdateWindow(list);
    });
    add("frame RefreshView (the page's branch)", [&] { window.RefreshView(); });
    add("  UpdateSectionFlags", [] { (void)UpdateSectionFlags(); });
    // Once the user has sorted, every Update sorts the new rows again.
    window.SortListByColumn(list, 0);
    add("refresh after a column sort, held off", [&] { RefreshAllDrawingHeld(window); });
}

// Where a refresh's time goes, part by part, through the same calls the page makes.
std::vector<Part> Breakdown(MainWindow& window, int runs) {
    StartupListing listing;
    ListSection(kSuAll, listing, window.VersionInfo());
    std::vector<Part> parts;
    SourceParts(window.VersionInfo(), listing, runs, parts);
    WindowParts(window, listing, runs, parts);
    return parts;
}

struct Outcome {
    bool ok = false;
    double ratio = 0;
};

Outcome RunScenario(const char* title, const std::vector<std::string>& commandLines, size_t distinctFiles, int runs,
                    const std::string& windows) {
    SeededRunValues seeded(commandLines);
    std::printf("%s\n", title);
    if (seeded.Count() != commandLines.size()) {
        std::printf("  could write only %zu of %zu run values; skipped\n", seeded.Count(), commandLines.size());
        return {};
    }
    MainWindow window;
    ShowWindow(window.Handle(), SW_SHOW);
    window.FormActivate(false);
    PumpMessages();
    StartUpPageWindow& page = window.StartUpPage();
    page.SelectSuSection(kSuAll);
    PumpMessages();

    // Warm: the files' pages and the icon sources are cached from here on.
    RefreshAll(window);
    FloorListing(true, windows);
    const size_t rows = static_cast<size_t>(page.lvSuValues.Count());
    const size_t icons = ListedIcons(page);
    // Taken in turns, so a change of the machine's load weighs on all four alike.
    double refresh = 0, refreshHeld = 0, floor = 0, floorNoVersions = 0;
    for (int i = 0; i < runs; ++i) {
        refresh += MillisecondsPerRun(1, [&] { RefreshAll(window); }) / runs;
        refreshHeld += MillisecondsPerRun(1, [&] { RefreshAllDrawingHeld(window); }) / runs;
        PumpMessages();
        floor += MillisecondsPerRun(1, [&] { FloorListing(true, windows); }) / runs;
        floorNoVersions += MillisecondsPerRun(1, [&] { FloorListing(false, windows); }) / runs;
    }

    const bool seen = rows >= seeded.Count() && icons > 0;
    std::printf("  rows %zu (seeded %zu, distinct seeded files %zu), icons in the list %zu\n", rows, seeded.Count(),
                distinctFiles, icons);
    std::printf("  refresh of All, as the page does it            %9.2f ms\n", refresh);
    std::printf("  refresh of All, list drawing held off meanwhile %8.2f ms\n", refreshHeld);
    if (!seen) {
        // A refresh that listed nothing measured nothing: no ratio to give.
        std::printf("  floor                   %9.2f ms   no ratio: the list does not show the seeded rows with icons\n",
                    floor);
        return {};
    }
    const double ratio = refresh / floor;
    std::printf("  floor                   %9.2f ms   ratios %.2f / %.2f\n", floor, ratio, refreshHeld / floor);
    std::printf("  floor, no version reads %9.2f ms   ratios %.2f / %.2f (the listing reads no versions)\n",
                floorNoVersions, refresh / floorNoVersions, refreshHeld / floorNoVersions);
    if (ratio > kGoal) {
        std::printf("  above %.1fx the floor; where the time goes:\n", kGoal);
        for (const Part& part : Breakdown(window, runs)) std::printf("    %-46s %9.2f ms\n", part.what, part.ms);
    }
    return {seen, ratio};
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRefreshes;
    InitialiseApplication();
    const HRESULT ole = OleInitialize(nullptr);
    const std::string windows = WindowsDirectory();
    int failures = 0;

    const std::vector<std::string> files = SystemFiles(kEntries);
    if (files.size() < static_cast<size_t>(kEntries)) {
        std::printf("only %zu files in %s; need %d\n", files.size(), SystemDirectory().c_str(), kEntries);
        ++failures;
    } else {
        const Outcome outcome =
            RunScenario("(a) 300 entries naming 300 different files", CommandLinesFor(files), files.size(), runs, windows);
        failures += !outcome.ok;
    }

    const std::vector<std::string> oneFile(kEntries, SystemDirectory() + "notepad.exe");
    const Outcome outcome = RunScenario("(b) 300 entries naming one file", CommandLinesFor(oneFile), 1, runs, windows);
    failures += !outcome.ok;

    std::printf("%d refreshes per figure; goal: within %.1fx the floor\n", runs, kGoal);
    if (SUCCEEDED(ole)) OleUninitialize();
    return failures ? 1 : 0;
}
