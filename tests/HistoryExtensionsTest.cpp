// Internet Explorer's add-ons on the test machine: downloaded program files,
// helper objects, toolbars, buttons and other plug-ins listed and removed,
// with other add-ons' keys and files, and system-folder modules, as decoys.
#include "common/Common.h"
#include "formats/Masks.h"
#include "history/HistoryFunctions.h"
#include "history/HistorySectionTable.h"
#include "history/ExtensionHistory.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "RegSeed.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>

using namespace history;
using namespace testing_support;
namespace files = platform::files;

namespace {

const HKEY kMachine = HKEY_LOCAL_MACHINE;
const HKEY kClasses = HKEY_CLASSES_ROOT;

// Class ids no other test and no program of the machine uses.
const std::string kViewerId = "{0E5E0001-0000-4000-8000-0000000000A1}";
const std::string kPlainId = "{0E5E0002-0000-4000-8000-0000000000A2}";
const std::string kOtherId = "{0E5E0003-0000-4000-8000-0000000000A3}";
const std::string kHelperId = "{0E5E0004-0000-4000-8000-0000000000A4}";
const std::string kBarId = "{0E5E0005-0000-4000-8000-0000000000A5}";
const std::string kBareBarId = "{0E5E0006-0000-4000-8000-0000000000A6}";
const std::string kGoneBarId = "{0E5E0007-0000-4000-8000-0000000000A7}";

using Texts = std::vector<std::string>;

// Everything seeded is removed at the end of the test: keys the test made
// (those that were there before lose only the values written into them).
class AddOnMachine : public ::testing::Test {
protected:
    void SetUp() override { folder_ = std::make_unique<ScopedFolder>("extensions"); }
    void TearDown() override {
        for (const auto& [root, path, name] : values_) {
            platform::KeyHandle key;
            if (platform::reg::OpenKey(root, path, KEY_SET_VALUE, key) == ERROR_SUCCESS)
                platform::reg::DeleteValue(key.Get(), name);
        }
        keys_.reset();
        folder_.reset();
    }
    // Everything seeded goes, and the test goes on with a fresh folder.
    void Reseed() {
        TearDown();
        keys_ = std::make_unique<ScopedRegKeys>();
        values_.clear();
        SetUp();
    }

    // Marks the key for removal unless it (or a key above it) was there before.
    void Own(HKEY root, const std::string& path) {
        std::string existing = path;
        for (;;) {
            const size_t cut = existing.rfind('\\');
            if (cut == std::string::npos) break;
            if (RegKeyExists(root, existing.substr(0, cut))) break;
            existing = existing.substr(0, cut);
        }
        if (!RegKeyExists(root, existing)) keys_->Add(root, existing);
    }
    void Text(HKEY root, const std::string& path, const std::string& name, const std::string& text) {
        Own(root, path);
        if (!RegKeyExists(root, path)) keys_->Add(root, path);
        if (RegKeyExists(root, path) && !RegValueExists(root, path, name)) values_.push_back({root, path, name});
        SetRegString(root, path, name, text);
    }
    void Dword(HKEY root, const std::string& path, const std::string& name, DWORD value = 1) {
        Own(root, path);
        if (!RegKeyExists(root, path)) keys_->Add(root, path);
        values_.push_back({root, path, name});
        SetRegDword(root, path, name, value);
    }
    void Key(HKEY root, const std::string& path) {
        Own(root, path);
        if (!RegKeyExists(root, path)) keys_->Add(root, path);
        SetRawValue(root, path, "", kKeyOnly, {});
    }
    // A class: its display name and, when given, its module.
    void Class(const std::string& id, const std::string& name, const std::string& module = {}) {
        Text(kClasses, "CLSID\\" + id, "", name);
        if (!module.empty()) Text(kClasses, "CLSID\\" + id + "\\InprocServer32", "", module);
    }
    std::string File(const std::string& name) {
        const std::string path = folder_->Path() + "\\" + name;
        EXPECT_TRUE(files::WriteFileBytes(path, "MZ")) << path;
        return path;
    }
    // A file of the Windows or system folder, removed at the end.
    const std::string& SystemFile(const std::string& path) {
        systemFiles_.push_back(std::make_unique<ScopedFile>(path, "MZ"));
        return systemFiles_.back()->Path();
    }

