// Comparing a startup snapshot with the machine: loading a file all or
// nothing, the records of every kind of change, and the three repairs
// checked in the registry, in the values' types and in the backup point.
#include "formats/RegFile.h"
#include "backup/RegistryTree.h"
#include "snapshots/SnapshotCompare.h"
#include "snapshots/SnapshotRepair.h"
#include "snapshots/StartupSnapshot.h"
#include "startup/StartUpFunctions.h"
#include "common/Common.h"
#include "platform/Files.h"
#include "EngineTestSupport.h"
#include "NulNamedValue.h"
#include "RestrictedRegKey.h"
#include "RegSeed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

using namespace backup;
using namespace snapshots;
using namespace testing_support;
namespace files = platform::files;

namespace snapshots {

void PrintTo(const CompareRegistryRow& row, std::ostream* out) {
    *out << "{" << row.name << ", " << row.location << ", " << row.root << ", " << row.section << ", " << row.check
         << "}";
}

}  // namespace snapshots

namespace {

const std::string kMachine = "HKEY_LOCAL_MACHINE";
const std::string kUser = "HKEY_CURRENT_USER";

std::string UserKey(const std::string& keyName) { return startup::RunKeyPath(kUser, keyName); }

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string RunEntry(const std::string& name, const std::string& location, const std::string& root,
                     const std::string& check) {
    return Lines({"<VALUE>", "<NAME>", name, "</NAME>", "<LOCATION>", location, "</LOCATION>", "<ROOT>", root,
                  "</ROOT>", "<CHECK>", check, "</CHECK>", "</VALUE>"});
}

const std::string kHead = Lines({"<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "<!--maid in Quendal_VX-->",
                                  "<ALL>", "<REGISTRY>"});
const std::string kOtherSections =
    Lines({"<RunOnce>", "</RunOnce>", "<RunOnceEx>", "</RunOnceEx>", "<RunService>", "</RunService>",
           "<RunServiceOnce>", "</RunServiceOnce>", "</REGISTRY>", "<WIN.INI>", "</WIN.INI>"});
const std::string kTail = Lines({"<AUTOSTART>", "</AUTOSTART>", "<DATE>", "1.2.2003", "</DATE>", "</ALL>"});

// A snapshot file of one Run section holding the entries' text.
std::string OneSection(const std::string& entries) {
    return kHead + Lines({"<Run>"}) + entries + Lines({"</Run>"}) + kOtherSections + kTail;
}

struct Loaded {
    SnapshotLoad load;
    CompareRows rows;
    std::string date, error;
};

Loaded LoadBytes(const ScopedFolder& folder, const std::string& bytes) {
    const std::string path = folder.Path() + "\\snapshot.xml";
    EXPECT_TRUE(files::WriteFileBytes(path, bytes));
    Loaded loaded;
    loaded.load = LoadSnapshot(path, loaded.rows, loaded.date, loaded.error);
    return loaded;
}

CompareRegistryRow Row(const std::string& name, const std::string& location, const std::string& root = kUser,
                       const std::string& section = "Run", const std::string& check = "True") {
    return {name, location, root, section, check};
}

std::vector<std::string> Report(const CompareRows& snapshot, const CompareRows& present) {
    return CompareSnapshot(snapshot, present).report;
}

// The type and text a user run key holds under the name ("" type 0 when none).
std::pair<DWORD, std::string> Held(const std::string& keyName, const std::string& name) {
    platform::KeyHandle key;
    if (platform::reg::OpenKey(HKEY_CURRENT_USER, UserKey(keyName), KEY_READ, key) != ERROR_SUCCESS) return {0, ""};
    platform::reg::RawValue raw;
    if (platform::reg::QueryRawValue(key.Get(), name, raw) != ERROR_SUCCESS) return {0, ""};
    std::string text;
    platform::reg::RawValueText(raw, text);
    return {raw.type, text};
}

// The names of the values the point's user root file holds for the key.
std::vector<std::string> SavedNames(const std::string& pointFolder, const std::string& keyName) {
    std::vector<RegKeyData> keys;
    std::string error;
    std::vector<std::string> names;
    if (!LoadRegFile(pointFolder + "HKEY_CURRENT_USER.reg", keys, error)) return names;
    for (const RegKeyData& key : keys)
        if (key.path == kUser + "\\" + UserKey(keyName))
            for (const RegValueData& value : key.values) names.push_back(value.name);
    std::sort(names.begin(), names.end());
    return names;
}

constexpr SYSTEMTIME kNow{2026, 12, 2, 8, 10, 30, 0, 0};

class EngineSnapshotRepair : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteUserRunKeys({"Run", "RunOnce", "RunService"});
        ASSERT_TRUE(ReadPresentState().registry.empty()) << "the test machine holds run entries this test did not seed";
    }
    void TearDown() override { DeleteUserRunKeys({"Run", "RunOnce", "RunService"}); }
    ScopedFolder backup_{"compare backup"};
};

}  // namespace

