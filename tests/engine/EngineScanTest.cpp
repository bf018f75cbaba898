// The registry scan without a window: a seeded machine scanned into a sink
// that keeps what it is told (the records, the keys examined as the progress
// window counts them, the section and scan ends), an entry that cannot be
// read, and a stop honoured in the middle of a section.
#include "registry_scan/RegistryScan.h"
#include "registry_scan/GuessPathSystem.h"
#include "EngineTestSupport.h"
#include "RestrictedRegKey.h"
#include "RegistrySeeds.h"

#include "common/StopToken.h"
#include "platform/Handles.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

using registry_scan::IScanSink;
using registry_scan::kRegistrySectionCount;
using registry_scan::RegistryProblem;
using registry_scan::RunScan;
using registry_scan::ScanSection;
using registry_scan::ScanTally;
using registry_scan::SectionFlags;
using registry_scan::ssNotScanned;
using registry_scan::ssScanned;
using registry_scan::ssStopped;
using registry_scan::StoreSink;
using registry_scan::ProblemStore;

namespace {

namespace reg = platform::reg;
using testing_support::RegistrySeeds;
using testing_support::ScopedFile;
using testing_support::ScopedFolder;

constexpr char kAppPaths[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr char kRunMru[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr char kSharedDlls[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
constexpr char kUninstall[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kShares[] = "\\SYSTEM\\ControlSet001\\Services\\lanmanserver\\Shares";
constexpr char kFileExts[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
constexpr char kMachine[] = "HKEY_LOCAL_MACHINE";
constexpr char kUser[] = "HKEY_CURRENT_USER";
constexpr int kAppPathsSection = 0, kRunMruSection = 4, kSharedDllsSection = 6, kSharesSection = 7,
              kUninstallSection = 10, kFileExtsSection = 11;

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

SectionFlags Sections(std::initializer_list<int> sections) {
    SectionFlags flags{};
    for (int section : sections) flags[section] = true;
    return flags;
}

// The names below root\path (a leading "\") in the order the registry lists them.
std::vector<std::string> Listed(HKEY root, const char* path, bool values) {
    std::vector<std::string> names;
    platform::KeyHandle key;
    if (reg::OpenKey(root, path + 1, KEY_READ, key) != ERROR_SUCCESS) return names;
    std::string name;
    for (DWORD index = 0; (values ? reg::EnumValueName(key.Get(), index, name)
                                  : reg::EnumKeyName(key.Get(), index, name)) == ERROR_SUCCESS;
         ++index)
        names.push_back(name);
    return names;
}

// One thing a scan told its sink.
struct Event {
    enum Kind { kKey, kProblem, kSectionStopped, kSectionDone, kScanStopped, kScanFinished };
    Event(Kind kind, int section, std::string text = {}, int count = 0, RegistryProblem problem = {})
        : kind(kind), section(section), text(std::move(text)), count(count), problem(std::move(problem)) {}

    Kind kind;
    int section;
    std::string text;  // the key examined, or the problem's registry path
    int count;         // keys examined or problems found so far (a finished scan: its problems)
    RegistryProblem problem;
};

// Keeps every event in order, and the records in a store as the Registry
// page keeps them; the hook sees each event as it comes.
class CollectingSink : public IScanSink {
public:
    void SectionStarted(int section) override { section_ = section; }
    void Progress(size_t keysExamined, size_t total, const std::string& keyText) override {
        if (keysExamined == total) return;  // the finished scan's last report repeats its last key
        Keep({Event::kKey, section_, keyText, static_cast<int>(keysExamined)});
    }
    void Notice(const std::string&) override {}
    void Add(registry_scan::FoundProblem&& found) override {
        storeSink_.Record(found);
        Keep({Event::kProblem, found.section, found.problem.registryPath, found.problemsFound, found.problem});
    }
    void SectionStopped(int section) override {
        storeSink_.SectionStopped(section);
        Keep({Event::kSectionStopped, section});
    }
    void SectionDone(int section) override {
        storeSink_.SectionDone(section);
        Keep({Event::kSectionDone, section});
    }
    void ScanStopped(int lastSection) override {
        storeSink_.ScanStopped(lastSection);
        Keep({Event::kScanStopped, lastSection});
    }
    void ScanFinished(int problemsFound) override {
        storeSink_.ScanFinished(problemsFound);
        Keep({Event::kScanFinished, -1, "", problemsFound});
    }

    std::vector<Event> Of(Event::Kind kind, int section) const {
        std::vector<Event> found;
        for (const Event& event : events)
            if (event.kind == kind && event.section == section) found.push_back(event);
        return found;
    }
    std::vector<std::string> KeysIn(int section) const {
        std::vector<std::string> keys;
        for (const Event& event : Of(Event::kKey, section)) keys.push_back(event.text);
        return keys;
    }
    // The records of the section that name the test's entries, as problems.
    std::vector<RegistryProblem> RecordsIn(int section, const std::string& tag) const {
        std::vector<RegistryProblem> found;
        for (const Event& event : Of(Event::kProblem, section))
            if (event.text.find(tag) != std::string::npos) found.push_back(event.problem);
        return found;
    }

    std::vector<Event> events;
    ProblemStore store;
    std::function<void(const Event&)> onEvent;

private:
    void Keep(Event event) {
        events.push_back(std::move(event));
        if (onEvent) onEvent(events.back());
    }
    StoreSink storeSink_{store};
    int section_ = -1;
};

// A key nobody may open while this lives (an empty access list); its old
// access list comes back after, so the seeding can remove it.
class EngineScan : public testing::Test {
protected:
    EngineScan()
        : tag_("OrvEngineScan" + std::to_string(GetCurrentProcessId())),
          folder_("engine_scan"),
          dir_(folder_.Path()),
          liveExe_(dir_ + "\\Live.exe", "x"),
          liveDll_(dir_ + "\\Live.dll", "x") {}

    std::string Entry(const char* key, const std::string& name) const { return std::string(key) + "\\" + name; }

    std::string tag_;
    ScopedFolder folder_;
    std::string dir_;
    ScopedFile liveExe_, liveDll_;
    RegistrySeeds seeds_;
};

TEST_F(EngineScan, ASeededMachineGivesItsDeadEntriesAndEveryKeyInSectionOrder) {
    const std::string deadApp = tag_ + "-dead.exe", deadDll = dir_ + "\\Gone\\" + tag_ + ".dll";
    seeds_.Text(HKEY_LOCAL_MACHINE, Entry(kAppPaths, deadApp), "", dir_ + "\\Gone\\Dead.exe -arg");
    seeds_.Text(HKEY_LOCAL_MACHINE, Entry(kAppPaths, tag_ + "-live.exe"), "", "\"" + dir_ + "\\Live.exe\" /x");
    seeds_.Text(HKEY_CURRENT_USER, kRunMru, tag_ + "a", dir_ + "\\Gone\\tool\\1");
    seeds_.Text(HKEY_CURRENT_USER, kRunMru, tag_ + "b", dir_ + "\\Live\\1");
    seeds_.Number(HKEY_LOCAL_MACHINE, kSharedDlls, deadDll, 1);
    seeds_.Number(HKEY_LOCAL_MACHINE, kSharedDlls, dir_ + "\\Live.dll", 2);
    const std::string command = "\"" + dir_ + "\\Gone\\unins000.exe\" /x";
    seeds_.Text(HKEY_LOCAL_MACHINE, Entry(kUninstall, tag_ + "-dead"), "UninstallString", command);
    seeds_.Text(HKEY_LOCAL_MACHINE, Entry(kUninstall, tag_ + "-live"), "UninstallString", dir_ + "\\Live.exe /u");
    seeds_.Key(HKEY_CURRENT_USER, Entry(kFileExts, "." + tag_ + "dead"));
    seeds_.Key(HKEY_CURRENT_USER, Entry(kFileExts, "." + tag_ + "live"));
    seeds_.Text(HKEY_CLASSES_ROOT, "\\." + tag_ + "live", "", "txtfile");

    struct Expected {
        int section;
        std::string registryPath, fileName, guessPath;
    };
    const Expected expected[] = {
        {kAppPathsSection, kMachine + std::string(kAppPaths) + "|" + deadApp, dir_ + "\\Gone\\Dead.exe -arg",
         Lower(dir_ + "\\gone\\dead.exe")},
        {kRunMruSection, kUser + std::string(kRunMru) + "|" + tag_ + "a", dir_ + "\\Gone\\tool.exe",
         Lower(dir_ + "\\gone\\tool.exe")},
        {kSharedDllsSection, kMachine + std::string(kSharedDlls) + "|" + deadDll, deadDll, Lower(deadDll)},
        {kUninstallSection, kMachine + std::string(kUninstall) + "|" + tag_ + "-dead\\UninstallString", command,
         Lower(dir_ + "\\gone\\unins000.exe")},
        {kFileExtsSection, kUser + std::string(kFileExts) + "|." + tag_ + "dead", "", ""},
    };
    const int ticked[] = {kAppPathsSection, kRunMruSection, kSharedDllsSection, kUninstallSection, kFileExtsSection};

    CollectingSink sink;
    RunScan(Sections({kAppPathsSection, kRunMruSection, kSharedDllsSection, kUninstallSection, kFileExtsSection}),
            sink);

    // The dead entries only, each once, in its section, as the fix needs them.
    for (const Expected& record : expected) {
        SCOPED_TRACE(record.registryPath);
        const std::vector<RegistryProblem> found = sink.RecordsIn(record.section, tag_);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].registryPath, record.registryPath);
        EXPECT_EQ(found[0].fileName, record.fileName);
        EXPECT_EQ(found[0].guessPath, record.guessPath);
    }

    // Every entry of a section is examined once, under its full key as the
    // progress window shows it; RunMRU's order of entries is no entry.
    std::vector<std::string> runMru = Listed(HKEY_CURRENT_USER, kRunMru, true);
    runMru.erase(std::remove_if(runMru.begin(), runMru.end(),
                                [](const std::string& name) { return Lower(name) == "mrulist"; }),
                 runMru.end());
    struct Walked {
        int section;
        std::string prefix;
        std::vector<std::string> names;
    };
    const Walked walked[] = {
        {kAppPathsSection, kMachine + Entry(kAppPaths, ""), Listed(HKEY_LOCAL_MACHINE, kAppPaths, false)},
        {kRunMruSection, kUser + Entry(kRunMru, ""), runMru},
        {kSharedDllsSection, kMachine + Entry(kSharedDlls, ""), Listed(HKEY_LOCAL_MACHINE, kSharedDlls, true)},
        {kUninstallSection, kMachine + Entry(kUninstall, ""), Listed(HKEY_LOCAL_MACHINE, kUninstall, false)},
        {kFileExtsSection, kUser + Entry(kFileExts, ""), Listed(HKEY_CURRENT_USER, kFileExts, false)},
    };
    for (const Walked& section : walked) {
        SCOPED_TRACE(section.prefix);
        std::vector<std::string> wanted;
        for (const std::string& name : section.names) wanted.push_back(section.prefix + name);
        EXPECT_EQ(sink.KeysIn(section.section), wanted);
    }

    // Keys and problems numbered without a gap; each section's events come
    // before its end, the sections in order, and the scan's end last.
    int keys = 0, problems = 0;
    size_t next = 0;
    for (const Event& event : sink.events) {
        if (event.kind == Event::kKey) {
            EXPECT_EQ(event.count, ++keys) << event.text;
        } else if (event.kind == Event::kProblem) {
            EXPECT_EQ(event.count, ++problems) << event.text;
        } else if (event.kind == Event::kSectionStopped || event.kind == Event::kScanStopped) {
            ADD_FAILURE() << "a stop in a scan nobody stopped";
        }
        if (event.kind == Event::kKey || event.kind == Event::kProblem || event.kind == Event::kSectionDone) {
            ASSERT_LT(next, std::size(ticked));
            EXPECT_EQ(event.section, ticked[next]) << event.text;
        }
        if (event.kind == Event::kSectionDone) ++next;
    }
    EXPECT_EQ(next, std::size(ticked));
    ASSERT_FALSE(sink.events.empty());
    EXPECT_EQ(sink.events.back().kind, Event::kScanFinished);
    EXPECT_EQ(sink.events.back().count, problems);

    // The store as the page would show it: ticked sections scanned, their
    // records in it, the run's count added to the total.
    for (int section = 0; section < kRegistrySectionCount; ++section) {
        const bool isTicked = std::find(std::begin(ticked), std::end(ticked), section) != std::end(ticked);
        EXPECT_EQ(sink.store.State(section), isTicked ? ssScanned : ssNotScanned) << section;
        EXPECT_EQ(sink.store.Count(section), static_cast<int>(sink.Of(Event::kProblem, section).size())) << section;
    }
    EXPECT_EQ(sink.store.Total(), problems);
}

// A drive letter this machine does not have, as "X:"; empty when every letter is taken.
std::string AbsentDrive() {
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Y'; letter >= 'D'; --letter)
        if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
    return {};
}

TEST_F(EngineScan, PathsOnTheNetworkOnAbsentDrivesOrWithUnknownVariablesAreNeverMissing) {
    const std::string absent = AbsentDrive();
    ASSERT_FALSE(absent.empty());
    struct Case {
        std::string name, path;
        bool reported;
    };
    const Case cases[] = {
        {"-server", "\\\\OrvNoServer\\share\\Gone.exe", false},
        {"-quoted", "\"\\\\OrvNoServer\\share\\Gone Tool.exe\" /x", false},
        {"-slashes", "//OrvNoServer/share/Gone.exe", false},
        {"-variable", "%ORV_NO_SUCH_VARIABLE%\\Gone.exe", false},
        {"-drive", absent + "\\Gone\\Gone.exe", false},
        {"-local", dir_ + "\\Gone\\Gone.exe", true},
    };
    for (const Case& c : cases) {
        seeds_.Text(HKEY_LOCAL_MACHINE, Entry(kAppPaths, tag_ + c.name), "", c.path);
        // A share names a folder: the command line's switch does not belong there.
        const size_t start = c.path[0] == '"' ? 1 : 0;
        const std::string folder = c.path.substr(start, c.path.rfind('\\') - start);
        seeds_.Lines(HKEY_LOCAL_MACHINE, kShares, tag_ + c.name, "Path=" + folder + std::string(2, '\0'));
    }

    CollectingSink sink;
    RunScan(Sections({kAppPathsSection, kSharesSection}), sink);

    for (const int section : {kAppPathsSection, kSharesSection}) {
        std::vector<std::string> reported;
        for (const RegistryProblem& problem : sink.RecordsIn(section, tag_)) reported.push_back(problem.registryPath);
        std::vector<std::string> expected;
        for (const Case& c : cases)
            if (c.reported)
                expected.push_back(kMachine + std::string(section == kSharesSection ? kShares : kAppPaths) + "|" +
                                   tag_ + c.name);
        EXPECT_EQ(reported, expected) << section;
    }
}

TEST_F(EngineScan, AnEntryThatCannotBeOpenedEndsAppPathsButUninstallPassesOverIt) {
    for (const char* entry : {"-0-dead", "-1-locked", "-2-dead"}) {
        seeds_.Text(HKEY_LOCAL_MACHINE, Entry(kAppPaths, tag_ + entry), "", dir_ + "\\Gone\\App.exe");
        seeds_.Text(HKEY_LOCAL_MACHINE, Entry(kUninstall, tag_ + entry), "UninstallString", dir_ + "\\Gone\\Un.exe");
    }
    const std::string appLocked = Entry(kAppPaths, tag_ + "-1-locked");
    const std::string uninstallLocked = Entry(kUninstall, tag_ + "-1-locked");
    const testing_support::ScopedLockedKey lockedApp(HKEY_LOCAL_MACHINE, appLocked.substr(1));
    const testing_support::ScopedLockedKey lockedUninstall(HKEY_LOCAL_MACHINE, uninstallLocked.substr(1));

    // The registry lists the three entries in their names' order (else the
    // entry after the locked one proves nothing).
    auto positions = [&](const char* key) {
        const std::vector<std::string> names = Listed(HKEY_LOCAL_MACHINE, key, false);
        std::vector<size_t> at;
        for (const char* entry : {"-0-dead", "-1-locked", "-2-dead"})
            at.push_back(std::find(names.begin(), names.end(), tag_ + entry) - names.begin());
        return std::make_pair(names, at);
    };
    const auto [appNames, appAt] = positions(kAppPaths);
    const auto [uninstallNames, uninstallAt] = positions(kUninstall);
    ASSERT_TRUE(appAt[0] < appAt[1] && appAt[1] < appAt[2] && appAt[2] < appNames.size());
    ASSERT_TRUE(uninstallAt[0] < uninstallAt[1] && uninstallAt[1] < uninstallAt[2] &&
                uninstallAt[2] < uninstallNames.size());

    CollectingSink sink;
    RunScan(Sections({kAppPathsSection, kUninstallSection}), sink);

    // App Paths: the locked entry is the last examined; nothing after it.
    const std::vector<std::string> appKeys = sink.KeysIn(kAppPathsSection);
    ASSERT_EQ(appKeys.size(), appAt[1] + 1);
    EXPECT_EQ(appKeys.back(), kMachine + appLocked);
    const std::vector<RegistryProblem> appRecords = sink.RecordsIn(kAppPathsSection, tag_);
    ASSERT_EQ(appRecords.size(), 1u);
    EXPECT_EQ(appRecords[0].registryPath, kMachine + std::string(kAppPaths) + "|" + tag_ + "-0-dead");

    // Uninstall: every entry examined, the locked one passed over.
    EXPECT_EQ(sink.KeysIn(kUninstallSection).size(), uninstallNames.size());
    std::vector<std::string> uninstallRecords;
    for (const RegistryProblem& problem : sink.RecordsIn(kUninstallSection, tag_))
        uninstallRecords.push_back(problem.registryPath);
    const std::string uninstallRecord = kMachine + std::string(kUninstall) + "|" + tag_;
    EXPECT_EQ(uninstallRecords, (std::vector<std::string>{uninstallRecord + "-0-dead\\UninstallString",
                                                          uninstallRecord + "-2-dead\\UninstallString"}));
    EXPECT_EQ(sink.store.State(kAppPathsSection), ssScanned);
    EXPECT_EQ(sink.store.State(kUninstallSection), ssScanned);
}

TEST_F(EngineScan, AStopMidSectionRecordsNothingMoreAndSkipsTheLaterSections) {
    constexpr int kDeadPerSection = 6;
    for (int i = 0; i < kDeadPerSection; ++i) {
        const std::string n = std::to_string(i);
        seeds_.Text(HKEY_CURRENT_USER, kRunMru, tag_ + n, dir_ + "\\Gone\\tool" + n + "\\1");
        seeds_.Text(HKEY_LOCAL_MACHINE, Entry(kUninstall, tag_ + n), "UninstallString", dir_ + "\\Gone\\u" + n);
        seeds_.Key(HKEY_CURRENT_USER, Entry(kFileExts, "." + tag_ + n));
    }
    const int ticked[] = {kRunMruSection, kUninstallSection, kFileExtsSection};
    struct Case {
        int section;     // where the stop is asked for
        int afterKeys;   // at that section's key of this number
    };
    const Case cases[] = {{kRunMruSection, 1}, {kUninstallSection, 3}, {kFileExtsSection, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "stop in section " << c.section << " at key " << c.afterKeys);
        CollectingSink sink;
        common::StopSource stop;
        size_t stopAt = 0;  // events up to and including the key the stop came at
        int keysSeen = 0;
        sink.onEvent = [&](const Event& event) {
            if (event.kind != Event::kKey || event.section != c.section || ++keysSeen != c.afterKeys) return;
            stop.RequestStop();
            stopAt = sink.events.size();
        };
        RunScan(Sections({kRunMruSection, kUninstallSection, kFileExtsSection}), sink, stop.Token());
        ASSERT_GT(stopAt, 0u);

        // After the stop: the section's stop, its end, the scan's stopped end;
        // no key, no record, no later section.
        const std::vector<Event> after(sink.events.begin() + static_cast<std::ptrdiff_t>(stopAt), sink.events.end());
        ASSERT_EQ(after.size(), 3u);
        EXPECT_EQ(after[0].kind, Event::kSectionStopped);
        EXPECT_EQ(after[1].kind, Event::kSectionDone);
        EXPECT_EQ(after[2].kind, Event::kScanStopped);
        for (const Event& event : after) EXPECT_EQ(event.section, c.section);

        // The key the stop came at is not tested either: fewer records than
        // keys before it, and the section's dead entries after it stay out.
        EXPECT_LT(sink.RecordsIn(c.section, tag_).size(), static_cast<size_t>(c.afterKeys));
        for (int section : ticked) {
            SCOPED_TRACE(section);
            if (section < c.section) {
                EXPECT_EQ(sink.store.State(section), ssScanned);
                EXPECT_EQ(sink.RecordsIn(section, tag_).size(), static_cast<size_t>(kDeadPerSection));
            } else if (section == c.section) {
                EXPECT_EQ(sink.store.State(section), ssStopped);
            } else {
                EXPECT_EQ(sink.store.State(section), ssNotScanned);
                EXPECT_TRUE(sink.KeysIn(section).empty());
            }
        }
        EXPECT_EQ(sink.store.Total(), 0);  // a stopped scan adds nothing to the total
    }
}

TEST(EngineScanBounds, NothingTickedStoppedFirstOrOutOfRangeRunsNoSection) {
    struct Case {
        const char* name;
        SectionFlags sections;
        bool stopFirst;
        Event::Kind end;
        int endSection;
    };
    SectionFlags all;
    all.fill(true);
    const Case cases[] = {{"nothing ticked", SectionFlags{}, false, Event::kScanFinished, -1},
                          {"stopped before the start", all, true, Event::kScanStopped, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CollectingSink sink;
        common::StopSource stop;
        if (c.stopFirst) stop.RequestStop();
        RunScan(c.sections, sink, stop.Token());
        ASSERT_EQ(sink.events.size(), 1u);
        EXPECT_EQ(sink.events[0].kind, c.end);
        EXPECT_EQ(sink.events[0].section, c.endSection);
        EXPECT_EQ(sink.events[0].count, 0);
        for (int section = 0; section < kRegistrySectionCount; ++section)
            EXPECT_EQ(sink.store.State(section), ssNotScanned);
    }

    CollectingSink sink;
    ScanTally tally;
    for (int section : {-1, kRegistrySectionCount, 1000})
        ScanSection(section, registry_scan::SystemGuessEnvironment(), sink, {}, tally);
    EXPECT_TRUE(sink.events.empty());
    EXPECT_EQ(tally.keysExamined, 0);
}

}  // namespace