    std::unique_ptr<ScopedFolder> folder_;
    std::unique_ptr<ScopedRegKeys> keys_ = std::make_unique<ScopedRegKeys>();
    std::vector<std::tuple<HKEY, std::string, std::string>> values_;
    std::vector<std::unique_ptr<ScopedFile>> systemFiles_;
};

std::string Unit(const std::string& name) { return std::string(kDistributionUnitsKey) + "\\" + name; }
std::string Helper(const std::string& name) { return std::string(kBrowserHelperObjectsKey) + "\\" + name; }
std::string Extension(const std::string& name) { return std::string(kExtensionsKey) + "\\" + name; }
std::string Uninstall(const std::string& name) { return std::string(kUninstallKey) + "\\" + name; }
std::string Module(const std::string& name) { return std::string(kModuleUsageKey) + "\\" + name; }
const std::string kSharedDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

std::string ExpandedProgramFiles() {
    char buffer[MAX_PATH] = {};
    ExpandEnvironmentStringsA("%ProgramFiles%", buffer, MAX_PATH);
    return buffer;
}

std::string Slashed(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// A shared-DLL count, or nothing when the value is gone.
std::optional<DWORD> SharedCount(const std::string& path) {
    platform::KeyHandle key;
    platform::reg::RawValue value;
    if (platform::reg::OpenKey(kMachine, kSharedDlls, KEY_READ, key) != ERROR_SUCCESS ||
        platform::reg::QueryRawValue(key.Get(), path, value) != ERROR_SUCCESS || value.data.size() != 4)
        return std::nullopt;
    DWORD count = 0;
    std::copy(value.data.begin(), value.data.end(), reinterpret_cast<BYTE*>(&count));
    return count;
}

// A drive letter the test machine has no drive for.
std::string UnmountedDrive() {
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Y'; letter > 'D'; --letter)
        if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
    return {};
}

bool Exists(const std::string& path) { return files::FileExists(path); }

// The rows a lister gives whose source is one of ours (the machine may hold others).
std::vector<HistoryRow> Ours(const std::vector<HistoryRow>& rows, const Texts& sources) {
    std::vector<HistoryRow> ours;
    for (const HistoryRow& row : rows)
        if (std::find(sources.begin(), sources.end(), row.source) != sources.end()) ours.push_back(row);
    return ours;
}

std::vector<HistoryRow> Listed(void (*lister)(IHistorySink&, const std::string&, common::StopToken),
                               const std::string& mask, const Texts& sources) {
    HistoryRowList list;
    lister(list, mask, {});
    return Ours(list.rows, sources);
}

std::vector<HistoryRow> Listed(void (*lister)(IHistorySink&), const Texts& sources) {
    HistoryRowList list;
    lister(list);
    return Ours(list.rows, sources);
}

std::string Shown(const std::vector<HistoryRow>& rows) {
    std::string text;
    for (const HistoryRow& row : rows) {
        text += row.caption;
        for (const std::string& value : row.subItems) text += " | " + value;
        text += "\n";
    }
    return text;
}

const HistoryRow* RowWithSource(const std::vector<HistoryRow>& rows, const std::string& source) {
    for (const HistoryRow& row : rows)
        if (row.source == source) return &row;
    return nullptr;
}

// ---- the class id shape ----------------------------------------------------------

TEST(AddOnClassIds, ShapeIsTheWildcardPattern) {
    const struct {
        const char* text;
        bool shaped;
    } cases[] = {
        {"{0E5E0001-0000-4000-8000-0000000000A1}", true},
        {"{zzzzzzzz-zzzz-zzzz-zzzz-zzzzzzzzzzzz}", true},  // any character will do
        {"{0e5e0001-0000-4000-8000-0000000000a1}", true},
        {"0E5E0001-0000-4000-8000-0000000000A1", false},
        {"{0E5E0001-0000-4000-8000-0000000000A1", false},
        {"{0E5E0001-0000-4000-8000-0000000000A1} ", false},
        {"{0E5E0001-0000-4000-8000-0000000000A}", false},
        {"{0E5E0001_0000-4000-8000-0000000000A1}", false},
        {"", false},
        {"Orv Plain Unit", false},
    };
    for (const auto& c : cases) EXPECT_EQ(HasClassIdShape(c.text), c.shaped) << c.text;
}

// ---- downloaded program files --------------------------------------------------------

TEST_F(AddOnMachine, DownloadedProgramFilesListByDisplayNameWithAndWithoutMask) {
    Key(kMachine, Unit(kViewerId));
    Class(kViewerId, "Orv Ext Viewer Control");
    Key(kMachine, Unit("Orv Plain Unit"));
    Key(kMachine, Unit(kPlainId));  // no class key: listed under its own name
    Key(kMachine, Unit("Orv Named Unit"));
    Class("Orv Named Unit", "Orv Shown Elsewhere");  // a class key that bears a plain unit's name
    Key(kMachine, Unit(kOtherId));
    Dword(kClasses, "CLSID\\" + kOtherId, "");  // a display name that is no string counts as none
    const Texts ours = {kViewerId, "Orv Plain Unit", kPlainId, "Orv Named Unit", kOtherId};

    const std::vector<HistoryRow> all = Listed(ListDownloadedProgramFiles, "*", ours);
    ASSERT_EQ(all.size(), 5u) << Shown(all);
    const std::map<std::string, std::pair<std::string, std::string>> expected = {
        {kViewerId, {"Orv Ext Viewer Control", kViewerId}},
        {"Orv Plain Unit", {"Orv Plain Unit", ""}},
        {kPlainId, {kPlainId, kPlainId}},
        {"Orv Named Unit", {"Orv Shown Elsewhere", ""}},
        {kOtherId, {"", kOtherId}},
    };
    for (const auto& [source, shown] : expected) {
        const HistoryRow* row = RowWithSource(all, source);
        ASSERT_NE(row, nullptr) << source;
        EXPECT_EQ(row->caption, shown.first) << source;
        EXPECT_EQ(row->subItems, Texts{shown.second}) << source;
    }
    const struct {
        const char* mask;
        Texts sources;
    } masks[] = {
        {"*viewer*", {kViewerId}},
        {"orv plain unit", {"Orv Plain Unit"}},  // the whole caption, case aside
        {"Orv Plain", {}},
        {"*elsewhere", {"Orv Named Unit"}},  // the display name is tested, not the unit's name
        {"{*", {kPlainId}},
    };
    for (const auto& c : masks) {
        Texts sources;
        for (const HistoryRow& row : Listed(ListDownloadedProgramFiles, c.mask, ours)) sources.push_back(row.source);
        EXPECT_EQ(sources, c.sources) << c.mask;
    }
    HistoryRowList list;
    EXPECT_THROW(ListDownloadedProgramFiles(list, "[", {}), MaskError);
}

TEST_F(AddOnMachine, DownloadedProgramFileOfAClassGoesEverywhereAndSparesDecoys) {
    const std::string control = File("viewer.ocx"), inf = File("viewer.inf"), listed = File("viewer helper.dll");
    const std::string module = File("viewer module.dll"), otherFile = File("other add-on.dll");
    const std::string systemDll = SystemFile(SystemDirectory() + "orvext shared.dll");
    const std::string windowsFile = SystemFile(WithTrailingSeparator(WindowsDirectory()) + "orvext viewer.inf");
    const std::string unit = Unit(kViewerId);
    Text(kMachine, unit + "\\Contains\\Files", control, "");
    Text(kMachine, unit + "\\Contains\\Files", systemDll, "");
    Text(kMachine, unit + "\\DownloadInformation", "INF", inf);
    Text(kMachine, unit + "\\DownloadInformation", "OSD", windowsFile);
    Text(kMachine, unit + "\\DownloadInformation", "CODEBASE", "http://orvext.example/viewer.cab");
    Dword(kMachine, unit + "\\InstalledVersion", "Count");
    Class(kViewerId, "Orv Ext Viewer Control", module);
    Text(kClasses, "OrvExt.Viewer\\CLSID", "", kViewerId);
    Text(kClasses, "OrvExt.Viewer.1\\CLSID", "", kViewerId);
    Text(kClasses, "OrvExt.Other\\CLSID", "", kOtherId);                 // another class
    Text(kClasses, "OrvExt.Lower\\CLSID", "", "{0e5e0001-0000-4000-8000-0000000000a1}");  // case counts
    // The machine's classes are where the classes root keeps them (on Wine, the same keys).
    Text(kMachine, "SOFTWARE\\Classes\\OrvExt.MachineViewer\\CLSID", "", kViewerId);
    Key(kMachine, std::string(kInstalledComponentsKey) + "\\" + kViewerId);
    Key(kMachine, std::string(kInstalledComponentsKey) + "\\" + kOtherId);
    std::string listedName = listed;  // module usage names hold "/" for "\\"
    std::replace(listedName.begin(), listedName.end(), '\\', '/');
    Text(kMachine, Module(listedName), ".Owner", kViewerId);
    std::string otherName = otherFile;
    std::replace(otherName.begin(), otherName.end(), '\\', '/');
    Dword(kMachine, Module(otherName), kOtherId);
    Text(kMachine, kToolbarsKey, kViewerId, "");
    Text(kMachine, kToolbarsKey, kOtherId, "");
    Text(HKEY_CURRENT_USER, kUserToolbarsKey, kViewerId, "");
    Text(HKEY_CURRENT_USER, kUserToolbarsKey, kOtherId, "");
    Key(kMachine, Helper(kViewerId));
    Key(kMachine, Helper(kOtherId));
    const std::string sharedDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    Dword(kMachine, sharedDlls, control);
    Dword(kMachine, sharedDlls, otherFile);

    const std::vector<HistoryRow> rows = Listed(ListDownloadedProgramFiles, "*", {kViewerId});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(DeleteDownloadedProgramFile(rows[0]), 0);

    for (const std::string& gone : {unit, "CLSID\\" + kViewerId, std::string("OrvExt.Viewer"),
                                    std::string("OrvExt.Viewer.1")})
        EXPECT_FALSE(RegKeyExists(gone == unit ? kMachine : kClasses, gone)) << gone;
    EXPECT_FALSE(RegKeyExists(kMachine, "SOFTWARE\\Classes\\CLSID\\" + kViewerId));
    EXPECT_FALSE(RegKeyExists(kMachine, "SOFTWARE\\Classes\\OrvExt.MachineViewer"));
    EXPECT_FALSE(RegKeyExists(kMachine, std::string(kInstalledComponentsKey) + "\\" + kViewerId));
    EXPECT_FALSE(RegKeyExists(kMachine, Module(listedName)));
    EXPECT_FALSE(RegValueExists(kMachine, kToolbarsKey, kViewerId));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, kUserToolbarsKey, kViewerId));
    EXPECT_FALSE(RegKeyExists(kMachine, Helper(kViewerId)));
    EXPECT_FALSE(RegValueExists(kMachine, sharedDlls, control));  // its file went
    for (const std::string& file : {control, inf, listed, module}) EXPECT_FALSE(Exists(file)) << file;