// A snapshot written by the writer loads back as the rows it was made of,
// texts XML must escape and characters outside windows-1252 included; a file
// with LF line ends or a hexadecimal reference loads too (the parser reads
// the values), and an empty Startup part is no file rows.
TEST(SnapshotLoad, WrittenSnapshotsLoadAsTheyWereMade) {
    ScopedFolder folder("compare load");
    const SnapshotData data{{{"Run", {{"A&B<C>", "x.exe \"q\" /a\r\nb", kUser, true}}},
                             {"RunOnce", {}},
                             {"RunService", {{"\xD0\x96 \xF0\x9F\x98\x80", "y.exe", kMachine, false}}}},
                            {{"Tool", "C:\\Start\\"}, {"", "C:\\Start\\"}},
                            "22.02.2005"};
    const std::string path = folder.Path() + "\\written.xml";
    std::string error;
    ASSERT_TRUE(WriteSnapshotFile(path, data, error)) << error;
    CompareRows rows;
    std::string date;
    ASSERT_EQ(LoadSnapshot(path, rows, date, error), SnapshotLoad::Loaded) << error;
    EXPECT_EQ(rows.registry, (std::vector<CompareRegistryRow>{Row("A&B<C>", "x.exe \"q\" /a\r\nb"),
                                                               Row("\xD0\x96 \xF0\x9F\x98\x80", "y.exe", kMachine,
                                                                   "RunService", "False")}));
    EXPECT_EQ(rows.files, (std::vector<CompareFileRow>{{"Tool", "C:\\Start\\"}, {"", "C:\\Start\\"}}));
    EXPECT_EQ(date, "22.02.2005");

    std::string lf = OneSection(RunEntry("&#x41;pp", "a.exe", kUser, "True"));
    for (size_t at = lf.find("\r\n"); at != std::string::npos; at = lf.find("\r\n", at)) lf.erase(at, 1);
    const Loaded loaded = LoadBytes(folder, lf);
    ASSERT_EQ(loaded.load, SnapshotLoad::Loaded) << loaded.error;
    EXPECT_EQ(loaded.rows.registry, std::vector<CompareRegistryRow>{Row("App", "a.exe")});
    EXPECT_TRUE(loaded.rows.files.empty());
    EXPECT_EQ(loaded.date, "1.2.2003");
}

// Malformed and hostile files load nothing, each with a message naming the
// file and the fault; a well-formed file without the marker is passed over
// without a word.
TEST(SnapshotLoad, MalformedAndHostileFilesLoadNothing) {
    ScopedFolder folder("compare hostile");
    const std::string good = RunEntry("App", "a.exe", kUser, "True");
    const struct {
        const char* what;
        std::string bytes;
        const char* fault;
    } cases[] = {
        {"document type", "<?xml version=\"1.0\"?>\r\n<!DOCTYPE a [<!ENTITY x \"x\">]>\r\n<a>&x;</a>\r\n",
         "document type"},
        {"another declaration", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + OneSection(good).substr(OneSection(good).find("\r\n")),
         "first line"},
        {"cut short", OneSection(good).substr(0, 300), "not well-formed XML"},
        {"WIN.INI holds a line", kHead + Lines({"<Run>", "</Run>", "</REGISTRY>", "<WIN.INI>", "<x>", "</x>",
                                                  "</WIN.INI>"}) + kTail,
         "not laid out"},
        {"entry without CHECK",
         OneSection(Lines({"<VALUE>", "<NAME>", "App", "</NAME>", "<LOCATION>", "a.exe", "</LOCATION>", "<ROOT>",
                           kUser, "</ROOT>", "</VALUE>"})),
         "not laid out"},
        {"value on the tag's line",
         OneSection(Lines({"<VALUE>", "<NAME>App</NAME>", "<LOCATION>", "a.exe", "</LOCATION>", "<ROOT>", kUser,
                           "</ROOT>", "<CHECK>", "True", "</CHECK>", "</VALUE>"})),
         "not laid out"},
        {"a section that is no run key", kHead + Lines({"<Winlogon>"}) + good + Lines({"</Winlogon>"}) +
                                              kOtherSections + kTail,
         "not one of the run sections"},
        {"another root", OneSection(RunEntry("App", "a.exe", "HKEY_CLASSES_ROOT", "True")), "neither"},
        {"CHECK neither True nor False", OneSection(RunEntry("App", "a.exe", kUser, "yes")), "neither True nor False"},
        {"entry without a name", OneSection(RunEntry("", "a.exe", kUser, "True")), "has no name"},
        {"an element inside a value", OneSection(RunEntry("<b>App</b>", "a.exe", kUser, "True")), "not laid out"},
        {"something after the document", OneSection(good) + "<!-- more -->\r\n", "not laid out"},
    };
    for (const auto& c : cases) {
        const Loaded loaded = LoadBytes(folder, c.bytes);
        EXPECT_EQ(loaded.load, SnapshotLoad::Refused) << c.what;
        EXPECT_NE(loaded.error.find("snapshot.xml"), std::string::npos) << c.what << ": " << loaded.error;
        EXPECT_NE(loaded.error.find(c.fault), std::string::npos) << c.what << ": " << loaded.error;
        EXPECT_TRUE(loaded.rows.registry.empty() && loaded.rows.files.empty() && loaded.date.empty()) << c.what;
    }
    // Not ours by its second line: an XML file of another program is passed
    // over without a word; anything else is told, and a text the document
    // type check cannot read as the parser would is not parsed at all.
    std::string other = OneSection(good);
    other.replace(other.find("Quendal"), 7, "Someone");
    std::string wide = "\xFF\xFE";
    for (char c : OneSection(good)) wide += std::string{c, '\0'};
    std::string wideDoctype;
    for (char c : std::string("<?xml version=\"1.0\"?><!DOCTYPE a><a/>")) wideDoctype += std::string{c, '\0'};
    const struct {
        const char* what;
        std::string bytes;
        const char* fault;  // "": passed over without a word
    } notOurs[] = {
        {"another program's XML", other, ""},
        {"XML that is not ours, declared UTF-8", "<?xml version='1.0' encoding = 'UTF-8'?><a>b</a>", ""},
        {"plain text", "just some notes\r\nof mine\r\n", "not well-formed XML"},
        {"an empty file", "", "not well-formed XML"},
        {"a program", std::string("MZ\x90\x00 not a snapshot", 20), "NUL"},
        {"UTF-16", wide, "UTF-16"},
        {"UTF-16 without its mark, with a document type", wideDoctype, "NUL"},
        {"declared UTF-7", "<?xml version=\"1.0\" encoding=\"UTF-7\"?>\r\n<a>+ADw-!DOCTYPE</a>", "\"utf-7\""},
        {"a declaration cut short", "<?xml version=\"1.0\" encoding=", "cannot be read"},
    };
    for (const auto& c : notOurs) {
        const Loaded loaded = LoadBytes(folder, c.bytes);
        EXPECT_EQ(loaded.load, *c.fault ? SnapshotLoad::Refused : SnapshotLoad::NotOurs) << c.what;
        EXPECT_NE(loaded.error.find(c.fault), std::string::npos) << c.what << ": " << loaded.error;
        if (!*c.fault) {
            EXPECT_EQ(loaded.error, "") << c.what;
        }
        EXPECT_TRUE(loaded.rows.registry.empty()) << c.what;
    }

    CompareRows rows{{Row("left", "over")}, {}};
    std::string date = "old", error;
    EXPECT_EQ(LoadSnapshot(folder.Path() + "\\missing.xml", rows, date, error), SnapshotLoad::Refused);
    EXPECT_NE(error.find("cannot be read"), std::string::npos) << error;
    EXPECT_TRUE(rows.registry.empty() && date.empty());
}

