// The registry scan of a machine with 30,000 classes and a few thousand
// entries in the other walked sections, timed from the worker's creation to
// its end (with a progress window that shows nothing), against a floor
// measured in the same run: a bare loop over the same keys making the same
// reads and existence tests on one thread, with no steps to a window thread.
// The engine's scan alone (on this thread, into a sink that only counts) is
// shown beside them: what the worker adds over it is the window steps.
// Run it on demand:
//   ORV_WINE_ROOT=$PWD/build/wine-bench cmake/wine-run.sh build/bin/bench_registry_scan.exe [runs]
#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Threads.h"
#include "registry_scan/GuessPathSystem.h"
#include "registry_scan/RegistryScan.h"
#include "gui/registry_scan/ScanWorker.h"
#include "gui/ProgramStart.h"

#include <ole2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace gui;

using registry_scan::CheckFileReference;
using registry_scan::GuessEnvironment;
using registry_scan::RegistryProblem;
using registry_scan::SystemGuessEnvironment;
using registry_scan::ProblemStore;

namespace {

constexpr int kClasses = 30000;
constexpr int kOtherEntries = 1500;  // in each of App Paths, SharedDlls, Uninstall and FileExts
constexpr int kDeadEvery = 20;       // one reference in twenty names a file that is gone
constexpr int kDefaultRuns = 3;
constexpr double kGoal = 1.2;
constexpr DWORD kScanWaitMs = 600000;

constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr char kSharedDlls[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kFileExts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
constexpr const char* kClassIdSuffixes[] = {"InprocHandler", "InprocHandler32", "LocalServer",
                                            "LocalServer32", "DefaultIcon",     "PersistentHandler",
                                            "InprocServer",  "InprocServer32"};

// ---- seeding -----------------------------------------------------------------

void DeleteTree(HKEY root, const std::string& path) {
    platform::KeyHandle key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, key.Put()) == ERROR_SUCCESS) {
        char child[256];
        for (DWORD length = sizeof(child); RegEnumKeyExA(key.Get(), 0, child, &length, nullptr, nullptr, nullptr,
                                                        nullptr) == ERROR_SUCCESS;
             length = sizeof(child))
            DeleteTree(key.Get(), child);
    }
    key.Reset();
    RegDeleteKeyA(root, path.c_str());
}

// Every key and value the benchmark writes; removed when the object goes,
// on every path out of it.
class Seeded {
public:
    Seeded() = default;
    Seeded(const Seeded&) = delete;
    Seeded& operator=(const Seeded&) = delete;
    ~Seeded() {
        for (const auto& [root, path] : keys_) DeleteTree(root, path);
        platform::KeyHandle key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDlls, 0, KEY_SET_VALUE, key.Put()) == ERROR_SUCCESS)
            for (const std::string& name : sharedDlls_) RegDeleteValueA(key.Get(), name.c_str());
    }

    // root\path with the text as its value `name`; the key goes at the end.
    bool Key(HKEY root, const std::string& path, const char* name, const std::string& text) {
        platform::KeyHandle key;
        if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(), nullptr) !=
            ERROR_SUCCESS)
            return false;
        keys_.push_back({root, path});
        return !name || SetText(key.Get(), name, text);
    }
    bool SharedDll(const std::string& path) {
        platform::KeyHandle key;
        const DWORD count = 1;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSharedDlls, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(),
                            nullptr) != ERROR_SUCCESS ||
            RegSetValueExA(key.Get(), path.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                           sizeof(count)) != ERROR_SUCCESS)
            return false;
        sharedDlls_.push_back(path);
        return true;
    }
    size_t Count() const { return keys_.size() + sharedDlls_.size(); }

private:
    static bool SetText(HKEY key, const char* name, const std::string& text) {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
    }
    std::vector<std::pair<HKEY, std::string>> keys_;
    std::vector<std::string> sharedDlls_;
};

// Up to count libraries and programs of the system folder.
std::vector<std::string> SystemFiles(size_t count) {
    const std::string folder = SystemDirectory();
    std::vector<std::string> found;
    for (const char* pattern : {"*.dll", "*.exe"})
        platform::files::FindEntries(folder + pattern, [&](const platform::files::FindEntry& entry) {
            if (found.size() < count && !(entry.attributes & FILE_ATTRIBUTE_DIRECTORY))
                found.push_back(folder + entry.name);
        });
    return found;
}

// A live file in turn, or one that is gone.
std::string Reference(const std::vector<std::string>& files, int i, const char* gone) {
    if (i % kDeadEvery == 0) return "C:\\Gone Bench\\" + std::to_string(i) + gone;
    return files[static_cast<size_t>(i) % files.size()];
}