    EXPECT_TRUE(RegKeyExists(kClasses, "OrvExt.Other"));
    EXPECT_TRUE(RegKeyExists(kClasses, "OrvExt.Lower"));
    EXPECT_TRUE(RegKeyExists(kMachine, std::string(kInstalledComponentsKey) + "\\" + kOtherId));
    EXPECT_TRUE(RegKeyExists(kMachine, Module(otherName)));
    EXPECT_TRUE(RegValueExists(kMachine, kToolbarsKey, kOtherId));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, kUserToolbarsKey, kOtherId));
    EXPECT_TRUE(RegKeyExists(kMachine, Helper(kOtherId)));
    EXPECT_TRUE(RegValueExists(kMachine, sharedDlls, otherFile));
    for (const std::string& file : {otherFile, systemDll, windowsFile}) EXPECT_TRUE(Exists(file)) << file;
}

TEST_F(AddOnMachine, DownloadedProgramFileWithoutAClassIdRemovesOnlyItsUnit) {
    const std::string file = File("named unit.dll");
    Text(kMachine, Unit("Orv Named Unit") + "\\Contains\\Files", file, "");
    Class("Orv Named Unit", "Orv Shown Elsewhere");
    Key(kMachine, Unit("Orv Shown Elsewhere"));  // a unit named like the caption: not this row's
    const std::vector<HistoryRow> rows = Listed(ListDownloadedProgramFiles, "*", {"Orv Named Unit"});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].caption, "Orv Shown Elsewhere");
    EXPECT_EQ(DeleteDownloadedProgramFile(rows[0]), 0);
    EXPECT_FALSE(RegKeyExists(kMachine, Unit("Orv Named Unit")));
    EXPECT_FALSE(Exists(file));
    EXPECT_TRUE(RegKeyExists(kMachine, Unit("Orv Shown Elsewhere")));
    EXPECT_TRUE(RegKeyExists(kClasses, "CLSID\\Orv Named Unit"));
    // A row without sub-values touches nothing.
    Key(kMachine, Unit("Orv Left Unit"));
    EXPECT_EQ(DeleteDownloadedProgramFile(HistoryRow{"Orv Left Unit", {}, "Orv Left Unit"}), 0);
    EXPECT_TRUE(RegKeyExists(kMachine, Unit("Orv Left Unit")));
}

// Module usage keys cannot name a file with "\": their names are "C:/..."
// paths or bare names. A module of the system folder named so stays, as the
// same module named with "\" does, whatever the current folder is.
TEST_F(AddOnMachine, SystemFolderModulesOfARemovedAddOnStayByAnyName) {
    const std::string system = SystemDirectory();
    const std::string slashed = SystemFile(system + "orvext slashed.dll");
    const std::string bare = SystemFile(system + "orvext bare.dll");
    const std::string own = File("own module.dll");
    std::string slashedName = slashed, ownName = own;
    std::replace(slashedName.begin(), slashedName.end(), '\\', '/');
    std::replace(ownName.begin(), ownName.end(), '\\', '/');
    Text(kMachine, Module(slashedName), ".Owner", kPlainId);
    Text(kMachine, Module("orvext bare.dll"), ".Owner", kPlainId);
    Dword(kMachine, Module(ownName), kPlainId);
    Key(kMachine, Unit(kPlainId));

    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(system.c_str());
    EXPECT_EQ(DeleteDownloadedProgramFile(HistoryRow{kPlainId, {kPlainId}, kPlainId}), 0);
    SetCurrentDirectoryA(previous);

    EXPECT_TRUE(Exists(slashed));
    EXPECT_TRUE(Exists(bare));
    EXPECT_FALSE(Exists(own));  // a full path outside the system folders goes, "/" or not
    for (const std::string& name : {slashedName, std::string("orvext bare.dll"), ownName})
        EXPECT_FALSE(RegKeyExists(kMachine, Module(name))) << name;
}