// Each kind of change gives its record, word for word; an unchanged machine
// gives none and leaves nothing to restore.
TEST(SnapshotCompare, EachChangeGivesItsRecord) {
    const CompareRegistryRow app = Row("App", "C:\\app.exe");
    const std::string pad(19, ' ');
    const struct {
        const char* what;
        CompareRegistryRow now;
        std::vector<std::string> records;
    } changes[] = {
        {"switched off", Row("App", "C:\\app.exe", kUser, "Run", "False"),
         {"CHENGED    CHECK:  Parametr:  App          Location: C:\\app.exe", pad + "OLDCheck:  True",
          pad + "NEWCheck:  False", pad + "(RootKey: HKEY_CURRENT_USER)"}},
        {"moved to the machine", Row("App", "C:\\app.exe", kMachine),
         {"CHENGED  ROOTKEY:  Parametr:  App          Location: C:\\app.exe", pad + "OLDRootKey:  HKEY_CURRENT_USER",
          pad + "NEWRootKey:  HKEY_LOCAL_MACHINE", pad + "(Key: ...\\Run)"}},
        {"moved to RunOnce", Row("App", "C:\\app.exe", kUser, "RunOnce"),
         {"CHENGED  LASTKEY:  Parametr:  App          Location: C:\\app.exe", pad + "OLDLastKey:  Run",
          pad + "NEWLastKey:  RunOnce", pad + "(RootKey: HKEY_CURRENT_USER)"}},
        {"another program line", Row("App", "D:\\new.exe"),
         {"CHENGED LOCATION:  Parametr:  App", pad + "OLDLocation:  C:\\app.exe", pad + "NEWLocation:  D:\\new.exe",
          pad + "(RootKey: HKEY_CURRENT_USER          Key: ...\\Run)"}},
        {"renamed", Row("App2", "C:\\app.exe"),
         {"DELETED:  Parametr:  App          Location: C:\\app.exe",
          pad + "(RootKey: HKEY_CURRENT_USER          Key: ...\\Run)",
          "CREATED:  Parametr:  App2          Location: C:\\app.exe",
          std::string(20, ' ') + "(RootKey: HKEY_CURRENT_USER          Key:  ...\\Run)"}},
    };
    for (const auto& c : changes) {
        std::vector<std::string> expected{"IN REGISTRY:"};
        expected.insert(expected.end(), c.records.begin(), c.records.end());
        expected.insert(expected.end(), {"IN AUTOSTART:", "CHENGE NOT FOUND."});
        const CompareResult result = CompareSnapshot({{app}, {}}, {{c.now}, {}});
        EXPECT_EQ(result.report, expected) << c.what;
        EXPECT_TRUE(result.restoreAllEnabled) << c.what;
        const bool renamed = c.records.size() == 4 && c.records[0].rfind("DELETED", 0) == 0;
        EXPECT_EQ(result.createDeletedEnabled, renamed) << c.what;
        EXPECT_EQ(result.deleteCreatedEnabled, renamed) << c.what;
    }

    const CompareResult same = CompareSnapshot({{app}, {{"Tool", "C:\\S\\"}}}, {{app}, {{"Tool", "C:\\S\\"}}});
    EXPECT_EQ(same.report,
              (std::vector<std::string>{"IN REGISTRY:", "CHENGE NOT FOUND.", "IN AUTOSTART:", "CHENGE NOT FOUND."}));
    EXPECT_FALSE(same.restoreAllEnabled || same.createDeletedEnabled || same.deleteCreatedEnabled);
}