bool Seed(Seeded& seeded, const std::vector<std::string>& files, const std::string& tag) {
    bool ok = true;
    for (int i = 0; i < kClasses; ++i) {
        const std::string classPath = "CLSID\\{" + tag + "-" + std::to_string(i) + "}";
        ok = seeded.Key(HKEY_CLASSES_ROOT, classPath, "", "Bench class") &&
             seeded.Key(HKEY_CLASSES_ROOT, classPath + "\\InprocServer32", "", Reference(files, i, ".dll")) && ok;
    }
    for (int i = 0; i < kOtherEntries; ++i) {
        const std::string name = tag + "-" + std::to_string(i);
        ok = seeded.Key(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + name + ".exe", "",
                        "\"" + Reference(files, i, ".exe") + "\" /x") && ok;
        ok = seeded.SharedDll(Reference(files, i + 1, ".dll")) && ok;
        ok = seeded.Key(HKEY_LOCAL_MACHINE, std::string(kUninstall) + "\\" + name, "UninstallString",
                        Reference(files, i + 2, "\\unins000.exe") + " /uninstall") && ok;
        const std::string extension = "." + name;
        ok = seeded.Key(HKEY_CURRENT_USER, std::string(kFileExts) + "\\" + extension, nullptr, "") && ok;
        if (i % kDeadEvery != 3) ok = seeded.Key(HKEY_CLASSES_ROOT, extension, "", "benchfile") && ok;
    }
    return ok;
}

// ---- the floor ----------------------------------------------------------------

// The default (or the named) value's text; false for a value of another type.
bool ReadText(HKEY key, const char* name, std::string& text) {
    char data[4096];
    DWORD type = 0, size = sizeof(data) - 1;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    data[size] = '\0';
    text = data;
    return true;
}

template <typename Visit>
void EachSubkey(HKEY key, Visit visit) {
    char name[256];
    for (DWORD index = 0, length = sizeof(name);
         RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++index, length = sizeof(name))
        visit(name);
}

// The five walked sections done by hand: the problems found.
int FloorScan() {
    const GuessEnvironment env = SystemGuessEnvironment();
    int problems = 0;
    auto test = [&](const std::string& reference) { problems += CheckFileReference(reference, env).problem; };
    platform::KeyHandle appPaths, classes, sharedDlls, uninstall, fileExts;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppPaths, 0, KEY_READ, appPaths.Put()) == ERROR_SUCCESS)
        EachSubkey(appPaths.Get(), [&](const char* name) {
            platform::KeyHandle entry;
            std::string text;
            if (RegOpenKeyExA(appPaths.Get(), name, 0, KEY_READ, entry.Put()) == ERROR_SUCCESS &&
                ReadText(entry.Get(), "", text))
                test(text);
        });
    // A class's few subkeys listed, then the server keys among them read:
    // fewer calls than trying every suffix.
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, classes.Put()) == ERROR_SUCCESS)
        EachSubkey(classes.Get(), [&](const char* classId) {
            platform::KeyHandle classKey;
            if (classId[0] != '{' ||
                RegOpenKeyExA(classes.Get(), classId, 0, KEY_READ, classKey.Put()) != ERROR_SUCCESS)
                return;
            std::vector<std::string> present;
            EachSubkey(classKey.Get(), [&](const char* name) { present.emplace_back(name); });
            for (const char* suffix : kClassIdSuffixes) {
                if (std::none_of(present.begin(), present.end(),
                                 [&](const std::string& name) { return _stricmp(name.c_str(), suffix) == 0; }))
                    continue;
                platform::KeyHandle server;
                std::string text;
                if (RegOpenKeyExA(classKey.Get(), suffix, 0, KEY_READ, server.Put()) == ERROR_SUCCESS &&
                    ReadText(server.Get(), "", text) && text[0] != '{')
                    test(text);
            }
        });
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDlls, 0, KEY_READ, sharedDlls.Put()) == ERROR_SUCCESS) {
        char name[1024];
        for (DWORD index = 0, length = sizeof(name);
             RegEnumValueA(sharedDlls.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) ==
             ERROR_SUCCESS;
             ++index, length = sizeof(name))
            test(name);
    }
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstall, 0, KEY_READ, uninstall.Put()) == ERROR_SUCCESS)
        EachSubkey(uninstall.Get(), [&](const char* name) {
            platform::KeyHandle entry;
            std::string text;
            if (RegOpenKeyExA(uninstall.Get(), name, 0, KEY_READ, entry.Put()) == ERROR_SUCCESS &&
                ReadText(entry.Get(), "UninstallString", text))
                test(text);
        });
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kFileExts, 0, KEY_READ, fileExts.Put()) == ERROR_SUCCESS)
        EachSubkey(fileExts.Get(), [&](const char* extension) {
            platform::KeyHandle key;
            problems += RegOpenKeyExA(HKEY_CLASSES_ROOT, extension, 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS;
        });
    return problems;
}