TEST_F(AddOnMachine, AddOnFilesAreDeletedOnlyByFullPathsOutsideTheSystemFolders) {
    const std::string windows = WindowsDirectory();
    const std::string system = SystemDirectory();
    const std::string inSystem = SystemFile(system + "orvext kept.dll");
    const std::string inWindows = SystemFile(WithTrailingSeparator(windows) + "orvext kept.ini");
    std::string upper = inSystem;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    std::string forward = inSystem;
    std::replace(forward.begin(), forward.end(), '\\', '/');
    const std::string detour = folder_->Path() + "\\..\\..\\" + inSystem.substr(3);
    const struct {
        std::string path;
        bool deleted;
    } cases[] = {
        {inSystem, false},
        {inWindows, false},
        {upper, false},
        {forward, false},
        {detour, false},  // ".." leads back into the system folder
        {"orvext kept.dll", false},
        {".\\orvext kept.dll", false},
        {"\\\\?\\" + inSystem, false},
        {std::string(inSystem).append(1, '\0').append("x"), false},
        {folder_->Path() + "\\missing.dll", false},
        {"", false},
    };
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(system.c_str());
    for (const auto& c : cases) EXPECT_EQ(DeleteAddOnFile(c.path), c.deleted) << c.path;
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(Exists(inSystem));
    EXPECT_TRUE(Exists(inWindows));

    const std::string own = File("own.dll"), ownSlashed = File("own slashed.dll");
    std::string slashed = ownSlashed;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    EXPECT_TRUE(DeleteAddOnFile(own));
    EXPECT_TRUE(DeleteAddOnFile(slashed));
    EXPECT_FALSE(Exists(own));
    EXPECT_FALSE(Exists(ownSlashed));
}

// A file of an add-on that is a link to a system-folder file: Wine deletes
// what a link leads to, so the link's own path must not decide alone.
TEST_F(AddOnMachine, AnAddOnFileLinkedIntoTheSystemFolderLeavesTheTargetAlone) {
    const std::string target = SystemFile(SystemDirectory() + "orvext linked.dll");
    ScopedUnixLink link(folder_->Path() + "\\linked.dll", target);
    if (!link.Made()) GTEST_SKIP() << "no Unix link could be made here";
    std::string slashed = folder_->Path() + "\\linked.dll";
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    Text(kMachine, Module(slashed), ".Owner", kPlainId);
    EXPECT_EQ(DeleteDownloadedProgramFile(HistoryRow{kPlainId, {kPlainId}, kPlainId}), 0);
    EXPECT_TRUE(Exists(target));
    EXPECT_FALSE(RegKeyExists(kMachine, Module(slashed)));
}

// The same with a link to a user's file in a folder of no add-on: the file
// really lies elsewhere, so only the add-on's own files go.
TEST_F(AddOnMachine, AnAddOnFileLinkedToAFileElsewhereLeavesTheTargetAlone) {
    ScopedFolder elsewhere("history-ext-elsewhere");
    const std::string target = elsewhere.Path() + "\\letter.doc";
    ASSERT_TRUE(files::WriteFileBytes(target, "a user's letter"));
    ScopedUnixLink link(folder_->Path() + "\\letter link.dll", target);
    if (!link.Made()) GTEST_SKIP() << "no Unix link could be made here";
    const std::string own = File("own beside the link.dll");
    EXPECT_FALSE(DeleteAddOnFile(folder_->Path() + "\\letter link.dll"));
    EXPECT_TRUE(Exists(target));
    EXPECT_TRUE(DeleteAddOnFile(own));
    EXPECT_FALSE(Exists(own));
}

// An empty name, or one holding a separator, would reach a parent key or a
// deeper one; every step leaves such keys alone.
TEST_F(AddOnMachine, NamesThatAreNoSingleKeyReachNothing) {
    const std::string unit = Unit("Orv Kept Unit") + "\\Sub";
    const std::string component = std::string(kInstalledComponentsKey) + "\\Orv Kept\\Sub";
    Key(kMachine, unit);
    Key(kMachine, component);
    Text(kMachine, Module("orv kept.dll"), "", "");  // a default value holding nothing
    Text(kClasses, "CLSID\\Orv Kept\\Sub", "", "");
    Text(kClasses, "OrvExt.Empty\\CLSID", "", "");
    AddOnReferences references = AddOnReferences::Read();
    for (const std::string& name : {std::string(), std::string("Orv Kept Unit\\Sub"), std::string("Orv Kept\\Sub")}) {
        RemoveDistributionUnit(name, references);
        RemoveClassRegistration(name, references);
        RemoveProgramIdentifiers(name);
        RemoveMachineClassRegistration(name, references);
        RemoveMachineProgramIdentifiers(name);
        RemoveInstalledComponent(name);
        RemoveModuleUsage(name, references);
    }
    EXPECT_TRUE(RegKeyExists(kMachine, unit));
    EXPECT_TRUE(RegKeyExists(kMachine, component));
    EXPECT_TRUE(RegKeyExists(kMachine, Module("orv kept.dll")));
    EXPECT_TRUE(RegKeyExists(kClasses, "CLSID\\Orv Kept\\Sub"));
    EXPECT_TRUE(RegKeyExists(kClasses, "OrvExt.Empty"));
}

// ---- browser helper objects --------------------------------------------------------

TEST_F(AddOnMachine, HelperObjectsListAndDeleteByClassIdOnly) {
    const std::string module = File("helper.dll");
    const std::string systemModule = SystemFile(SystemDirectory() + "orvext helper.dll");
    Key(kMachine, Helper(kHelperId));
    Class(kHelperId, "Orv Link Helper", module);
    Text(kClasses, "OrvExt.LinkHelper\\CLSID", "", kHelperId);
    Text(kClasses, "OrvExt.Other\\CLSID", "", kOtherId);
    Key(kMachine, Helper(kOtherId));
    Class(kOtherId, "Orv Other Helper", systemModule);
    Key(kMachine, Helper("Orv Plain Helper"));
    const Texts ours = {kHelperId, kOtherId, "Orv Plain Helper"};

    const std::vector<HistoryRow> rows = Listed(ListBrowserHelperObjects, "*", ours);
    ASSERT_EQ(rows.size(), 3u) << Shown(rows);
    EXPECT_EQ(RowWithSource(rows, kHelperId)->caption, "Orv Link Helper");
    EXPECT_EQ(RowWithSource(rows, kHelperId)->subItems, Texts{kHelperId});
    EXPECT_EQ(RowWithSource(rows, "Orv Plain Helper")->caption, "Orv Plain Helper");
    EXPECT_EQ(RowWithSource(rows, "Orv Plain Helper")->subItems, Texts{""});
    EXPECT_EQ(Listed(ListBrowserHelperObjects, "*link*", ours).size(), 1u);
    EXPECT_TRUE(Listed(ListBrowserHelperObjects, "link", ours).empty());

    // No class id: the row cannot be cleared and nothing is touched.
    EXPECT_EQ(DeleteBrowserHelperObject(*RowWithSource(rows, "Orv Plain Helper")), 5000);
    EXPECT_TRUE(RegKeyExists(kMachine, Helper("Orv Plain Helper")));
    EXPECT_EQ(DeleteBrowserHelperObject(HistoryRow{"x", {}, {}}), 0);

    EXPECT_EQ(DeleteBrowserHelperObject(*RowWithSource(rows, kHelperId)), 0);
    EXPECT_FALSE(RegKeyExists(kMachine, Helper(kHelperId)));
    EXPECT_FALSE(RegKeyExists(kClasses, "CLSID\\" + kHelperId));
    EXPECT_FALSE(RegKeyExists(kClasses, "OrvExt.LinkHelper"));
    EXPECT_FALSE(Exists(module));
    EXPECT_TRUE(RegKeyExists(kClasses, "OrvExt.Other"));
    EXPECT_TRUE(RegKeyExists(kMachine, Helper(kOtherId)));

    // The system folder's module of a removed helper stays.
    EXPECT_EQ(DeleteBrowserHelperObject(*RowWithSource(rows, kOtherId)), 0);
    EXPECT_FALSE(RegKeyExists(kClasses, "CLSID\\" + kOtherId));
    EXPECT_TRUE(Exists(systemModule));
}