// Startup files: gone, new and moved; a row left after the pairing by
// place is matched with the last present row of its name, and a present
// row of that name left over is new; the table shows the snapshot's named
// rows, files with two cells.
TEST(SnapshotCompare, FilesMatchesAndTable) {
    const CompareRows snapshot{{Row("Twice", "t.exe"), Row("", "nameless.exe")},
                               {{"Gone", "C:\\U\\"}, {"Moved", "C:\\U\\"}, {"", "C:\\U\\"}}};
    const CompareRows present{{Row("Twice", "t.exe", kUser, "RunService"), Row("Twice", "t.exe")},
                              {{"Moved", "C:\\All\\"}, {"New", "C:\\All\\"}, {"", "C:\\U\\"}}};
    const CompareResult result = CompareSnapshot(snapshot, present);
    const std::string pad(19, ' ');
    EXPECT_EQ(result.report, (std::vector<std::string>{
                                 "IN REGISTRY:", "DELETED:  Parametr:            Location: nameless.exe",
                                 pad + "(RootKey: HKEY_CURRENT_USER          Key: ...\\Run)",
                                 "CREATED:  Parametr:  Twice          Location: t.exe",
                                 std::string(20, ' ') + "(RootKey: HKEY_CURRENT_USER          Key:  ...\\RunService)",
                                 "IN AUTOSTART:",
                                 "DELETED:      File:  Gone          Location: C:\\U\\",
                                 "CHENGED LOCATION:      File:  Moved", pad + "OLDLocation:  C:\\U\\",
                                 pad + "NEWLocation:  C:\\All\\", "CREATED:      File:  New          Location: C:\\All\\"}));
    EXPECT_EQ(result.table, (std::vector<std::vector<std::string>>{{"Twice", "t.exe", kUser, "Run", "True"},
                                                                    {"Gone", "C:\\U\\"},
                                                                    {"Moved", "C:\\U\\"}}));
    EXPECT_TRUE(result.createDeletedEnabled);
    EXPECT_TRUE(result.deleteCreatedEnabled);
    // The file part changes no button.
    const CompareResult filesOnly = CompareSnapshot({{}, snapshot.files}, {{}, present.files});
    EXPECT_FALSE(filesOnly.restoreAllEnabled || filesOnly.createDeletedEnabled || filesOnly.deleteCreatedEnabled);
}

