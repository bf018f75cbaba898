// Fixing the registry scanner's records: only the recorded subkey or value
// goes, keys the sections walk are refused under any spelling, a backup point
// is written first and restoring it undoes the fix.
#include "RestrictedRegKey.h"
#include "backup/BackupPoint.h"
#include "backup/RegistryTree.h"
#include "formats/RegFile.h"
#include "registry_scan/ProblemStore.h"
#include "registry_scan/RegistryScan.h"
#include "registry_scan/ScannerContainers.h"
#include "NulNamedValue.h"
#include "EngineTestSupport.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

using registry_scan::IsScannerContainer;
using registry_scan::kRegistrySectionCount;
using registry_scan::MakeRegistryPath;
using registry_scan::ssScanned;
using registry_scan::ProblemStore;

using namespace testing_support;

namespace {

const std::string kId = std::to_string(GetCurrentProcessId());

const std::string kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const std::string kHelp = "SOFTWARE\\Microsoft\\Windows\\Help";
const std::string kHtmlHelp = "SOFTWARE\\Microsoft\\Windows\\HTML Help";
const std::string kSharedDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kSchemes = "AppEvents\\Schemes\\Apps";
const std::string kFileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

const std::string kApp = "OrvFix" + kId + ".exe";
const std::string kClass = "{0F1E2D3C-4B5A-6978-8796-" + kId + "}";
const std::string kHelpFile = "orvfix" + kId + ".hlp";
const std::string kDll = "C:\\orvgone\\" + kId + "\\x.dll";
const std::string kDllDotted = "C:\\orvgone\\" + kId + "\\..\\x.dll";
const std::string kEntry = "OrvFix" + kId;
const std::string kSoundApp = "OrvFix" + kId;
const std::string kExtension = ".orvfix" + kId;
const std::string kUserKey = "OrvFixRoot" + kId;

const char kLm[] = "HKEY_LOCAL_MACHINE";
const char kCu[] = "HKEY_CURRENT_USER";
const char kCr[] = "HKEY_CLASSES_ROOT";

HKEY RootOf(const std::string& rootName) {
    return rootName == kLm ? HKEY_LOCAL_MACHINE : rootName == kCu ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
}

// A key, or a value of it, that must be gone or still there after a fix.
struct Probe {
    const char* rootName;
    std::string key;
    std::optional<std::string> value;
};

bool Exists(const Probe& probe) {
    const HKEY root = RootOf(probe.rootName);
    return probe.value ? RegValueExists(root, probe.key, *probe.value) : RegKeyExists(root, probe.key);
}

std::string Shown(const Probe& probe) {
    return std::string(probe.rootName) + "\\" + probe.key + (probe.value ? " : " + *probe.value : "");
}

// Every item a fix may delete and a decoy beside each, with names alike.
const std::vector<std::tuple<const char*, std::string, std::string>> kSeeds = {
    {kLm, kAppPaths + "\\" + kApp, ""},
    {kLm, kAppPaths + "\\" + kApp + "\\Sub", "x"},
    {kLm, kAppPaths + "\\" + kApp + "2", ""},
    {kCr, "CLSID\\" + kClass, ""},
    {kCr, "CLSID\\" + kClass + "\\InprocServer32", ""},
    {kCr, "CLSID\\" + kClass + "\\LocalServer32", ""},
    {kCr, "CLSID\\" + kClass + "x\\InprocServer32", ""},
    {kLm, kHelp, kHelpFile},
    {kLm, kHelp, kHelpFile + "2"},
    {kLm, kHtmlHelp, kHelpFile},
    {kLm, kSharedDlls, kDll},
    {kLm, kSharedDlls, kDllDotted},
    {kLm, kSharedDlls, kDll + "2"},
    {kLm, kUninstall + "\\" + kEntry, "UninstallString"},
    {kLm, kUninstall + "\\" + kEntry, "DisplayName"},
    {kLm, kUninstall + "\\" + kEntry + "\\Extra", "x"},
    {kLm, kUninstall + "\\" + kEntry + "2", "UninstallString"},
    {kCu, kSchemes + "\\" + kSoundApp + "\\OrvEvent\\.Current", ""},
    {kCu, kSchemes + "\\" + kSoundApp + "\\OrvEvent\\.Default", ""},
    {kCu, kFileExts + "\\" + kExtension + "\\OpenWithList", "a"},
    {kCu, kFileExts + "\\" + kExtension + "x", ""},
    {kCu, kUserKey, "x"},
};

// What the fix does with a record.
enum class Outcome { Deleted, Refused, Unnamable, Failed, Unmarked };

struct Record {
    int section;
    std::string path;
    Outcome outcome;
};

std::string PathOf(const char* rootName, const std::string& key, const std::string& item) {
    return MakeRegistryPath(rootName, "\\" + key, item);
}

std::string WithNul(const std::string& text) { return text + std::string(1, '\0') + "x"; }

const std::vector<Record> kRecords = {
    {0, PathOf(kLm, kAppPaths, kApp), Outcome::Deleted},
    {0, PathOf(kLm, kAppPaths, kApp + "2"), Outcome::Unmarked},
    {0, PathOf(kLm, kAppPaths, "OrvFixMissing" + kId + ".exe"), Outcome::Failed},
    {0, PathOf(kLm, kAppPaths, ""), Outcome::Refused},
    {0, PathOf(kLm, kAppPaths, kApp + "2\\.."), Outcome::Refused},
    {0, PathOf(kLm, kAppPaths, kApp + "2\\."), Outcome::Refused},
    {0, PathOf(kLm, kAppPaths, kApp + "2\\"), Outcome::Refused},
    {0, PathOf(kLm, kAppPaths, "\\" + kApp + "2"), Outcome::Refused},
    {0, PathOf(kLm, kAppPaths, kApp + "2\\\\Sub"), Outcome::Refused},
    {0, PathOf(kLm, kAppPaths, WithNul(kApp + "2")), Outcome::Unnamable},
    {0, PathOf(kLm, WithNul(kAppPaths), kApp + "2"), Outcome::Unnamable},
    {0, PathOf(kLm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\\\App Paths", kApp + "2"), Outcome::Refused},
    {0, PathOf(kLm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "App Paths"), Outcome::Refused},
    {0, PathOf(kLm, "SOFTWARE\\Microsoft", "Windows"), Outcome::Refused},
    {1, PathOf(kCr, "CLSID", kClass + "\\InprocServer32"), Outcome::Deleted},
    {1, PathOf(kCr, "CLSID", kClass), Outcome::Refused},
    {1, PathOf(kCr, "", "CLSID"), Outcome::Refused},
    {2, PathOf(kLm, kHelp, kHelpFile), Outcome::Deleted},
    {6, PathOf(kLm, kSharedDlls, kDll), Outcome::Deleted},
    {6, PathOf(kLm, kSharedDlls, kDllDotted), Outcome::Deleted},
    {6, PathOf(kLm, kSharedDlls, WithNul(kDll + "2")), Outcome::Unnamable},
    {9, PathOf(kCu, kSchemes, kSoundApp + "\\OrvEvent\\.Current"), Outcome::Deleted},
    {9, PathOf(kCu, kSchemes, kSoundApp + "\\OrvEvent"), Outcome::Refused},
    {9, PathOf(kCu, kSchemes, kSoundApp), Outcome::Refused},
    {9, PathOf(kCu, "AppEvents\\Schemes", "APPS"), Outcome::Refused},
    {10, PathOf(kLm, kUninstall, kEntry + "\\UninstallString"), Outcome::Deleted},
    {10, PathOf(kLm, kUninstall, "OrvFixMissing" + kId + "\\UninstallString"), Outcome::Failed},
    {10, PathOf(kLm, kUninstall, "\\UninstallString"), Outcome::Refused},
    {11, PathOf(kCu, kFileExts, kExtension), Outcome::Deleted},
    {11, PathOf(kCu, "", kUserKey), Outcome::Refused},
};

const std::vector<Probe> kGone = {
    {kLm, kAppPaths + "\\" + kApp, {}},
    {kCr, "CLSID\\" + kClass + "\\InprocServer32", {}},
    {kLm, kHelp, kHelpFile},
    {kLm, kSharedDlls, kDll},
    {kLm, kSharedDlls, kDllDotted},
    {kCu, kSchemes + "\\" + kSoundApp + "\\OrvEvent\\.Current", {}},
    {kLm, kUninstall + "\\" + kEntry, {}},
    {kCu, kFileExts + "\\" + kExtension, {}},
};

const std::vector<Probe> kStaying = {
    {kLm, kAppPaths, {}},
    {kLm, kAppPaths + "\\" + kApp + "2", ""},
    {kCr, "CLSID\\" + kClass, ""},
    {kCr, "CLSID\\" + kClass + "\\LocalServer32", ""},
    {kCr, "CLSID\\" + kClass + "x\\InprocServer32", ""},
    {kLm, kHelp, kHelpFile + "2"},
    {kLm, kHtmlHelp, kHelpFile},
    {kLm, kSharedDlls, kDll + "2"},
    {kLm, kUninstall + "\\" + kEntry + "2", "UninstallString"},
    {kCu, kSchemes + "\\" + kSoundApp + "\\OrvEvent\\.Default", ""},
    {kCu, kFileExts + "\\" + kExtension + "x", {}},
    {kCu, kUserKey, "x"},
};

class RegistryFix : public ::testing::Test {
protected:
    RegistryFix() : folder_("RegistryFix" + kId), backup_(folder_.Path() + "\\Backup\\") {}

    void SetUp() override {
        for (const auto& [rootName, key, value] : kSeeds) {
            const HKEY root = RootOf(rootName);
            ForgetAfterwards(root, key, value);
            SetRegString(root, key, value, "C:\\orvgone\\" + kId + "\\missing.file");
        }
    }

    // Keys of our own go with everything below them; a value added to a key
    // that was there before goes alone; a key the seeding had to create goes
    // from the highest level that was missing.
    void ForgetAfterwards(HKEY root, const std::string& key, const std::string& value) {
        static const std::vector<std::string> kShared = {kAppPaths, "CLSID", kHelp, kHtmlHelp, kSharedDlls,
                                                         kUninstall, kSchemes, kFileExts};
        for (const std::string& shared : kShared) {
            if (key == shared) {
                NewKeysOf(root, key);
                values_.push_back(std::make_unique<ScopedRegValue>(root, key, value));
                return;
            }
            if (key.rfind(shared + "\\", 0) == 0) {
                NewKeysOf(root, shared);
                const size_t end = key.find('\\', shared.size() + 1);
                keys_.Add(root, key.substr(0, end));
                return;
            }
        }
        keys_.Add(root, key);
    }

    void NewKeysOf(HKEY root, const std::string& key) {
        for (size_t at = key.find('\\'); ; at = key.find('\\', at + 1)) {
            const std::string upTo = key.substr(0, at);
            if (!RegKeyExists(root, upTo)) {
                keys_.Add(root, upTo);
                return;
            }
            if (at == std::string::npos) return;
        }
    }

    static ProblemStore StoreOf(const std::vector<Record>& records) {
        ProblemStore nut;
        for (const Record& record : records) {
            nut.RecordProblem(record.section, record.path, "file", "guess");
            if (record.outcome != Outcome::Unmarked) {
                EXPECT_TRUE(nut.SetFix(record.section, nut.Count(record.section) - 1, true));
            }
        }
        for (int section = 0; section < kRegistrySectionCount; ++section) nut.SetState(section, ssScanned);
        nut.RecountTotal();
        return nut;
    }

    // The records the store still holds, section by section in their order,
    // each with its mark.
    static std::vector<std::pair<std::string, bool>> Held(const ProblemStore& nut) {
        std::vector<std::pair<std::string, bool>> held;
        for (int section = 0; section < kRegistrySectionCount; ++section)
            for (int row = 0; row < nut.Count(section); ++row)
                held.emplace_back(nut.Problem(section, row)->registryPath, nut.IsMarked(section, row));
        return held;
    }

    static std::vector<std::pair<std::string, bool>> ExpectedHeld(const std::vector<Record>& records,
                                                                   bool deletedStay) {
        std::vector<std::pair<std::string, bool>> held;
        for (int section = 0; section < kRegistrySectionCount; ++section)
            for (const Record& record : records)
                if (record.section == section && (deletedStay || record.outcome != Outcome::Deleted))
                    held.emplace_back(record.path, record.outcome != Outcome::Unmarked);
        return held;
    }

    static int CountOf(Outcome outcome) {
        int count = 0;
        for (const Record& record : kRecords) count += record.outcome == outcome;
        return count;
    }

    ScopedFolder folder_;
    std::string backup_;
    ScopedRegKeys keys_;
    std::vector<std::unique_ptr<ScopedRegValue>> values_;
};

TEST_F(RegistryFix, DeletesOnlyTheRecordedItemsAndRefusesWalkedKeys) {
    for (const Probe& probe : kGone) ASSERT_TRUE(Exists(probe)) << Shown(probe);
    ProblemStore nut = StoreOf(kRecords);

    const ProblemStore::FixReport report = nut.FixMarkedProblems(backup_);

    EXPECT_FALSE(report.backupFailed) << report.error;
    EXPECT_EQ(report.deleted, CountOf(Outcome::Deleted));
    EXPECT_EQ(report.refused, CountOf(Outcome::Refused));
    EXPECT_EQ(report.unnamable, CountOf(Outcome::Unnamable));
    EXPECT_EQ(report.failed, CountOf(Outcome::Failed));
    for (const Probe& probe : kGone) EXPECT_FALSE(Exists(probe)) << Shown(probe);
    for (const Probe& probe : kStaying) EXPECT_TRUE(Exists(probe)) << Shown(probe);
    EXPECT_EQ(Held(nut), ExpectedHeld(kRecords, false));
    EXPECT_EQ(nut.Total(), static_cast<int>(kRecords.size()) - report.deleted);
}

TEST_F(RegistryFix, BackupThatCannotBeWrittenDeletesNothing) {
    ScopedFile inTheWay(folder_.Path() + "\\Backup", "a file where the folder must be");
    ProblemStore nut = StoreOf(kRecords);

    const ProblemStore::FixReport report = nut.FixMarkedProblems(backup_);

    EXPECT_TRUE(report.backupFailed);
    EXPECT_FALSE(report.error.empty());
    EXPECT_TRUE(report.pointFolder.empty());
    EXPECT_EQ(report.deleted, 0);
    EXPECT_EQ(report.failed, CountOf(Outcome::Failed) + CountOf(Outcome::Deleted));
    for (const Probe& probe : kGone) EXPECT_TRUE(Exists(probe)) << Shown(probe);
    EXPECT_EQ(Held(nut), ExpectedHeld(kRecords, true));
}

TEST_F(RegistryFix, NothingToDeleteWritesNoBackupPoint) {
    std::vector<Record> records;
    for (const Record& record : kRecords)
        if (record.outcome == Outcome::Refused || record.outcome == Outcome::Unnamable ||
            record.outcome == Outcome::Failed)
            records.push_back(record);
    ProblemStore nut = StoreOf(records);

    const ProblemStore::FixReport report = nut.FixMarkedProblems(backup_);

    EXPECT_EQ(report.deleted, 0);
    EXPECT_EQ(report.refused + report.unnamable + report.failed, static_cast<int>(records.size()));
    EXPECT_TRUE(report.pointFolder.empty());
    EXPECT_EQ(GetFileAttributesA(backup_.c_str()), INVALID_FILE_ATTRIBUTES) << "a backup folder was made for nothing";
    EXPECT_EQ(Held(nut), ExpectedHeld(records, true));
}

// The shared-DLL section scans a value whose name holds a NUL (a missing
// file's path and a tail) beside its namesake: each is its own record. The
// fix deletes the namesake alone and leaves the other, counted as a name the
// program does not act on, never as a walked key.
TEST_F(RegistryFix, AScannedNameHoldingANulIsLeftAndCountedApart) {
    constexpr int kSharedDllsSection = 6;
    const std::string dll = "C:\\orvgone\\" + kId + "\\nul.dll";
    const std::wstring hiddenName = WideName(dll + std::string(1, '\0') + "tail");
    NewKeysOf(HKEY_LOCAL_MACHINE, kSharedDlls);
    ScopedRegValue plain(HKEY_LOCAL_MACHINE, kSharedDlls, dll);
    SetRegDword(HKEY_LOCAL_MACHINE, kSharedDlls, dll, 1);
    ScopedNulNamed hidden(HKEY_LOCAL_MACHINE, kSharedDlls, hiddenName, "1");

    ProblemStore nut;
    registry_scan::StoreSink sink(nut);
    registry_scan::SectionFlags flags{};
    flags[kSharedDllsSection] = true;
    registry_scan::RunScan(flags, sink);
    std::vector<std::string> ours;
    for (int row = 0; row < nut.Count(kSharedDllsSection); ++row) {
        const std::string path = nut.Problem(kSharedDllsSection, row)->registryPath;
        if (path.find(dll) == std::string::npos) continue;
        ours.push_back(path);
        nut.SetFix(kSharedDllsSection, row, true);
    }
    std::sort(ours.begin(), ours.end());
    ASSERT_EQ(ours.size(), 2u);
    EXPECT_EQ(ours[0], MakeRegistryPath(kLm, "\\" + kSharedDlls, dll));
    EXPECT_EQ(ours[1], MakeRegistryPath(kLm, "\\" + kSharedDlls, NarrowName(hiddenName)));

    const ProblemStore::FixReport report = nut.FixMarkedProblems(backup_);
    EXPECT_EQ(report.deleted, 1);
    EXPECT_EQ(report.unnamable, 1);
    EXPECT_EQ(report.refused, 0);
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kSharedDlls, dll));
    EXPECT_EQ(NulNamedText(HKEY_LOCAL_MACHINE, kSharedDlls, hiddenName), "1");
}

using Tree = std::map<std::string, std::map<std::string, std::pair<uint32_t, std::vector<uint8_t>>>>;

Tree Exported(const char* rootName, const std::string& key) {
    std::vector<backup::RegKeyData> keys;
    std::string error;
    EXPECT_TRUE(backup::ExportRegistryTree(rootName, key, keys, error)) << error;
    Tree tree;
    for (const auto& data : keys)
        for (const auto& value : data.values) tree[data.path][value.name] = {value.type, value.data};
    for (const auto& data : keys) tree[data.path];  // keys without values count too
    return tree;
}

TEST_F(RegistryFix, RestoringTheBackupPointUndoesTheFix) {
    // The keys holding every deleted item, with their neighbours.
    const std::vector<std::pair<const char*, std::string>> around = {
        {kLm, kAppPaths + "\\" + kApp}, {kCr, "CLSID\\" + kClass},          {kLm, kHelp},
        {kLm, kSharedDlls},             {kCu, kSchemes + "\\" + kSoundApp}, {kLm, kUninstall + "\\" + kEntry},
        {kCu, kFileExts + "\\" + kExtension}};
    std::vector<Tree> before;
    for (const auto& [rootName, key] : around) before.push_back(Exported(rootName, key));
    std::vector<Record> deleted;
    for (const Record& record : kRecords)
        if (record.outcome == Outcome::Deleted) deleted.push_back(record);
    ProblemStore nut = StoreOf(deleted);

    const ProblemStore::FixReport report = nut.FixMarkedProblems(backup_);
    ASSERT_EQ(report.deleted, static_cast<int>(deleted.size())) << report.error;
    ASSERT_EQ(report.pointFolder.rfind(backup_, 0), 0u) << report.pointFolder;
    for (const Probe& probe : kGone) ASSERT_FALSE(Exists(probe)) << Shown(probe);

    int files = 0;
    for (const char* name : backup::kBackupRootFileNames) {
        const std::string file = report.pointFolder + name;
        if (!platform::files::FileExists(file)) continue;
        ++files;
        std::vector<backup::RegKeyData> keys;
        std::string error;
        ASSERT_TRUE(backup::LoadRegFile(file, keys, error)) << error;
        ASSERT_TRUE(backup::ImportRegistryTree(keys, error)) << error;
    }
    EXPECT_EQ(files, 3) << "one file for each root a deleted item lives in";
    for (size_t i = 0; i < around.size(); ++i)
        EXPECT_EQ(Exported(around[i].first, around[i].second), before[i]) << around[i].second;
}

// Which keys count as walked, whatever the spelling.
// The box after a fix: the count in words that agree with it, the point
// named as a backup's outcome names it, what was left a line each.
TEST(FixOutcomeText, CountsThePointAndWhatWasLeft) {
    const std::string point = "C:\\Orvelin\\Backup\\2026.01.02 10.00\\";
    const std::string nul = "its name holds a NUL character, and a name cut short there would name another "
                            "registry item.";
    auto report = [&](int deleted, bool stopped, std::tuple<int, int, int, int> left) {
        registry_scan::FixReport r;
        r.deleted = deleted;
        r.stopped = stopped;
        std::tie(r.existsAgain, r.refused, r.unnamable, r.failed) = left;
        r.pointFolder = deleted > 0 ? point : "";
        return r;
    };
    const struct {
        registry_scan::FixReport report;
        std::string text;
    } cases[] = {
        {report(1, false, {}), "1 error was fixed; it was saved in the backup point 2026.01.02 10.00."},
        {report(3, false, {}), "3 errors were fixed; they were saved in the backup point 2026.01.02 10.00."},
        {report(0, false, {0, 0, 1, 0}), "No error was fixed.\r\n\r\n1 marked error was left alone: " + nul},
        {report(2, false, {2, 0, 0, 1}),
         "2 errors were fixed; they were saved in the backup point 2026.01.02 10.00.\r\n\r\n"
         "2 marked errors were left alone: the files they missed are there again.\r\n"
         "1 marked error could not be deleted and stays in the list."},
        {report(0, false, {1, 2, 2, 2}),
         "No error was fixed.\r\n\r\n"
         "1 marked error was left alone: the file it missed is there again.\r\n"
         "2 marked errors were left alone: they name keys that hold the entries of whole sections.\r\n"
         "2 marked errors were left alone: their names hold a NUL character, and a name cut short there would "
         "name another registry item.\r\n"
         "2 marked errors could not be deleted and stay in the list."},
        {report(1, true, {}),
         "The fix was stopped: 1 error was fixed; it was saved in the backup point 2026.01.02 10.00. The others "
         "were left as they were."},
        {report(0, true, {}), "The fix was stopped: no error was fixed. The others were left as they were."},
    };
    for (const auto& c : cases) EXPECT_EQ(registry_scan::FixOutcomeText(c.report), c.text);
}

TEST(ScannerContainers, WalkedKeysTheirParentsAndOtherSpellings) {
    struct Case {
        HKEY root;
        std::string path;
        bool container;
    };
    const std::vector<Case> cases = {
        {HKEY_LOCAL_MACHINE, "", true},
        {HKEY_LOCAL_MACHINE, "SOFTWARE", true},
        {HKEY_LOCAL_MACHINE, "software\\microsoft\\windows\\currentversion\\app paths", true},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\a.exe", false},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\a.exe\\sub", false},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths", true},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node", true},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", true},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT", true},
        {HKEY_LOCAL_MACHINE, "SYSTEM\\ControlSet001\\Services\\lanmanserver\\Shares", true},
        {HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\LanmanServer\\Shares", true},
        {HKEY_LOCAL_MACHINE, "SYSTEM\\ControlSet001\\Services\\lanmanserver\\Shares\\Security", false},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\app", false},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID\\{x}", true},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID\\{x}\\InprocServer32", false},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\.txt", false},
        {HKEY_CLASSES_ROOT, "", true},
        {HKEY_CLASSES_ROOT, "clsid", true},
        {HKEY_CLASSES_ROOT, "CLSID\\{x}", true},
        {HKEY_CLASSES_ROOT, "CLSID\\{x}\\InprocServer32", false},
        {HKEY_CLASSES_ROOT, "Wow6432Node\\CLSID\\{x}", true},
        {HKEY_CLASSES_ROOT, ".txt", false},
        {HKEY_CURRENT_USER, "Software\\Classes\\CLSID", true},
        {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", true},
        {HKEY_CURRENT_USER,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs", true},
        {HKEY_CURRENT_USER,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs\\Games", false},
        {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.txt", false},
        {HKEY_CURRENT_USER, "AppEvents", true},
        {HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps", true},
        {HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps\\.Default", true},
        {HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps\\.Default\\SystemAsterisk", true},
        {HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps\\.Default\\SystemAsterisk\\.Current", false},
        {HKEY_CURRENT_USER, "AppEvents\\Schemes\\Names", false},
        {HKEY_CURRENT_USER, "Software\\Orvelin", false},
        {HKEY_USERS, "", true},
        {HKEY_USERS, "S-1-5-21-1", true},
        {HKEY_USERS, ".Default\\AppEvents\\Schemes\\Apps\\x", true},
        {HKEY_USERS, "S-1-5-21-1_Classes\\CLSID", true},
        {HKEY_USERS, "S-1-5-21-1\\Software\\Orvelin", false},
        {HKEY_CURRENT_CONFIG, "", true},
        {HKEY_CURRENT_CONFIG, "Software", false},
    };
    for (const Case& c : cases) {
        std::vector<std::string> names;
        for (size_t start = 0; !c.path.empty() && start <= c.path.size();) {
            const size_t end = std::min(c.path.find('\\', start), c.path.size());
            names.push_back(c.path.substr(start, end - start));
            start = end + 1;
        }
        EXPECT_EQ(IsScannerContainer(c.root, names), c.container) << c.path;
    }
}

}  // namespace

namespace {

// A record of a section that names values deletes the value even when a
// subkey of the same name stands beside it (the share list keeps its
// "Security" subkey there); the key sections still delete the subkey.
TEST(RegistryFixValueSections, AValueRecordNeverTakesTheSubkeyOfTheSameName) {
    const std::string shares = "SYSTEM\\ControlSet001\\Services\\lanmanserver\\Shares";
    const std::string name = "OrvShareTwin" + std::to_string(GetCurrentProcessId());
    ScopedRegKeys keys;
    keys.Add(HKEY_LOCAL_MACHINE, shares + "\\" + name);
    ScopedRegValue value(HKEY_LOCAL_MACHINE, shares, name);
    SetRegString(HKEY_LOCAL_MACHINE, shares + "\\" + name, "", "settings of every share");
    SetRegString(HKEY_LOCAL_MACHINE, shares, name, "Path=C:\\orv-gone");
    ScopedFolder folder("RegistryFixValueSections");

    ProblemStore nut;
    nut.RecordProblem(7, "HKEY_LOCAL_MACHINE\\" + shares + "|" + name, name, "C:\\orv-gone");
    nut.MarkAll(true);
    const ProblemStore::FixReport report = nut.FixMarkedProblems(folder.Path() + "\\Backup\\");

    EXPECT_EQ(report.deleted, 1);
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, shares, name));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, shares + "\\" + name));
    EXPECT_EQ(nut.Count(7), 0);

    // With the value gone, the record fails and stays: the subkey is not taken instead.
    nut.RecordProblem(7, "HKEY_LOCAL_MACHINE\\" + shares + "|" + name, name, "C:\\orv-gone");
    nut.MarkAll(true);
    const ProblemStore::FixReport again = nut.FixMarkedProblems(folder.Path() + "\\Backup\\");
    EXPECT_EQ(again.failed, 1);
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, shares + "\\" + name));
    EXPECT_EQ(nut.Count(7), 1);
}

}  // namespace