// ---- the program's scan -------------------------------------------------------

class SilentView : public IScanView {
public:
    void ShowProgress(int, const std::string&, const std::string&) override { ++progressSteps; }
    void ShowProblem(const RegistryProblem&, int) override {}
    void ScanEnded() override {}
    int progressSteps = 0;
};

struct ScanFigures {
    bool ended = false;
    int keys = 0, problems = 0, progressSteps = 0;
};

ScanSectionFlags ScannedSections() {
    ScanSectionFlags flags{};
    for (int section : {0, 1, 6, 10, 11}) flags[section] = true;
    return flags;
}

ScanFigures ProgramScan() {
    ProblemStore store;
    SilentView view;
    ui::WorkerPtr<ScanWorker> scan(new ScanWorker(nullptr, store, &view, ScannedSections()));
    ScanFigures figures;
    if (!scan->Resume()) return figures;
    figures.ended = platform::threads::PumpMessagesUntil([&] { return scan->Ended(); }, kScanWaitMs);
    figures.keys = scan->KeysExamined();
    figures.problems = scan->ProblemsFound();
    figures.progressSteps = view.progressSteps;
    return figures;
}

class CountingSink : public registry_scan::IScanSink {
public:
    void Progress(size_t keysExamined, size_t, const std::string&) override { keys = static_cast<int>(keysExamined); }
    void Notice(const std::string&) override {}
    void Add(registry_scan::FoundProblem&& found) override { problems = found.problemsFound; }
    void SectionStarted(int) override {}
    void SectionStopped(int) override {}
    void SectionDone(int) override {}
    void ScanStopped(int) override {}
    void ScanFinished(int) override { ended = true; }
    bool ended = false;
    int keys = 0, problems = 0;
};

ScanFigures EngineScan() {
    CountingSink sink;
    registry_scan::RunScan(ScannedSections(), sink);
    ScanFigures figures;
    figures.ended = sink.ended;
    figures.keys = sink.keys;
    figures.problems = sink.problems;
    return figures;
}

template <typename F>
double Milliseconds(F&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count();
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    InitialiseApplication();
    const std::vector<std::string> files = SystemFiles(400);
    if (files.size() < 50) {
        std::printf("only %zu files in %s\n", files.size(), SystemDirectory().c_str());
        return 1;
    }
    const std::string tag = "OrvBench" + std::to_string(GetCurrentProcessId());
    Seeded seeded;
    const double seeding = Milliseconds([&] {
        if (!Seed(seeded, files, tag)) std::printf("some keys could not be written\n");
    });
    std::printf("seeded %zu keys and values in %.0f ms (%d classes, %d entries in each of four other sections)\n",
                seeded.Count(), seeding, kClasses, kOtherEntries);

    // Warm: the registry's and the file system's caches hold the keys from here on.
    const ScanFigures first = ProgramScan();
    const int floorProblems = FloorScan();
    double scan = 0, floor = 0, engine = 0;
    ScanFigures figures, engineFigures;
    // Taken in turns, so a change of the machine's load weighs on all alike.
    for (int i = 0; i < runs; ++i) {
        scan += Milliseconds([&] { figures = ProgramScan(); }) / runs;
        floor += Milliseconds([&] { (void)FloorScan(); }) / runs;
        engine += Milliseconds([&] { engineFigures = EngineScan(); }) / runs;
    }
    const bool ok = first.ended && figures.ended && figures.keys > 0 && figures.problems == floorProblems &&
                    engineFigures.ended && engineFigures.problems == floorProblems && engineFigures.keys == figures.keys;
    std::printf("sections App Paths, CLSID, Shared DLLs, Uninstall, File Extensions\n");
    std::printf("  keys examined %d, problems %d (floor finds %d), progress steps %d\n", figures.keys,
                figures.problems, floorProblems, figures.progressSteps);
    std::printf("  scan, worker to its end          %9.2f ms\n", scan);
    if (!ok) {
        // A scan that did not end, examined nothing or found other problems measured something else.
        std::printf("  floor                            %9.2f ms   no ratio\n", floor);
        std::printf("the scan did not end, examined nothing or found other problems than the floor\n");
        return 1;
    }
    std::printf("  floor                            %9.2f ms   ratio %.2f\n", floor, scan / floor);
    std::printf("  engine alone, no window steps    %9.2f ms   ratio %.2f\n", engine, engine / floor);
    std::printf("%d runs per figure; goal: within %.1fx the floor\n", runs, kGoal);
    return ok ? 0 : 1;
}