// Rows pair on root, key and name first, then by name alone; names and
// folders are compared with case ignored; a present row no snapshot row
// took is new, whatever names the snapshot holds.
TEST(SnapshotCompare, RowsPairByPlaceThenByNameWithCaseIgnored) {
    const std::string pad(19, ' ');
    const auto created = [](const CompareRegistryRow& row) { return CreatedRecord(row); };
    const CompareRegistryRow foo = Row("Foo", "foo.exe"), fooMachine = Row("Foo", "foo.exe", kMachine);
    const struct {
        const char* what;
        CompareRows snapshot, present;
        std::vector<std::string> registry, files;  // the records of each part; {} for none
    } cases[] = {
        {"name in another case", {{foo}, {}}, {{Row("FOO", "foo.exe")}, {}}, {}, {}},
        {"a new machine entry of a user entry's name", {{foo}, {}}, {{fooMachine, foo}, {}}, created(fooMachine), {}},
        {"the user's switched off beside a new machine one", {{foo}, {}},
         {{fooMachine, Row("Foo", "foo.exe", kUser, "Run", "False")}, {}},
         [&] {
             std::vector<std::string> lines{"CHENGED    CHECK:  Parametr:  Foo          Location: foo.exe",
                                            pad + "OLDCheck:  True", pad + "NEWCheck:  False",
                                            pad + "(RootKey: HKEY_CURRENT_USER)"};
             const std::vector<std::string> record = CreatedRecord(fooMachine);
             lines.insert(lines.end(), record.begin(), record.end());
             return lines;
         }(),
         {}},
        {"two of one name, one left", {{foo, Row("Foo", "foo.exe", kUser, "RunOnce")}, {}},
         {{Row("foo", "foo.exe", kUser, "RunOnce")}, {}}, DeletedRecord(foo), {}},
        {"a file's name and folder in another case", {{}, {{"Tool", "C:\\Start\\"}}},
         {{}, {{"TOOL", "c:\\start\\"}}}, {}, {}},
        {"a file of the same name in the common folder", {{}, {{"Tool", "C:\\Start\\"}}},
         {{}, {{"Tool", "C:\\All\\"}, {"Tool", "C:\\Start\\"}}}, {},
         {"CREATED:      File:  Tool          Location: C:\\All\\"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> expected{"IN REGISTRY:"};
        expected.insert(expected.end(), c.registry.begin(), c.registry.end());
        if (c.registry.empty()) expected.push_back("CHENGE NOT FOUND.");
        expected.push_back("IN AUTOSTART:");
        expected.insert(expected.end(), c.files.begin(), c.files.end());
        if (c.files.empty()) expected.push_back("CHENGE NOT FOUND.");
        EXPECT_EQ(Report(c.snapshot, c.present), expected) << c.what;
    }
}

// A repair takes away the records of the rows it carried out, two lines
// each, from the last up; a record it did not carry out and the one-line
// file records stay.
TEST(SnapshotCompare, RemovingRecordsLeavesTheRest) {
    const CompareRegistryRow a = Row("A", "a.exe"), b = Row("B", "b.exe");
    std::vector<std::string> report{"IN REGISTRY:"};
    for (const auto& record : {DeletedRecord(a), DeletedRecord(b), DeletedRecord(a)})
        report.insert(report.end(), record.begin(), record.end());
    report.insert(report.end(), {"IN AUTOSTART:", "DELETED:      File:  A          Location: a.exe"});
    RemoveRecords(report, {DeletedRecord(a)});
    std::vector<std::string> expected{"IN REGISTRY:"};
    for (const auto& record : {DeletedRecord(a), DeletedRecord(b)}) expected.insert(expected.end(), record.begin(), record.end());
    expected.insert(expected.end(), {"IN AUTOSTART:", "DELETED:      File:  A          Location: a.exe"});
    EXPECT_EQ(report, expected);
    RemoveRecords(report, {CreatedRecord(b), DeletedRecord(b), DeletedRecord(b)});
    EXPECT_EQ(report.size(), 5u);
}

// The present state is read without write access: the machine's entries
// show for a user who may not change them, switched-off ones as "False";
// values that hold no text are passed over.
TEST_F(EngineSnapshotRepair, PresentStateIsReadOnlyAndTextOnly) {
    const std::string machineRun = startup::RunKeyPath(kMachine, "RunService");
    ScopedRegValue machineValue(HKEY_LOCAL_MACHINE, machineRun, "OrvC locked");
    SetRegString(HKEY_LOCAL_MACHINE, machineRun, "OrvC locked", "locked.exe");
    ScopedReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, machineRun);
    SetRegString(HKEY_CURRENT_USER, UserKey("Run-"), "OrvC off", "off.exe");
    SetRawValue(HKEY_CURRENT_USER, UserKey("Run"), "OrvC number", REG_DWORD, {1, 0, 0, 0});
    EXPECT_EQ(ReadPresentState().registry,
              (std::vector<CompareRegistryRow>{Row("OrvC off", "off.exe", kUser, "Run", "False"),
                                               Row("OrvC locked", "locked.exe", kMachine, "RunService")}));
}

// Restore All leaves what matches, rewrites a changed line in its own type,
// deletes what the snapshot has not, and writes what is missing, keys and
// switched-off keys created; what it deleted or overwrote is in the point.
TEST_F(EngineSnapshotRepair, RestoreAllPutsTheSnapshotBackRowByRow) {
    SetRegString(HKEY_CURRENT_USER, UserKey("Run"), "Same", "same.exe");
    SetRawValue(HKEY_CURRENT_USER, UserKey("Run"), "Expand", REG_EXPAND_SZ, Utf16Z("%NEW%\\x.exe"));
    SetRegString(HKEY_CURRENT_USER, UserKey("Run"), "Newcomer", "new.exe");
    SetRegString(HKEY_CURRENT_USER, UserKey("RunOnce"), "Moved", "moved.exe");
    const CompareRows snapshot{{Row("Same", "same.exe"), Row("Expand", "%OLD%\\x.exe"), Row("Moved", "moved.exe"),
                                Row("Off", "off.exe", kUser, "RunService", "False")},
                               {}};
    const CompareRows present = ReadPresentState();
    const RepairResult result = RestoreAll(snapshot, present, backup_.Path(), kNow);
    ASSERT_FALSE(result.backupFailed) << result.error;
    EXPECT_TRUE(result.failed.empty());
    EXPECT_FALSE(MachineWideRefused(result));
    EXPECT_EQ(result.done.size(), 5u);  // Newcomer and Moved deleted; Expand rewritten; Moved and Off written
    EXPECT_EQ(Held("Run", "Same"), std::make_pair(DWORD(REG_SZ), std::string("same.exe")));
    EXPECT_EQ(Held("Run", "Expand"), std::make_pair(DWORD(REG_EXPAND_SZ), std::string("%OLD%\\x.exe")));
    EXPECT_EQ(Held("Run", "Newcomer").first, 0u);
    EXPECT_EQ(Held("RunOnce", "Moved").first, 0u);
    EXPECT_EQ(Held("Run", "Moved"), std::make_pair(DWORD(REG_SZ), std::string("moved.exe")));
    EXPECT_EQ(Held("RunService-", "Off"), std::make_pair(DWORD(REG_SZ), std::string("off.exe")));
    EXPECT_EQ(SavedNames(result.pointFolder, "Run"), (std::vector<std::string>{"Expand", "Newcomer"}));
    EXPECT_EQ(SavedNames(result.pointFolder, "RunOnce"), std::vector<std::string>{"Moved"});
    EXPECT_NE(RepairPointLine(result).find(BackupPointName(2026, 12, 8, 10, 30)), std::string::npos);

    // Restored, the machine compares equal.
    EXPECT_EQ(CompareSnapshot(snapshot, ReadPresentState()).report[1], "CHENGE NOT FOUND.");
}

// A row whose value changed after it was compared, or whose name the point
// cannot give back, is left and named; the others still go through. When
// the point cannot be written nothing changes at all.
TEST_F(EngineSnapshotRepair, RepairsLeaveChangedRowsAndNothingWithoutABackup) {
    SetRegString(HKEY_CURRENT_USER, UserKey("Run"), "Changed", "now.exe");
    SetRegString(HKEY_CURRENT_USER, UserKey("Run"), "Extra", "extra.exe");
    const std::string nulName = std::string("Hid\0den", 7);
    ScopedNulNamed hidden(HKEY_CURRENT_USER, UserKey("Run"), WideName(nulName), "hidden.exe");
    CompareRows present = ReadPresentState();
    ASSERT_EQ(present.registry.size(), 3u);
    for (CompareRegistryRow& row : present.registry)
        if (row.name == "Changed") row.location = "then.exe";  // what the user saw

    const CompareRows snapshot{{Row("Changed", "old.exe")}, {}};
    const RepairResult restore = RestoreAll(snapshot, present, backup_.Path(), kNow);
    ASSERT_FALSE(restore.backupFailed) << restore.error;
    EXPECT_EQ(restore.done, std::vector<CompareRegistryRow>{Row("Extra", "extra.exe")});
    ASSERT_EQ(restore.failed.size(), 2u);
    EXPECT_EQ(restore.failed[0].row.name, nulName);
    EXPECT_NE(restore.failed[0].reason.find("NUL"), std::string::npos);
    EXPECT_EQ(restore.failed[1].row.name, "Changed");
    EXPECT_NE(restore.failed[1].reason.find("no longer holds"), std::string::npos);
    EXPECT_EQ(Held("Run", "Changed").second, "now.exe");
    const std::vector<std::string> lines = RepairFailureLines(restore);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].rfind("NOT DONE:  Parametr:  Changed          (RootKey: HKEY_CURRENT_USER          Key: ...\\Run)  ", 0), 0u)
        << lines[1];

    // A backup folder that is a file: no point, no change.
    SetRegString(HKEY_CURRENT_USER, UserKey("Run"), "Extra", "extra.exe");
    const std::string notAFolder = backup_.Path() + "\\file";
    ASSERT_TRUE(files::WriteFileBytes(notAFolder, "x"));
    for (const RepairResult& refused : {RestoreAll(snapshot, ReadPresentState(), notAFolder, kNow),
                                        DeleteCreated(snapshot, ReadPresentState(), notAFolder, kNow)}) {
        EXPECT_TRUE(refused.backupFailed);
        EXPECT_FALSE(refused.error.empty());
        EXPECT_TRUE(refused.done.empty());
        EXPECT_EQ(refused.pointFolder, "");
        EXPECT_EQ(Held("Run", "Extra").second, "extra.exe");
        EXPECT_EQ(Held("Run", "Changed").second, "now.exe");
    }
}

