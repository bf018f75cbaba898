// The registry scanner's worker and its twelve sections, run on the test
// machine with dead, live and decoy entries seeded in every section.
#include "registry_scan/GuessPathSystem.h"
#include "registry_scan/ScanRules.h"
#include "gui/registry_scan/ScanWorker.h"
#include "RegistrySeeds.h"
#include "TestSupport.h"

#include "platform/Registry.h"
#include "platform/Threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace gui;

using registry_scan::FontFileReference;
using registry_scan::GuessEnvironment;
using registry_scan::HelpFileReference;
using registry_scan::IsWindows9xFamily;
using registry_scan::kRegistrySectionCaptions;
using registry_scan::kRegistrySectionCount;
using registry_scan::RegistryProblem;
using registry_scan::RunHistoryReference;
using registry_scan::SharedFolderPath;
using registry_scan::ssNotScanned;
using registry_scan::ssScanned;
using registry_scan::ssStopped;
using registry_scan::SystemGuessEnvironment;
using registry_scan::ProblemStore;

namespace {

namespace reg = platform::reg;
using testing_support::ScopedFile;
using testing_support::ScopedFolder;

constexpr DWORD kScanWaitMs = 300000;  // the whole machine's classes: slow under a loaded Wine

constexpr char kAppPaths[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr char kHelp[] = "\\SOFTWARE\\Microsoft\\Windows\\Help";
constexpr char kHtmlHelp[] = "\\SOFTWARE\\Microsoft\\Windows\\HTML Help";
constexpr char kFonts[] = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr char kRunMru[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr char kMenu2[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs";
constexpr char kMenu[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs";
constexpr char kSharedDlls[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
constexpr char kShares[] = "\\SYSTEM\\ControlSet001\\Services\\lanmanserver\\Shares";
constexpr char kApproved[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr char kSounds[] = "\\AppEvents\\Schemes\\Apps";
constexpr char kUninstall[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kFileExts[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Multi(std::initializer_list<std::string> lines) {
    std::string data;
    for (const std::string& line : lines) data += line + '\0';
    return data + '\0';
}

using Seeds = testing_support::RegistrySeeds;

// What the progress window would show, and a hook on each problem.
class RecordingView : public IScanView {
public:
    struct Progress {
        int keys;
        std::string key, caption;
    };
    void ShowProgress(int keysExamined, const std::string& keyText, const std::string& sectionCaption) override {
        progress.push_back({keysExamined, keyText, sectionCaption});
    }
    void ShowProblem(const RegistryProblem& problem, int errorsFound) override {
        problems.push_back(problem);
        errorCounts.push_back(errorsFound);
        if (onProblem) onProblem(problem);
    }
    void ScanEnded() override { ++ended; }

    std::vector<Progress> progress;
    std::vector<RegistryProblem> problems;
    std::vector<int> errorCounts;
    int ended = 0;
    std::function<void(const RegistryProblem&)> onProblem;
};

struct ScanResult {
    bool ended = false;
    int keysExamined = 0;
    int problemsFound = 0;
};

// Runs one scan to its end, the test's thread serving the worker's steps.
ScanResult RunScan(ProblemStore& store, RecordingView& view, const ScanSectionFlags& flags,
                   const std::function<void(ScanWorker&)>& prepare = {}) {
    ui::WorkerPtr<ScanWorker> scan(new ScanWorker(nullptr, store, &view, flags));
    if (prepare) prepare(*scan);
    EXPECT_TRUE(scan->Resume());
    ScanResult result;
    result.ended = platform::threads::PumpMessagesUntil([&] { return scan->Ended(); }, kScanWaitMs);
    result.keysExamined = scan->KeysExamined();
    result.problemsFound = scan->ProblemsFound();
    return result;
}

ScanSectionFlags AllSections() {
    ScanSectionFlags flags;
    flags.fill(true);
    return flags;
}

ScanSectionFlags Sections(std::initializer_list<int> sections) {
    ScanSectionFlags flags{};
    for (int section : sections) flags[section] = true;
    return flags;
}

struct ExpectedRecord {
    int section;
    std::string registryPath, fileName, guessPath;
};

// The sections' records that name the test's entries (the machine has
// entries of its own), in the order stored.
std::vector<RegistryProblem> SeededRecords(const ProblemStore& store, int section, const std::string& tag) {
    std::vector<RegistryProblem> found;
    for (int row = 0; row < store.Count(section); ++row) {
        const RegistryProblem problem = *store.Problem(section, row);
        if (problem.registryPath.find(tag) != std::string::npos) found.push_back(problem);
    }
    return found;
}

size_t PositionOf(const std::vector<RegistryProblem>& records, const std::string& registryPath) {
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].registryPath == registryPath) return i;
    return records.size();
}

// A dead, a live and a decoy entry (or more) in every section, and the
// records the scan must make of them.
class RegistryScanSections : public testing::Test {
protected:
    RegistryScanSections()
        : tag_("OrvScan" + std::to_string(GetCurrentProcessId())),
          folder_("registry_scan_sections"),
          dir_(folder_.Path()),
          env_(SystemGuessEnvironment()),
          live_{{dir_ + "\\Live.exe", "x"}, {dir_ + "\\Live.dll", "x"}, {dir_ + "\\" + tag_ + "live.hlp", "x"},
                {dir_ + "\\Live.ttf", "x"}, {dir_ + "\\Live.wav", "x"}} {
        SeedAppPathsAndClasses();
        SeedValueSections();
        SeedKeySections();
    }

    void Expect(int section, const std::string& root, const std::string& key, const std::string& item,
                const std::string& fileName, const std::string& guessPath) {
        expected_.push_back({section, root + key + "|" + item, fileName, guessPath});
    }

    void SeedAppPathsAndClasses() {
        const std::string deadApp = tag_ + " \xC3\x9Cn\xC3\xAF c\xC3\xB8" "d\xC3\xA9 & 100% [a;b].exe";
        seeds_.Text(HKEY_LOCAL_MACHINE, kAppPaths + ("\\" + deadApp), "", dir_ + "\\Gone\\Dead.exe -arg");
        seeds_.Text(HKEY_LOCAL_MACHINE, kAppPaths + ("\\" + tag_ + "live.exe"), "", "\"" + dir_ + "\\Live.exe\" /x");
        seeds_.Number(HKEY_LOCAL_MACHINE, kAppPaths + ("\\" + tag_ + "number.exe"), "", 1);
        Expect(0, "HKEY_LOCAL_MACHINE", kAppPaths, deadApp, dir_ + "\\Gone\\Dead.exe -arg",
               Lower(dir_ + "\\gone\\dead.exe"));

        const std::string dead = "{" + tag_ + "-dead}", live = "{" + tag_ + "-live}";
        const std::string deadClass = "\\CLSID\\" + dead;
        seeds_.Text(HKEY_CLASSES_ROOT, deadClass + "\\InprocServer32", "", dir_ + "\\Gone\\Dead.dll");
        seeds_.Text(HKEY_CLASSES_ROOT, deadClass + "\\LocalServer", "", dir_ + "\\Gone\\Old.exe /automation");
        // Written in lower case: the registry's names match in any case.
        seeds_.Text(HKEY_CLASSES_ROOT, deadClass + "\\localserver32", "", dir_ + "\\Gone\\Dead.exe");
        seeds_.Text(HKEY_CLASSES_ROOT, deadClass + "\\ProgID", "", dir_ + "\\Gone\\NotAServer.dll");
        seeds_.Text(HKEY_CLASSES_ROOT, "\\CLSID\\" + live + "\\InprocServer32", "", dir_ + "\\Live.dll");
        seeds_.Text(HKEY_CLASSES_ROOT, "\\CLSID\\" + live + "\\DefaultIcon", "", dir_ + "\\Live.dll,3");
        // Decoys: a server named by another class, a class name without the
        // brace, a list of lines where a path belongs.
        seeds_.Text(HKEY_CLASSES_ROOT, "\\CLSID\\{" + tag_ + "-alias}\\InprocServer32", "", "{00000000-0000}");
        seeds_.Text(HKEY_CLASSES_ROOT, "\\CLSID\\" + tag_ + "-nobrace\\InprocServer32", "", dir_ + "\\Gone\\x.dll");
        seeds_.Lines(HKEY_CLASSES_ROOT, "\\CLSID\\{" + tag_ + "-lines}\\InprocServer32", "",
                     Multi({dir_ + "\\Gone\\a.dll", dir_ + "\\Gone\\b.dll"}));
        Expect(1, "HKEY_CLASSES_ROOT", "\\CLSID", dead + "\\LocalServer", dir_ + "\\Gone\\Old.exe /automation",
               Lower(dir_ + "\\gone\\old.exe"));
        Expect(1, "HKEY_CLASSES_ROOT", "\\CLSID", dead + "\\LocalServer32", dir_ + "\\Gone\\Dead.exe",
               Lower(dir_ + "\\gone\\dead.exe"));
        Expect(1, "HKEY_CLASSES_ROOT", "\\CLSID", dead + "\\InprocServer32", dir_ + "\\Gone\\Dead.dll",
               Lower(dir_ + "\\gone\\dead.dll"));

        // Approved shell extensions: the dead class above, the live one, one
        // with no class at all (passed over).
        seeds_.Text(HKEY_LOCAL_MACHINE, kApproved, dead, "Dead extension");
        seeds_.Text(HKEY_LOCAL_MACHINE, kApproved, live, "Live extension");
        seeds_.Text(HKEY_LOCAL_MACHINE, kApproved, "{" + tag_ + "-noclass}", "No class");
        Expect(8, "HKEY_LOCAL_MACHINE", kApproved, dead, dir_ + "\\Gone\\Dead.dll", Lower(dir_ + "\\gone\\dead.dll"));
    }

    void SeedValueSections() {
        const std::string deadHelp = tag_ + "dead.hlp", bareHelp = tag_ + "bare.chm";
        seeds_.Text(HKEY_LOCAL_MACHINE, kHelp, deadHelp, dir_);
        seeds_.Text(HKEY_LOCAL_MACHINE, kHelp, tag_ + "live.hlp", dir_ + "\\");
        seeds_.Number(HKEY_LOCAL_MACHINE, kHelp, tag_ + "number.hlp", 7);
        seeds_.Text(HKEY_LOCAL_MACHINE, kHtmlHelp, bareHelp, "");
        Expect(2, "HKEY_LOCAL_MACHINE", kHelp, deadHelp, dir_ + "\\" + deadHelp, Lower(dir_ + "\\" + deadHelp));
        Expect(2, "HKEY_LOCAL_MACHINE", kHtmlHelp, bareHelp, bareHelp, env_.systemFolder + Lower(bareHelp));

        const std::string deadFont = tag_ + " Dead (TrueType)", gone = tag_ + "Gone.TTF";
        seeds_.Text(HKEY_LOCAL_MACHINE, kFonts, deadFont, gone);
        seeds_.Text(HKEY_LOCAL_MACHINE, kFonts, tag_ + " Live (TrueType)", dir_ + "\\Live.ttf");
        seeds_.Text(HKEY_LOCAL_MACHINE, kFonts, tag_ + " Fixed folder (TrueType)", fontFile_.Path().substr(17));
        seeds_.Number(HKEY_LOCAL_MACHINE, kFonts, tag_ + " Number", 2);
        Expect(3, "HKEY_LOCAL_MACHINE", kFonts, deadFont, "C:\\WINDOWS\\FONTS\\" + gone,
               Lower("C:\\WINDOWS\\FONTS\\" + gone));

        const std::string program = tag_ + "a", upper = tag_ + "b";
        seeds_.Text(HKEY_CURRENT_USER, kRunMru, "MRUList", "dcba");
        seeds_.Text(HKEY_CURRENT_USER, kRunMru, program, dir_ + "\\Gone\\tool\\1");
        seeds_.Text(HKEY_CURRENT_USER, kRunMru, upper, dir_ + "\\Gone\\SETUP.EXE\\1");
        seeds_.Text(HKEY_CURRENT_USER, kRunMru, tag_ + "c", dir_ + "\\Live\\1");
        seeds_.Text(HKEY_CURRENT_USER, kRunMru, tag_ + "d", "x");
        seeds_.Number(HKEY_CURRENT_USER, kRunMru, tag_ + "e", 5);
        Expect(4, "HKEY_CURRENT_USER", kRunMru, program, dir_ + "\\Gone\\tool.exe", Lower(dir_ + "\\gone\\tool.exe"));
        Expect(4, "HKEY_CURRENT_USER", kRunMru, upper, dir_ + "\\Gone\\SETUP.EXE.exe",
               Lower(dir_ + "\\gone\\setup.exe"));

        const std::string deadDll = dir_ + "\\Gone\\" + tag_ + ".dll";
        seeds_.Number(HKEY_LOCAL_MACHINE, kSharedDlls, deadDll, 1);
        seeds_.Number(HKEY_LOCAL_MACHINE, kSharedDlls, dir_ + "\\Live.dll", 3);
        Expect(6, "HKEY_LOCAL_MACHINE", kSharedDlls, deadDll, deadDll, Lower(deadDll));

        const std::string deadShare = tag_ + " gone share";
        seeds_.Lines(HKEY_LOCAL_MACHINE, kShares, deadShare,
                     Multi({"CSCFlags=0", "MaxUses=4294967295", "Path=" + dir_ + "\\Gone Share", "Permissions=0",
                            "Remark=", "Type=0"}));
        seeds_.Lines(HKEY_LOCAL_MACHINE, kShares, tag_ + "live", Multi({"Path=" + dir_, "Type=0"}));
        seeds_.Lines(HKEY_LOCAL_MACHINE, kShares, tag_ + "nopath", Multi({"Remark=none", "Type=0"}));
        seeds_.Text(HKEY_LOCAL_MACHINE, kShares, tag_ + "text", "Path=" + dir_ + "\\Gone");
        Expect(7, "HKEY_LOCAL_MACHINE", kShares, deadShare, deadShare, dir_ + "\\Gone Share");
    }

    void SeedKeySections() {
        const std::string goneMenu = tag_ + " Gone App", oldMenu = tag_ + " Old App";
        seeds_.Key(HKEY_CURRENT_USER, kMenu2 + ("\\" + goneMenu));
        seeds_.Key(HKEY_CURRENT_USER, kMenu2 + ("\\" + tag_ + " Folder\\Inner"));
        seeds_.Key(HKEY_CURRENT_USER, kMenu + ("\\" + oldMenu));
        Expect(5, "HKEY_CURRENT_USER", kMenu2, goneMenu, goneMenu, "{null value}");
        Expect(5, "HKEY_CURRENT_USER", kMenu, oldMenu, oldMenu, "{null value}");

        const std::string app = tag_ + "App";
        const std::string ding = app + "\\Ding", live = app + "\\Live";
        seeds_.Text(HKEY_CURRENT_USER, kSounds + ("\\" + ding + "\\.Current"), "", dir_ + "\\Gone.wav");
        seeds_.Text(HKEY_CURRENT_USER, kSounds + ("\\" + ding + "\\.Default"), "", dir_ + "\\Gone.wav");
        seeds_.Text(HKEY_CURRENT_USER, kSounds + ("\\" + ding + "\\.None"), "", dir_ + "\\Gone.wav");
        seeds_.Text(HKEY_CURRENT_USER, kSounds + ("\\" + live + "\\.Current"), "", dir_ + "\\Live.wav");
        Expect(9, "HKEY_CURRENT_USER", kSounds, ding + "\\.Current", dir_ + "\\Gone.wav", Lower(dir_ + "\\gone.wav"));
        Expect(9, "HKEY_CURRENT_USER", kSounds, ding + "\\.Default", dir_ + "\\Gone.wav", Lower(dir_ + "\\gone.wav"));

        const std::string deadEntry = tag_ + "Dead", command = "\"" + dir_ + "\\Gone\\unins000.exe\" /x";
        seeds_.Text(HKEY_LOCAL_MACHINE, kUninstall + ("\\" + deadEntry), "UninstallString", command);
        seeds_.Text(HKEY_LOCAL_MACHINE, kUninstall + ("\\" + tag_ + "Live"), "UninstallString",
                    dir_ + "\\Live.exe /uninstall");
        seeds_.Text(HKEY_LOCAL_MACHINE, kUninstall + ("\\" + tag_ + "Folder"), "UninstallString", dir_);
        seeds_.Number(HKEY_LOCAL_MACHINE, kUninstall + ("\\" + tag_ + "Number"), "UninstallString", 1);
        seeds_.Text(HKEY_LOCAL_MACHINE, kUninstall + ("\\" + tag_ + "None"), "DisplayName", "No command");
        Expect(10, "HKEY_LOCAL_MACHINE", kUninstall, deadEntry + "\\UninstallString", command,
               Lower(dir_ + "\\gone\\unins000.exe"));

        const std::string deadExtension = "." + tag_ + "dead", liveExtension = "." + tag_ + "live";
        seeds_.Key(HKEY_CURRENT_USER, kFileExts + ("\\" + deadExtension + "\\OpenWithList"));
        seeds_.Key(HKEY_CURRENT_USER, kFileExts + ("\\" + liveExtension));
        seeds_.Text(HKEY_CLASSES_ROOT, "\\" + liveExtension, "", "txtfile");
        Expect(11, "HKEY_CURRENT_USER", kFileExts, deadExtension, "", "");
    }

    std::vector<ExpectedRecord> ExpectedIn(int section) const {
        std::vector<ExpectedRecord> found;
        for (const ExpectedRecord& record : expected_)
            if (record.section == section) found.push_back(record);
        return found;
    }

    std::string tag_;
    ScopedFolder folder_;
    std::string dir_;
    GuessEnvironment env_;
    ScopedFile live_[5];
    // A bare font file name is looked for in this fixed folder.
    ScopedFile fontFile_{"C:\\WINDOWS\\FONTS\\" + tag_ + "Live.ttf", "x"};
    Seeds seeds_;
    std::vector<ExpectedRecord> expected_;
};

TEST_F(RegistryScanSections, EverySectionRecordsItsDeadEntriesOnly) {
    ProblemStore store;
    RecordingView view;
    const ScanResult scan = RunScan(store, view, AllSections());
    ASSERT_TRUE(scan.ended);

    for (int section = 0; section < kRegistrySectionCount; ++section) {
        SCOPED_TRACE(kRegistrySectionCaptions[section]);
        EXPECT_EQ(store.State(section), ssScanned);
        std::vector<RegistryProblem> found = SeededRecords(store, section, tag_);
        std::vector<ExpectedRecord> wanted = ExpectedIn(section);
        ASSERT_EQ(found.size(), wanted.size());
        // Order between entries is the registry's; checked below where it is the program's.
        auto byPath = [](const auto& a, const auto& b) { return a.registryPath < b.registryPath; };
        std::sort(found.begin(), found.end(), byPath);
        std::sort(wanted.begin(), wanted.end(), byPath);
        for (size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].registryPath, wanted[i].registryPath);
            EXPECT_EQ(found[i].fileName, wanted[i].fileName) << found[i].registryPath;
            EXPECT_EQ(found[i].guessPath, wanted[i].guessPath) << found[i].registryPath;
            EXPECT_EQ(found[i].fixState, "NoFix");
        }
    }

    // Decoys that carry no tag: the run history's order of entries.
    for (const std::string& path : store.SectionAt(4).registryPaths) EXPECT_EQ(path.find("|MRUList"), std::string::npos);

    // The program's own order: suffixes as tried, schemes, keys of a section.
    const auto classes = SeededRecords(store, 1, tag_);
    const std::string deadClass = "HKEY_CLASSES_ROOT\\CLSID|{" + tag_ + "-dead}";
    EXPECT_LT(PositionOf(classes, deadClass + "\\LocalServer"), PositionOf(classes, deadClass + "\\LocalServer32"));
    EXPECT_LT(PositionOf(classes, deadClass + "\\LocalServer32"), PositionOf(classes, deadClass + "\\InprocServer32"));
    const auto sounds = SeededRecords(store, 9, tag_);
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_NE(sounds[0].registryPath.find(".Current"), std::string::npos);
    for (int section : {2, 5}) {
        const auto records = SeededRecords(store, section, tag_);
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].registryPath, ExpectedIn(section)[0].registryPath);
    }

    // Every record reached the window once, in the order stored, numbered.
    std::vector<std::string> stored;
    for (int section = 0; section < kRegistrySectionCount; ++section)
        for (const std::string& path : store.SectionAt(section).registryPaths) stored.push_back(path);
    ASSERT_EQ(view.problems.size(), stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(view.problems[i].registryPath, stored[i]);
        EXPECT_EQ(view.errorCounts[i], static_cast<int>(i + 1));
    }
    EXPECT_EQ(scan.problemsFound, static_cast<int>(stored.size()));
    EXPECT_EQ(store.Total(), scan.problemsFound);
    EXPECT_EQ(view.ended, 1);

    // The labels: counts never go back, the last one is the run's count, and
    // the caption is the section's.
    ASSERT_FALSE(view.progress.empty());
    for (size_t i = 1; i < view.progress.size(); ++i) EXPECT_GT(view.progress[i].keys, view.progress[i - 1].keys);
    EXPECT_EQ(view.progress.back().keys, scan.keysExamined);
    EXPECT_EQ(view.progress.back().caption, "File Extensions");
    EXPECT_EQ(view.progress.back().key.rfind("HKEY_CURRENT_USER" + std::string(kFileExts) + "\\", 0), 0u);
}

TEST_F(RegistryScanSections, KeysExaminedCountEveryEntryWalked) {
    // Sections whose keys hold nothing of the machine's own, so the count is known.
    auto count = [](HKEY root, const char* path, bool values) {
        platform::KeyHandle key;
        reg::KeyCounts counts;
        if (reg::OpenKey(root, path + 1, KEY_READ, key) != ERROR_SUCCESS || reg::QueryCounts(key.Get(), counts))
            return 0;
        return static_cast<int>(values ? counts.values : counts.subKeys);
    };
    const int expected = count(HKEY_CURRENT_USER, kRunMru, true) - 1  // not "MRUList"
                         + count(HKEY_LOCAL_MACHINE, kSharedDlls, true) + count(HKEY_CURRENT_USER, kFileExts, false);
    ProblemStore store;
    RecordingView view;
    const ScanResult scan = RunScan(store, view, Sections({4, 6, 11}));
    ASSERT_TRUE(scan.ended);
    EXPECT_EQ(scan.keysExamined, expected);
    ASSERT_FALSE(view.progress.empty());
    EXPECT_EQ(view.progress.back().keys, expected);
    // Sections not ticked stay untouched; no problem of theirs is recorded.
    for (int section = 0; section < kRegistrySectionCount; ++section) {
        const bool ticked = section == 4 || section == 6 || section == 11;
        EXPECT_EQ(store.State(section), ticked ? ssScanned : ssNotScanned) << section;
        if (!ticked) {
            EXPECT_EQ(store.Count(section), 0) << section;
        }
    }
    EXPECT_EQ(SeededRecords(store, 4, tag_).size(), 2u);
}

TEST_F(RegistryScanSections, StopInFontsKeepsEarlierRecordsAndSkipsTheRest) {
    ProblemStore store;
    RecordingView view;
    int fontsShown = 0;
    ScanWorker* running = nullptr;
    view.onProblem = [&](const RegistryProblem& problem) {
        if (problem.registryPath.find("\\Fonts|") == std::string::npos) return;
        ++fontsShown;
        running->Terminate();
    };
    const ScanResult scan = RunScan(store, view, AllSections(), [&](ScanWorker& worker) { running = &worker; });
    ASSERT_TRUE(scan.ended);
    EXPECT_EQ(fontsShown, 1);
    for (int section : {0, 1, 2}) {
        EXPECT_EQ(store.State(section), ssScanned) << section;
        EXPECT_EQ(SeededRecords(store, section, tag_).size(), ExpectedIn(section).size()) << section;
    }
    EXPECT_EQ(store.State(3), ssStopped);
    EXPECT_EQ(store.Count(3), 1);  // the one shown when Stop was pressed
    for (int section = 4; section < kRegistrySectionCount; ++section) {
        EXPECT_EQ(store.State(section), ssNotScanned) << section;
        EXPECT_EQ(store.Count(section), 0) << section;
    }
    EXPECT_EQ(view.ended, 1);
    EXPECT_EQ(view.problems.back().registryPath, store.SectionAt(3).registryPaths[0]);
    EXPECT_EQ(store.Total(), 0);  // a stopped scan adds nothing to the total
    for (const RecordingView::Progress& shown : view.progress) EXPECT_NE(shown.caption, "Shared DLLs");
}

TEST(RegistryScanEnd, AScanStoppedBeforeItRanStillClosesItsWindow) {
    ProblemStore store;
    RecordingView view;
    const ScanResult scan = RunScan(store, view, AllSections(), [](ScanWorker& worker) { worker.Terminate(); });
    ASSERT_TRUE(scan.ended);
    EXPECT_EQ(view.ended, 1);
    EXPECT_TRUE(view.progress.empty());
    for (int section = 0; section < kRegistrySectionCount; ++section) EXPECT_EQ(store.State(section), ssNotScanned);
}

TEST(RegistryScanRules, ReferencesFromSectionData) {
    using Rule = std::string (*)(const std::string&);
    struct Case {
        Rule rule;
        std::string data, reference;
    };
    const Case cases[] = {
        // A bare font name lies in the fixed fonts folder.
        {FontFileReference, "ARIAL.TTF", "C:\\WINDOWS\\FONTS\\ARIAL.TTF"},
        {FontFileReference, "D:\\Fonts\\x.ttf", "D:\\Fonts\\x.ttf"},
        {FontFileReference, "Z:x.fon", "Z:x.fon"},
        // Run history: "\1" goes; ".exe" is added unless it is there in lower case.
        {RunHistoryReference, "notepad\\1", "notepad.exe"},
        {RunHistoryReference, "C:\\Tools\\SETUP.EXE\\1", "C:\\Tools\\SETUP.EXE.exe"},
        {RunHistoryReference, "C:\\Tools\\setup.exe\\1", "C:\\Tools\\setup.exe"},
        {RunHistoryReference, "cmd /c a.b\\1", "cmd /c a.b.exe"},
        {RunHistoryReference, "C:\\v1.2\\tool\\1", "C:\\v1.2\\tool.exe"},
        {RunHistoryReference, "ab", ""},
        {RunHistoryReference, "a", ""},
        {RunHistoryReference, "", ""},
        // Share entries: the "Path=" line, in any letter case, and only at a line's start.
        {SharedFolderPath, Multi({"CSCFlags=0", "Path=C:\\Shared", "Type=0"}), "C:\\Shared"},
        {SharedFolderPath, Multi({"path=D:\\x y"}), "D:\\x y"},
        {SharedFolderPath, Multi({"Remark=Path=no", "Type=0"}), ""},
        {SharedFolderPath, std::string("Path=E:\\Unended", 15), "E:\\Unended"},
        {SharedFolderPath, "", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.rule(c.data), c.reference) << c.data;

    struct HelpCase {
        const char *folder, *file, *reference;
    };
    const HelpCase help[] = {{"C:\\Help", "a.hlp", "C:\\Help\\a.hlp"},
                             {"C:\\Help\\", "a.hlp", "C:\\Help\\a.hlp"},
                             {"", "a.chm", "a.chm"}};
    for (const HelpCase& c : help) EXPECT_EQ(HelpFileReference(c.folder, c.file), c.reference);
}

TEST(RegistryScanRules, WindowsFamilyFromTheVersionRecord) {
    struct Case {
        DWORD platform, major, minor;
        bool read, windows9x;
    };
    const Case cases[] = {
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, true, true},    {VER_PLATFORM_WIN32_WINDOWS, 4, 10, true, true},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, true, true},   {VER_PLATFORM_WIN32_WINDOWS, 4, 3, true, false},
        {VER_PLATFORM_WIN32_WINDOWS, 5, 0, true, false},   {VER_PLATFORM_WIN32_NT, 4, 0, true, false},
        {VER_PLATFORM_WIN32_NT, 10, 0, true, false},       {VER_PLATFORM_WIN32_WINDOWS, 4, 10, false, false},
    };
    for (const Case& c : cases) {
        OSVERSIONINFOA version{};
        version.dwPlatformId = c.platform;
        version.dwMajorVersion = c.major;
        version.dwMinorVersion = c.minor;
        EXPECT_EQ(IsWindows9xFamily(version, c.read), c.windows9x) << c.platform << " " << c.major << "." << c.minor;
    }
}

}  // namespace