namespace {

// What a fix looks at again before it deletes: a file or folder that is back
// leaves its record alone (and out of the backup point); a stop between
// deletions leaves the rest as they were.
class RegistryFixLooksAgain : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& name : {back_, gone_}) {
            values_.push_back(std::make_unique<ScopedRegValue>(HKEY_LOCAL_MACHINE, kHelp, name));
            SetRegString(HKEY_LOCAL_MACHINE, kHelp, name, "C:\\orvgone");
        }
    }
    registry_scan::FixRecord HelpRecord(const std::string& name, const std::string& file, int row) {
        return {2, row, {PathOf(kLm, kHelp, name), file, file, registry_scan::kFix}};
    }

    ScopedFolder folder_{"RegistryFixLooksAgain" + kId};
    const std::string back_ = "orvback" + kId + ".hlp", gone_ = "orvgone" + kId + ".hlp";
    std::vector<std::unique_ptr<ScopedRegValue>> values_;
};

TEST_F(RegistryFixLooksAgain, AFileThatIsBackLeavesItsRecordAloneAndOutOfThePoint) {
    ScopedFile returned(folder_.Path() + "\\" + back_, "help is back");
    ScopedFolder sharedAgain("RegistryFixShareBack" + kId);
    ProblemStore nut;
    nut.RecordProblem(2, PathOf(kLm, kHelp, back_), returned.Path(), returned.Path());
    nut.RecordProblem(2, PathOf(kLm, kHelp, gone_), folder_.Path() + "\\missing.hlp", "");
    nut.RecordProblem(7, PathOf(kLm, "SYSTEM\\ControlSet001\\Services\\lanmanserver\\Shares", "OrvNone" + kId),
                      "OrvNone" + kId, sharedAgain.Path());
    nut.MarkAll(true);

    const ProblemStore::FixReport report = nut.FixMarkedProblems(folder_.Path() + "\\Backup\\");

    EXPECT_EQ(report.existsAgain, 2);
    EXPECT_EQ(report.deleted, 1);
    EXPECT_EQ(report.failed, 0);
    EXPECT_TRUE(RegValueExists(HKEY_LOCAL_MACHINE, kHelp, back_));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kHelp, gone_));
    ASSERT_EQ(nut.Count(2), 1);
    EXPECT_EQ(nut.Problem(2, 0)->fileName, returned.Path());
    EXPECT_EQ(nut.Count(7), 1);
    // The point holds the deleted value only.
    std::vector<backup::RegKeyData> keys;
    std::string error;
    ASSERT_TRUE(backup::LoadRegFile(report.pointFolder + backup::kBackupRootFileNames[0], keys, error)) << error;
    std::vector<std::string> saved;
    for (const auto& key : keys)
        for (const auto& value : key.values) saved.push_back(value.name);
    EXPECT_EQ(saved, std::vector<std::string>{gone_});
    backup::PointManifest manifest;  // which tells what made it
    ASSERT_EQ(backup::LoadPointManifest(report.pointFolder, manifest, error), backup::ManifestState::kRead);
    EXPECT_EQ(manifest.description, "Fix: 1 item");
}