TEST_F(AddOnMachine, DeleteAllOfTheClassSectionsWalksTheListedRowsAndStops) {
    Key(kMachine, Helper(kHelperId));
    Key(kMachine, Helper(kOtherId));
    Key(kMachine, Helper("Orv Plain Helper"));
    const HistorySectionRow& row = HistorySectionRowOf(hsBrowserHelperObjects);
    const std::vector<HistoryRow> rows =
        Listed(ListBrowserHelperObjects, "*", {kHelperId, kOtherId, "Orv Plain Helper"});
    ASSERT_EQ(rows.size(), 3u);
    common::NoProgress progress;
    {
        common::StopSource stopped;
        stopped.RequestStop();
        const HistoryDeleteAllResult result = row.deleteAll(rows, "*", progress, stopped.Token());
        EXPECT_TRUE(result.stopped);
        EXPECT_TRUE(RegKeyExists(kMachine, Helper(kHelperId)));
    }
    // The row without a class id stays, and the whole run still reports 0.
    const HistoryDeleteAllResult result = row.deleteAll(rows, "*", progress, {});
    EXPECT_EQ(result.code, 0);
    EXPECT_FALSE(RegKeyExists(kMachine, Helper(kHelperId)));
    EXPECT_FALSE(RegKeyExists(kMachine, Helper(kOtherId)));
    EXPECT_TRUE(RegKeyExists(kMachine, Helper("Orv Plain Helper")));

    Key(kMachine, Unit(kViewerId));
    Key(kMachine, Unit("Orv Plain Unit"));
    Key(kMachine, Unit("Orv Kept Unit"));
    const std::vector<HistoryRow> units = Listed(ListDownloadedProgramFiles, "*", {kViewerId, "Orv Plain Unit"});
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(HistorySectionRowOf(hsDownloadedProgramFiles).deleteAll(units, "*", progress, {}).code, 0);
    EXPECT_FALSE(RegKeyExists(kMachine, Unit(kViewerId)));
    EXPECT_FALSE(RegKeyExists(kMachine, Unit("Orv Plain Unit")));
    EXPECT_TRUE(RegKeyExists(kMachine, Unit("Orv Kept Unit")));
}

// ---- toolbars ---------------------------------------------------------------------------

TEST_F(AddOnMachine, ToolbarsWithAClassKeyAreListedWithoutTheirAmpersand) {
    Text(kMachine, kToolbarsKey, kBarId, "");
    Class(kBarId, "&Orv Search Bar", "C:\\Program Files\\Orv Bar\\bar.dll");
    Text(kMachine, kToolbarsKey, kBareBarId, "");
    Class(kBareBarId, "Orv && Bare Bar");
    Dword(kMachine, kToolbarsKey, kGoneBarId);  // no class key: not listed
    Text(kMachine, kToolbarsKey, kOtherId, "");
    Dword(kClasses, "CLSID\\" + kOtherId, "");  // a display name that is no string: blank
    Text(kMachine, kToolbarsKey, "CLSID\\" + kBarId, "");  // names below a class key: no toolbar
    const std::vector<HistoryRow> rows =
        Listed(ListToolbars, {kBarId, kBareBarId, kGoneBarId, kOtherId, "CLSID\\" + kBarId});
    ASSERT_EQ(rows.size(), 3u) << Shown(rows);
    EXPECT_EQ(RowWithSource(rows, kBarId)->caption, "Orv Search Bar");
    EXPECT_EQ(RowWithSource(rows, kBarId)->subItems, (Texts{"C:\\Program Files\\Orv Bar\\bar.dll", kBarId}));
    EXPECT_EQ(RowWithSource(rows, kBareBarId)->caption, "Orv && Bare Bar");
    EXPECT_EQ(RowWithSource(rows, kBareBarId)->subItems, (Texts{kInfoNotAvailable, kBareBarId}));
    EXPECT_EQ(RowWithSource(rows, kOtherId)->caption, "");
    const HistorySectionRow& row = HistorySectionRowOf(hsToolbars);
    EXPECT_FALSE(row.takesMask);
    EXPECT_FALSE(row.deleteAll);
}