// Create Deleted writes a gone entry back into the key it was in, a
// switched-off one switched off; a value of that name that is there
// meanwhile (not a program line) is left and the row named.
TEST_F(EngineSnapshotRepair, CreateDeletedPutsEntriesBackWhereTheyWere) {
    SetRawValue(HKEY_CURRENT_USER, UserKey("RunOnce"), "Blocked", REG_DWORD, {7, 0, 0, 0});
    SetRegString(HKEY_CURRENT_USER, UserKey("Run"), "Kept", "kept.exe");
    const CompareRows snapshot{{Row("Kept", "old.exe"), Row("Active", "a.exe"),
                                Row("Off", "off.exe", kUser, "RunService", "False"),
                                Row("Blocked", "b.exe", kUser, "RunOnce")},
                               {}};
    const RepairResult result = CreateDeleted(snapshot, ReadPresentState());
    EXPECT_EQ(result.done, (std::vector<CompareRegistryRow>{snapshot.registry[1], snapshot.registry[2]}));
    ASSERT_EQ(result.failed.size(), 1u);
    EXPECT_EQ(result.failed[0].row.name, "Blocked");
    EXPECT_EQ(Held("Run", "Active").second, "a.exe");
    EXPECT_EQ(Held("RunService-", "Off").second, "off.exe");
    EXPECT_EQ(Held("RunService", "Off").first, 0u);
    EXPECT_EQ(Held("RunOnce", "Blocked").first, DWORD(REG_DWORD));
    EXPECT_EQ(Held("Run", "Kept").second, "kept.exe");  // present by name: not this repair's
    EXPECT_EQ(result.pointFolder, "");                   // nothing deleted or overwritten, no point
}