// A machine key that refuses the delete is what a restart as administrator
// could fix: counted apart, its record left.
TEST_F(RegistryFixLooksAgain, AMachineKeyThatRefusesTheDeleteIsCountedApart) {
    common::NoProgress progress;
    const ScopedReadOnlyKey locked(HKEY_LOCAL_MACHINE, kHelp);
    const registry_scan::FixReport report = registry_scan::FixRecords(
        {HelpRecord(gone_, folder_.Path() + "\\b.hlp", 0)}, folder_.Path() + "\\Backup\\", progress);
    ASSERT_FALSE(report.backupFailed) << report.error;
    EXPECT_EQ(report.deleted, 0);
    EXPECT_EQ(report.failed, 1);
    EXPECT_EQ(report.machineWideFailed, 1);
    EXPECT_TRUE(RegValueExists(HKEY_LOCAL_MACHINE, kHelp, gone_));
}

TEST_F(RegistryFixLooksAgain, AStopBetweenDeletionsLeavesTheRestAsTheyWere) {
    struct StopAfterFirstDelete final : common::IProgressSink {
        common::StopSource stop;
        std::vector<std::string> stages;
        void Progress(size_t done, size_t, const std::string& stage) override {
            if (stages.empty() || stages.back() != stage) stages.push_back(stage);
            if (stage == FixStageText(registry_scan::FixStage::Deleting) && done == 1) stop.RequestStop();
        }
        void Notice(const std::string&) override {}
    } progress;
    const std::vector<registry_scan::FixRecord> records = {HelpRecord(back_, folder_.Path() + "\\a.hlp", 1),
                                                           HelpRecord(gone_, folder_.Path() + "\\b.hlp", 0)};

    const registry_scan::FixReport report =
        registry_scan::FixRecords(records, folder_.Path() + "\\Backup\\", progress, progress.stop.Token());

    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.deleted, 1);
    EXPECT_EQ(report.fixedRows, (std::vector<std::pair<int, int>>{{2, 1}}));
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, kHelp, back_));
    EXPECT_TRUE(RegValueExists(HKEY_LOCAL_MACHINE, kHelp, gone_));
    EXPECT_EQ(progress.stages, (std::vector<std::string>{"Looking at the marked errors again...",
                                                          "Saving the registry items in a backup point...",
                                                          "Deleting the registry items..."}));

    // Asked before the start, nothing is saved or deleted.
    common::StopSource early;
    early.RequestStop();
    const registry_scan::FixReport none =
        registry_scan::FixRecords(records, folder_.Path() + "\\Early\\", progress, early.Token());
    EXPECT_TRUE(none.stopped);
    EXPECT_EQ(none.deleted, 0);
    EXPECT_TRUE(none.pointFolder.empty());
    EXPECT_TRUE(RegValueExists(HKEY_LOCAL_MACHINE, kHelp, gone_));
}

}  // namespace