TEST_F(AddOnMachine, ToolbarUninstallerLookup) {
    const std::string barFolder = folder_->Path() + "\\Orv Bar";
    Text(kMachine, Uninstall("{0e5e0005-0000-4000-8000-0000000000a5}"), "UninstallString", "by class id");
    Text(kMachine, Uninstall("Orv Bar Setup"), "DisplayName", "orv search bar");
    Text(kMachine, Uninstall("Orv Bar Setup"), "UninstallString", "by display name");
    Text(kMachine, Uninstall("Orv Bar Folder"), "InstallLocation", "\"" + Slashed(barFolder) + "\\\"");
    Text(kMachine, Uninstall("Orv Bar Folder"), "UninstallString", "by folder");
    Text(kMachine, Uninstall("Orv Everything"), "InstallLocation", ExpandedProgramFiles());
    Text(kMachine, Uninstall("Orv Everything"), "UninstallString", "shared folder");
    const std::string roaming = platform::files::ExpandEnvironment("%APPDATA%");
    Text(kMachine, Uninstall("Orv Roaming"), "InstallLocation", roaming);
    Text(kMachine, Uninstall("Orv Roaming"), "UninstallString", "user folder");
    Text(kMachine, Uninstall(kGoneBarId), "DisplayName", "Orv Gone Bar");  // named so, without a command
    Text(kMachine, Uninstall("Alexa Toolbar"), "UninstallString", "alexa entry");
    Text(kMachine, Uninstall("Yahoo! Companion"), "UninstallString", "yahoo entry");
    Text(kMachine, Uninstall("Orv Yahoo"), "DisplayName", "Yahoo! Toolbar");
    Text(kMachine, Uninstall("Orv Yahoo"), "UninstallString", "yahoo by name");
    Text(kMachine, Uninstall("Orv Gone Setup"), "DisplayName", "Orv Gone Bar");
    Text(kMachine, Uninstall("Orv Gone Setup"), "UninstallString", "gone by name");
    const std::string inBarFolder = barFolder + "\\bin\\bar.dll";
    const std::string inProgramFiles = ExpandedProgramFiles() + "\\Orv Other\\bar.dll";
    const struct {
        std::string classId, displayName, module, command;
    } cases[] = {
        {kBarId, "Orv Search Bar", inBarFolder, "by class id"},  // before the folder, case aside
        {kOtherId, "Orv Search Bar", kInfoNotAvailable, ""},  // the display name alone is no uninstaller
        {kOtherId, "Orv Search Bar", inBarFolder, "by folder"},
        {kOtherId, "Orv Search Bar", CaptionKey(barFolder) + "\\BAR.DLL", "by folder"},
        {kOtherId, "Orv Search Bar", barFolder + " Two\\bar.dll", ""},  // a sibling folder is no match
        {kOtherId, "Orv Search Bar", inProgramFiles, ""},  // a folder every program shares
        {kOtherId, "Orv Search Bar", roaming + "\\Orv Other\\bar.dll", ""},  // one every program of the user shares
        {kGoneBarId, "Orv Gone Bar", kInfoNotAvailable, ""},  // its own entry has no command
        {kBarId, "Alexa", inBarFolder, "alexa entry"},  // the known entries win over the class id
        {kOtherId, "alexa", kInfoNotAvailable, ""},     // and are named exactly
        {kOtherId, "Yahoo! Toolbar", kInfoNotAvailable, "yahoo entry"},
        {"", "", "", ""},
    };
    const HistorySectionRow& row = HistorySectionRowOf(hsToolbars);
    for (const auto& c : cases)
        EXPECT_EQ(row.uninstallCommand(HistoryRow{c.displayName, {c.module, c.classId}, c.classId}), c.command)
            << c.classId << " " << c.displayName << " " << c.module;
    EXPECT_EQ(row.uninstallCommand(HistoryRow{"Orv Search Bar", {}, {}}), "");
}