// Delete Created deletes the active new entries, saved first; new entries of
// switched-off keys start nothing and stay; a key that refuses is named.
TEST_F(EngineSnapshotRepair, DeleteCreatedDeletesOnlyActiveNewcomers) {
    SetRegString(HKEY_CURRENT_USER, UserKey("Run"), "Old", "old.exe");
    SetRegString(HKEY_CURRENT_USER, UserKey("Run"), "New", "new.exe");
    SetRegString(HKEY_CURRENT_USER, UserKey("Run-"), "NewOff", "off.exe");
    const std::string machineRun = startup::RunKeyPath(kMachine, "RunService");
    ScopedRegValue machineValue(HKEY_LOCAL_MACHINE, machineRun, "OrvC machine");
    SetRegString(HKEY_LOCAL_MACHINE, machineRun, "OrvC machine", "m.exe");
    ScopedReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, machineRun);

    const CompareRows snapshot{{Row("Old", "old.exe")}, {}};
    const RepairResult result = DeleteCreated(snapshot, ReadPresentState(), backup_.Path(), kNow);
    ASSERT_FALSE(result.backupFailed) << result.error;
    EXPECT_EQ(result.done, std::vector<CompareRegistryRow>{Row("New", "new.exe")});
    ASSERT_EQ(result.failed.size(), 1u);
    EXPECT_EQ(result.failed[0].row.name, "OrvC machine");
    EXPECT_NE(result.failed[0].reason.find("refused"), std::string::npos);
    EXPECT_TRUE(MachineWideRefused(result));  // which a restart as administrator could carry out
    EXPECT_EQ(Held("Run", "New").first, 0u);
    EXPECT_EQ(Held("Run-", "NewOff").second, "off.exe");
    EXPECT_EQ(Held("Run", "Old").second, "old.exe");
    EXPECT_EQ(SavedNames(result.pointFolder, "Run"), std::vector<std::string>{"New"});
    EXPECT_EQ(result.switchedOffLeft, 1);
    EXPECT_EQ(RepairFailureLines(result).back(),
              "NOT DELETED:  1 new switched-off entry (Key: ...-): they start nothing and were left as they are.");
}

// Every repair acts on the rows the comparison reports: an entry whose name
// differs by case alone is the snapshot's own, and an entry of the snapshot's
// name in another root is new, or gone.
TEST_F(EngineSnapshotRepair, RepairsPairRowsAsTheComparisonDoes) {
    const std::string machineRun = startup::RunKeyPath(kMachine, "Run");
    ScopedRegValue machineValue(HKEY_LOCAL_MACHINE, machineRun, "OrvC twin");
    const struct {
        const char* what;
        const char* userName;  // the user's Run entry seeded ("": none)
        bool machineTwin;      // a machine Run entry "OrvC twin" seeded
        CompareRows snapshot;
        int repair;            // 0 Restore All, 1 Create Deleted, 2 Delete Created
        std::vector<CompareRegistryRow> done;
        bool userLeft, machineLeft;
    } cases[] = {
        {"restore, case", "ORVC TWIN", false, {{Row("OrvC twin", "t.exe")}, {}}, 0, {}, true, false},
        {"create, case", "ORVC TWIN", false, {{Row("OrvC twin", "t.exe")}, {}}, 1, {}, true, false},
        {"delete, case", "ORVC TWIN", false, {{Row("OrvC twin", "t.exe")}, {}}, 2, {}, true, false},
        {"delete, the machine's twin", "OrvC twin", true, {{Row("OrvC twin", "t.exe")}, {}}, 2,
         {Row("OrvC twin", "t.exe", kMachine)}, true, false},
        {"create, the user's gone beside the machine's", "", true,
         {{Row("OrvC twin", "t.exe", kMachine), Row("OrvC twin", "t.exe")}, {}}, 1, {Row("OrvC twin", "t.exe")}, true,
         true},
    };
    for (const auto& c : cases) {
        DeleteUserRunKeys({"Run"});
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, machineRun.c_str(), "OrvC twin");
        if (*c.userName) SetRegString(HKEY_CURRENT_USER, UserKey("Run"), c.userName, "t.exe");
        if (c.machineTwin) SetRegString(HKEY_LOCAL_MACHINE, machineRun, "OrvC twin", "t.exe");
        const CompareRows present = ReadPresentState();
        const RepairResult result = c.repair == 0   ? RestoreAll(c.snapshot, present, backup_.Path(), kNow)
                                    : c.repair == 1 ? CreateDeleted(c.snapshot, present)
                                                    : DeleteCreated(c.snapshot, present, backup_.Path(), kNow);
        EXPECT_EQ(result.done, c.done) << c.what;
        EXPECT_TRUE(result.failed.empty()) << c.what;
        EXPECT_EQ(startup::ReadRunKeyTexts(kUser, "Run").size(), c.userLeft ? 1u : 0u) << c.what;
        EXPECT_EQ(RegValueExists(HKEY_LOCAL_MACHINE, machineRun, "OrvC twin"), c.machineLeft) << c.what;
    }
}

// Restore All puts back no Startup file: each that stays different is named,
// and the line of a full restore still depends on the registry rows alone.
TEST_F(EngineSnapshotRepair, RestoreAllNamesTheStartupFilesItLeaves) {
    const CompareRows snapshot{{}, {{"Gone", "C:\\U\\"}, {"Moved", "C:\\U\\"}, {"Same", "C:\\U\\"}}};
    const CompareRows present{{}, {{"Moved", "C:\\All\\"}, {"SAME", "C:\\U\\"}, {"New", "C:\\U\\"}}};
    const RepairResult result = RestoreAll(snapshot, present, backup_.Path(), kNow);
    EXPECT_TRUE(result.failed.empty());
    const std::string tail = "          (a snapshot keeps no file contents)";
    EXPECT_EQ(RepairFailureLines(result),
              (std::vector<std::string>{"NOT RESTORED:      File:  Gone" + tail, "NOT RESTORED:      File:  Moved" + tail,
                                        "NOT RESTORED:      File:  New" + tail}));
}