// The toolbar's Delete runs its uninstaller: here the helper program under
// a name of its own, found running by its path.
TEST_F(AddOnMachine, ToolbarDeleteRunsTheUninstallerFoundAgain) {
    const std::string program = CopyHelper("orvhelper.exe", folder_->Path(), "orv bar uninstall.exe");
    Text(kMachine, kToolbarsKey, kBarId, "");
    Class(kBarId, "&Orv Search Bar");
    Text(kMachine, Uninstall(kBarId), "UninstallString", "\"" + program + "\" 120");
    const std::vector<HistoryRow> rows = Listed(ListToolbars, {kBarId});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(HistorySectionRowOf(hsToolbars).deleteOne(rows[0]), 0);
    DWORD started = 0;
    for (int attempt = 0; attempt < kProcessWaitSteps && started == 0; ++attempt) {
        for (const auto& process : platform::processes::SnapshotProcesses())
            if (SameCaption(MainModulePath(process.id), program)) started = process.id;
        if (started == 0) Sleep(kProcessWaitStep);
    }
    ASSERT_NE(started, 0u);
    platform::processes::TerminateProcessById(started);
    platform::processes::WaitForProcessEnd(started, 5000);
    EXPECT_TRUE(RegKeyExists(kClasses, "CLSID\\" + kBarId));  // the uninstaller's job, not ours

    // A command that cannot be started names the row; none known does nothing.
    Text(kMachine, Uninstall(kBarId), "UninstallString", "\"" + folder_->Path() + "\\missing.exe\"");
    EXPECT_EQ(UninstallToolbar(rows[0]), static_cast<int>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(UninstallToolbar(HistoryRow{"Orv Nobody", {kInfoNotAvailable, kOtherId}, kOtherId}), 0);
}

// ---- buttons and other plug-ins --------------------------------------------------------

class ExtensionKeys : public AddOnMachine {
protected:
    void SetUp() override {
        AddOnMachine::SetUp();
        struct Seed {
            std::string key;
            std::vector<std::pair<std::string, std::string>> texts;
            std::vector<std::string> dwords;
        };
        const Seed seeds[] = {
            {"Orv Btn 1", {{"ButtonText", "Orv Btn"}, {"Default Visible", "Yes"}, {"Exec", "C:\\orv\\a.exe"}}, {}},
            {"Orv Btn 2", {{"ButtonText", "Orv Btn"}, {"Default Visible", "No"}, {"Script", "C:\\orv\\b.htm"}}, {}},
            {"Orv Btn 3",
             {{"ButtonText", "orv btn"}, {"Default Visible", "Yes"}, {"Exec", "c.exe"}, {"Script", "c.htm"}},
             {}},
            {"Orv Plug 1", {{"ButtonText", "Orv Btn Plain"}, {"Exec", "d.exe"}}, {}},  // no Default Visible
            {"Orv Plug 2", {{"MenuText", "Orv Menu Item"}, {"Script", "e.htm"}}, {}},
            {"Orv Plug 3", {}, {"Flags"}},
            {"Orv Plug 4", {{"Default Visible", "Yes"}, {"Exec", "f.exe"}}, {"ButtonText"}},  // text no string
            {"Orv Plug 5", {{"ButtonText", "Orv Btn Plain 2"}, {"MenuText", "Orv Btn Plain"}}, {}},
            {"Ünï {Plug} * ?",
             {{"ButtonText", "Orv Ünï \\ * ? [x]"}, {"Default Visible", "Yes"}, {"Exec", "g.exe"}},
             {}},
            {"Orv Plug 6", {{"MenuText", "Orv Ünï \\ * ? [x]"}}, {}},
            {"Orv Btn 4", {{"ButtonText", "Orv Btn Numbered"}, {"Exec", "h.exe"}}, {"Default Visible"}},
        };
        for (const Seed& seed : seeds) {
            Key(kMachine, Extension(seed.key));
            for (const auto& [name, text] : seed.texts) Text(kMachine, Extension(seed.key), name, text);
            for (const std::string& name : seed.dwords) Dword(kMachine, Extension(seed.key), name);
            ours_.push_back(seed.key);
        }
    }
    Texts Keys() {
        Texts present;
        for (const std::string& key : ours_)
            if (RegKeyExists(kMachine, Extension(key))) present.push_back(key);
        return present;
    }
    Texts ours_;
};

TEST_F(ExtensionKeys, ButtonsAndOtherPluginsFollowTheButtonRule) {
    const std::vector<HistoryRow> buttons = Listed(ListButtons, ours_);
    const std::vector<HistoryRow> plugins = Listed(ListOtherPlugins, ours_);
    const std::map<std::string, Texts> expectedButtons = {
        {"Orv Btn 1", {"Orv Btn", "C:\\orv\\a.exe"}},
        {"Orv Btn 2", {"Orv Btn", "C:\\orv\\b.htm"}},
        {"Orv Btn 3", {"orv btn", "c.exe"}},
        {"Ünï {Plug} * ?", {"Orv Ünï \\ * ? [x]", "g.exe"}},
        {"Orv Btn 4", {"Orv Btn Numbered", "h.exe"}},  // "Default Visible" a number: there all the same
    };
    const std::map<std::string, Texts> expectedPlugins = {
        {"Orv Plug 1", {"Orv Btn Plain", "d.exe"}},
        {"Orv Plug 2", {"Orv Menu Item", "e.htm"}},
        {"Orv Plug 3", {"CLSID = Orv Plug 3", kInfoNotAvailable}},
        {"Orv Plug 4", {"CLSID = Orv Plug 4", "f.exe"}},
        {"Orv Plug 5", {"Orv Btn Plain 2", kInfoNotAvailable}},
        {"Orv Plug 6", {"Orv Ünï \\ * ? [x]", kInfoNotAvailable}},
    };
    for (const auto& [listed, expected] :
         {std::pair{&buttons, &expectedButtons}, std::pair{&plugins, &expectedPlugins}}) {
        ASSERT_EQ(listed->size(), expected->size()) << Shown(*listed);
        for (const auto& [key, shown] : *expected) {
            const HistoryRow* row = RowWithSource(*listed, key);
            ASSERT_NE(row, nullptr) << key;
            EXPECT_EQ(row->caption, shown[0]) << key;
            EXPECT_EQ(row->subItems, (Texts{shown[1], key})) << key;
        }
    }
    for (int section : {hsButtons, hsOtherPlugins}) {
        EXPECT_FALSE(HistorySectionRowOf(section).takesMask);
        EXPECT_EQ(HistorySectionRowOf(section).deleteAllQuestion, "");
    }
}

// Delete takes the row's own key, and only while it still holds the
// caption shown and passes its section's rule.
TEST_F(ExtensionKeys, DeleteTakesTheRowsOwnKeyWhileItIsAsListed) {
    const struct {
        int section;
        std::string key;
        std::string caption;
        bool goes;
    } cases[] = {
        {hsButtons, "Orv Btn 1", "Orv Btn", true},  // "Orv Btn 2" has the same caption and stays
        {hsButtons, "Orv Btn 3", "Orv Btn", false},  // its caption is "orv btn": changed since listed
        {hsButtons, "Orv Plug 1", "Orv Btn Plain", false},  // a plug-in is no button
        {hsOtherPlugins, "Orv Plug 5", "Orv Btn Plain", false},  // its menu text, not its caption
        {hsOtherPlugins, "Orv Plug 1", "Orv Btn Plain", true},
        {hsOtherPlugins, "Orv Btn 4", "Orv Btn Numbered", false},  // a button is no plug-in
        {hsOtherPlugins, "Orv Plug 3", "CLSID = Orv Plug 3", true},
        {hsOtherPlugins, "Orv Plug 6", "Orv Ünï \\ * ? [x]", true},
        {hsButtons, "Ünï {Plug} * ?", "Orv Ünï \\ * ? [x]", true},
        {hsButtons, "Orv Btn 2\\..", "Orv Btn", false},  // no single key
        {hsButtons, "", "Orv Btn", false},
    };
    Texts present = Keys();
    for (const auto& c : cases) {
        EXPECT_EQ(HistorySectionRowOf(c.section).deleteOne(HistoryRow{c.caption, {"", c.key}, c.key}), 0);
        if (c.goes) present.erase(std::find(present.begin(), present.end(), c.key));
        EXPECT_EQ(Keys(), present) << c.key;
    }
}

TEST_F(ExtensionKeys, DeleteAllRemovesTheListedItemsOneByOne) {
    common::NoProgress progress;
    const std::vector<HistoryRow> plugins = Listed(ListOtherPlugins, ours_);
    EXPECT_EQ(HistorySectionRowOf(hsOtherPlugins).deleteAll(plugins, "*", progress, {}).code, 0);
    EXPECT_EQ(Keys(), (Texts{"Orv Btn 1", "Orv Btn 2", "Orv Btn 3", "Ünï {Plug} * ?", "Orv Btn 4"}));
    const std::vector<HistoryRow> buttons = Listed(ListButtons, {"Orv Btn 1", "Ünï {Plug} * ?"});
    EXPECT_EQ(HistorySectionRowOf(hsButtons).deleteAll(buttons, "*", progress, {}).code, 0);
    EXPECT_EQ(Keys(), (Texts{"Orv Btn 2", "Orv Btn 3", "Orv Btn 4"}));  // the other "Orv Btn" was not listed
}

// ---- files other programs still use ------------------------------------------------

const std::string kNeighbourId = "{0E5E0008-0000-4000-8000-0000000000A8}";

// A helper object's module goes only when nothing else refers to it; the
// referrer names the file in another spelling ("/", case, a variable).
TEST_F(AddOnMachine, HelperObjectModuleStaysWhileAnythingElseRefersToIt) {
    SetEnvironmentVariableA("ORV_EXT_FOLDER", folder_->Path().c_str());
    const struct {
        const char* referrer;
        bool moduleGoes;
    } cases[] = {
        {"another class's InprocServer32", false},
        {"another class's LocalServer32, with switches", false},
        {"another class in the 32-bit view", false},
        {"another client of its module usage", false},
        {"a shared-DLL count of 2", false},
        {"its own client and a count of 1", true},
    };
    for (const auto& c : cases) {
        const std::string module = File("shared helper.dll");
        std::string other = Slashed(module);
        std::transform(other.begin(), other.end(), other.begin(), [](char ch) { return char(toupper(ch)); });
        const std::string byVariable = "%ORV_EXT_FOLDER%\\shared helper.dll";
        Key(kMachine, Helper(kHelperId));
        Class(kHelperId, "Orv Shared Helper", module);
        const std::string referrer = c.referrer;
        if (referrer == "another class's InprocServer32") Class(kNeighbourId, "Orv Neighbour", other);
        if (referrer == "another class's LocalServer32, with switches")
            Text(kClasses, "CLSID\\" + kNeighbourId + "\\LocalServer32", "", "\"" + byVariable + "\" /automation");
        if (referrer == "another class in the 32-bit view")
            Text(kMachine, "SOFTWARE\\Classes\\Wow6432Node\\CLSID\\" + kNeighbourId + "\\InprocServer32", "",
                 byVariable);
        if (referrer == "another client of its module usage") {
            Text(kMachine, Module(Slashed(module)), ".Owner", kHelperId);
            Dword(kMachine, Module(Slashed(module)), kNeighbourId);
        }
        if (referrer == "a shared-DLL count of 2") Dword(kMachine, kSharedDlls, other, 2);
        if (referrer == "its own client and a count of 1") {
            Dword(kMachine, Module(Slashed(module)), kHelperId);
            Dword(kMachine, kSharedDlls, module, 1);
        }
        const std::vector<HistoryRow> rows = Listed(ListBrowserHelperObjects, "*", {kHelperId});
        ASSERT_EQ(rows.size(), 1u) << c.referrer;
        EXPECT_EQ(HistorySectionRowOf(hsBrowserHelperObjects).deleteOne(rows[0]), 0) << c.referrer;
        EXPECT_EQ(Exists(module), !c.moduleGoes) << c.referrer;
        EXPECT_FALSE(RegKeyExists(kMachine, Helper(kHelperId))) << c.referrer;
        EXPECT_FALSE(RegKeyExists(kClasses, "CLSID\\" + kHelperId)) << c.referrer;
        Reseed();
    }
    SetEnvironmentVariableA("ORV_EXT_FOLDER", nullptr);
}

// Delete All reads what refers to the files once; a module both listed
// helpers serve goes with the second, and one an unlisted class serves stays.
TEST_F(AddOnMachine, DeleteAllOfHelpersSharingAModuleRemovesItWithTheLast) {
    const std::string shared = File("pair.dll"), kept = File("kept.dll");
    Key(kMachine, Helper(kHelperId));
    Class(kHelperId, "Orv Pair A", shared);
    Key(kMachine, Helper(kOtherId));
    Class(kOtherId, "Orv Pair B", Slashed(shared));
    Key(kMachine, Helper(kViewerId));
    Class(kViewerId, "Orv Kept Helper", kept);
    Class(kNeighbourId, "Orv Neighbour", kept);
    const std::vector<HistoryRow> rows = Listed(ListBrowserHelperObjects, "*", {kHelperId, kOtherId, kViewerId});
    ASSERT_EQ(rows.size(), 3u);
    common::NoProgress progress;
    EXPECT_EQ(HistorySectionRowOf(hsBrowserHelperObjects).deleteAll(rows, "*", progress, {}).code, 0);
    EXPECT_FALSE(Exists(shared));
    EXPECT_TRUE(Exists(kept));
    for (const std::string& id : {kHelperId, kOtherId, kViewerId})
        EXPECT_FALSE(RegKeyExists(kMachine, Helper(id))) << id;
}

// A downloaded unit takes only its own client value from a module usage
// key; the key and its file go when no client is left.
TEST_F(AddOnMachine, DownloadedUnitLeavesModuleUsageOthersStillUse) {
    const std::string listedByOthers = File("used by three.dll"), ownedOnly = File("owned only.dll"),
                      lastClient = File("last client.dll");
    const struct {
        std::string file;
        std::string owner;
        Texts clients;
        Texts clientsLeft;  // empty: the key and the file go
    } cases[] = {
        {listedByOthers, kViewerId, {kViewerId, kOtherId, kHelperId}, {kOtherId, kHelperId}},
        {ownedOnly, kViewerId, {kOtherId}, {kOtherId}},
        {lastClient, kOtherId, {kViewerId}, {}},
    };
    for (const auto& c : cases) {
        Text(kMachine, Module(Slashed(c.file)), ".Owner", c.owner);
        Text(kMachine, Module(Slashed(c.file)), ".FileVersion", "1,0,0,1");
        for (const std::string& client : c.clients) Dword(kMachine, Module(Slashed(c.file)), client);
    }
    Key(kMachine, Unit(kViewerId));
    EXPECT_EQ(HistorySectionRowOf(hsDownloadedProgramFiles).deleteOne(HistoryRow{"x", {kViewerId}, kViewerId}), 0);
    for (const auto& c : cases) {
        const std::string key = Module(Slashed(c.file));
        EXPECT_EQ(RegKeyExists(kMachine, key), !c.clientsLeft.empty()) << c.file;
        EXPECT_EQ(Exists(c.file), !c.clientsLeft.empty()) << c.file;
        for (const std::string& client : c.clients) {
            const bool left = std::find(c.clientsLeft.begin(), c.clientsLeft.end(), client) != c.clientsLeft.end();
            EXPECT_EQ(RegValueExists(kMachine, key, client), left) << c.file << " " << client;
        }
    }
}

// Only the unit's own files lose a shared-DLL count; counts of other files
// stay, whether or not the file can be found now.
TEST_F(AddOnMachine, DownloadedUnitReleasesOnlyItsOwnSharedDllCounts) {
    const std::string sharedByThree = File("shared by three.ocx"), ownCount = File("own count.ocx");
    const std::string unit = Unit(kViewerId);
    Text(kMachine, unit + "\\Contains\\Files", sharedByThree, "");
    Text(kMachine, unit + "\\Contains\\Files", Slashed(ownCount), "");
    Dword(kMachine, kSharedDlls, sharedByThree, 3);
    Dword(kMachine, kSharedDlls, ownCount, 1);
    const std::string drive = UnmountedDrive();
    ASSERT_FALSE(drive.empty());
    const Texts otherFiles = {drive + "\\Orv Offline\\offline.dll", "%ORV_EXT_UNSET%\\unset.dll",
                              "%ProgramFiles%\\Orv Missing\\missing.dll", folder_->Path() + "\\missing.dll"};
    for (const std::string& path : otherFiles) Dword(kMachine, kSharedDlls, path, 1);
    EXPECT_EQ(HistorySectionRowOf(hsDownloadedProgramFiles).deleteOne(HistoryRow{"x", {kViewerId}, kViewerId}), 0);
    EXPECT_EQ(SharedCount(sharedByThree), std::optional<DWORD>(2));
    EXPECT_TRUE(Exists(sharedByThree));
    EXPECT_EQ(SharedCount(ownCount), std::nullopt);
    EXPECT_FALSE(Exists(ownCount));
    for (const std::string& path : otherFiles) EXPECT_EQ(SharedCount(path), std::optional<DWORD>(1)) << path;
}

}  // namespace