// Asks the stop once the repair has taken its first rows in hand; -1: before
// it starts.
class StopAfter : public common::IProgressSink {
public:
    explicit StopAfter(int rows) : rows_(rows) {
        if (rows < 0) source_.RequestStop();
    }
    void Progress(size_t done, size_t total, const std::string& stage) override {
        if (stage != SnapshotStageText(SnapshotStage::Repairing)) return;
        if (static_cast<int>(done) + 1 >= rows_) source_.RequestStop();
        lastTotal = static_cast<int>(total);
    }
    void Notice(const std::string&) override {}
    common::StopToken Token() const { return source_.Token(); }
    int lastTotal = 0;

private:
    int rows_;
    common::StopSource source_;
};

// A stop ends a repair after the row in hand: the rows not reached stay as
// they were, and the report names the rows that were done. Asked before the
// start, nothing is saved and nothing changes. A load stops too.
TEST_F(EngineSnapshotRepair, AStopLeavesTheRowsNotReached) {
    const std::vector<std::string> names{"OrvC s1", "OrvC s2", "OrvC s3"};
    CompareRows three;
    for (const std::string& name : names) three.registry.push_back(Row(name, "s.exe"));
    const struct {
        const char* what;
        int repair;  // 0 Restore All, 1 Create Deleted, 2 Delete Created
        int stopAfter;
        size_t done;
    } cases[] = {
        {"restore, after two", 0, 2, 2}, {"restore, before", 0, -1, 0}, {"create, after one", 1, 1, 1},
        {"delete, after one", 2, 1, 1},  {"delete, before", 2, -1, 0},
    };
    for (const auto& c : cases) {
        DeleteUserRunKeys({"Run"});
        const bool seeded = c.repair != 1;  // Create Deleted starts from an empty key
        if (seeded)
            for (const std::string& name : names) SetRegString(HKEY_CURRENT_USER, UserKey("Run"), name, "s.exe");
        const CompareRows snapshot = seeded ? CompareRows{} : three;
        StopAfter sink(c.stopAfter);
        const CompareRows present{ReadPresentState().registry, {}};  // the run keys only
        const RepairResult result =
            c.repair == 0   ? RestoreAll(snapshot, present, backup_.Path(), kNow, sink, sink.Token())
            : c.repair == 1 ? CreateDeleted(snapshot, present, sink, sink.Token())
                            : DeleteCreated(snapshot, present, backup_.Path(), kNow, sink, sink.Token());
        EXPECT_TRUE(result.stopped) << c.what;
        ASSERT_EQ(result.done.size(), c.done) << c.what;
        EXPECT_EQ(startup::ReadRunKeyTexts(kUser, "Run").size(), seeded ? 3 - c.done : c.done) << c.what;
        if (c.stopAfter < 0) {
            EXPECT_EQ(result.pointFolder, "") << c.what;
        } else {
            EXPECT_EQ(sink.lastTotal, 3) << c.what;
        }
        std::vector<std::string> expected{"STOPPED:  " + std::to_string(c.done) +
                                          " of 3 rows were handled; the others were left as they were. Done:"};
        for (const CompareRegistryRow& row : result.done)
            expected.push_back("DONE:  Parametr:  " + row.name +
                               "          (RootKey: HKEY_CURRENT_USER          Key: ...\\Run)");
        EXPECT_EQ(RepairFailureLines(result), expected) << c.what;
    }

    ScopedFolder out("compare stop");
    const std::string path = out.Path() + "\\StartUp.xml";
    std::string error, date;
    ASSERT_TRUE(SaveStartupSnapshot(path, error)) << error;
    CompareRows rows;
    StopAfter before(-1);
    EXPECT_EQ(LoadSnapshot(path, rows, date, error, before, before.Token()), SnapshotLoad::Stopped);
    EXPECT_TRUE(rows.registry.empty() && date.empty() && error.empty());
}

// Saving and comparing a snapshot of 300 run entries (printed): no time a
// user would see.
TEST_F(EngineSnapshotRepair, ThreeHundredEntriesSavedLoadedAndCompared) {
    for (int i = 0; i < 300; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "OrvC entry %03d", i);
        SetRegString(HKEY_CURRENT_USER, UserKey(i % 2 ? "Run" : "RunOnce"), name, std::string("C:\\") + name + ".exe");
    }
    ScopedFolder out("compare 300");
    const std::string path = out.Path() + "\\StartUp.xml";
    std::string error, date;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(SaveStartupSnapshot(path, error)) << error;
    const auto saved = std::chrono::steady_clock::now();
    CompareRows rows;
    ASSERT_EQ(LoadSnapshot(path, rows, date, error), SnapshotLoad::Loaded) << error;
    const CompareResult result = CompareSnapshot(rows, ReadPresentState());
    const auto compared = std::chrono::steady_clock::now();
    const auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
    std::printf("[ timing ] 300 run entries: snapshot saved in %.1f ms, loaded and compared in %.1f ms\n",
                ms(start, saved), ms(saved, compared));
    EXPECT_EQ(rows.registry.size(), 300u);
    EXPECT_EQ(result.table.size(), 300u);
    EXPECT_EQ(result.report[1], "CHENGE NOT FOUND.");
}
