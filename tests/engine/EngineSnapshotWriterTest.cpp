// The startup snapshot writer on the private machine: the file's exact
// bytes, what is read and what is passed over, the check through the XML
// document object, and how the file is put in place.
#include "formats/SnapshotFile.h"
#include "snapshots/StartupSnapshot.h"
#include "startup/StartUpFunctions.h"
#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/Xml.h"
#include "EngineTestSupport.h"
#include "RestrictedRegKey.h"
#include "RegSeed.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

using namespace snapshots;
using namespace testing_support;
namespace files = platform::files;

namespace snapshots {

void PrintTo(const SnapshotRunEntry& entry, std::ostream* out) {
    *out << "{" << entry.name << ", " << entry.location << ", " << entry.root << ", " << entry.active << "}";
}

}  // namespace snapshots

namespace {

const std::string kMachine = "HKEY_LOCAL_MACHINE";
const std::string kUser = "HKEY_CURRENT_USER";

std::string KeyPath(const std::string& section) { return startup::RunKeyPath(kUser, section); }

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(files::ReadFileBytes(path, bytes)) << path;
    return bytes;
}

bool IsEmptyMachine(const SnapshotData& data) {
    for (const SnapshotSection& section : data.sections)
        if (!section.entries.empty()) return false;
    return data.files.empty();
}

// Lines joined with CR LF, each ended by one.
std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string RunEntry(const std::string& name, const std::string& location, const std::string& root, bool active) {
    return Lines({"<VALUE>", "<NAME>", name, "</NAME>", "<LOCATION>", location, "</LOCATION>", "<ROOT>", root,
                  "</ROOT>", "<CHECK>", active ? "True" : "False", "</CHECK>", "</VALUE>"});
}

std::string FileEntry(const std::string& name, const std::string& folder) {
    return Lines({"<VALUE>", "<NAME>", name, "</NAME>", "<LOCATION>", folder, "</LOCATION>", "</VALUE>"});
}

// Removes a folder tree on scope exit.
struct ScopedTree {
    std::string path;
    ~ScopedTree() { RemoveFolderTree(path); }
};

}  // namespace

// Every value of the machine's run keys and every Startup file, seeded so
// that the registry gives the same name order under Wine (case-insensitive
// order) and Windows (the order written): the file is checked byte for byte.
TEST(SnapshotWriter, SeededMachineIsWrittenByteForByte) {
    const SnapshotData before = ReadStartupSnapshot("x");
    ASSERT_TRUE(IsEmptyMachine(before)) << "the test machine holds startup entries this test did not seed";

    const std::string machineRun = startup::RunKeyPath(kMachine, "Run");
    const std::string machineRunOnce = startup::RunKeyPath(kMachine, "RunOnce");
    ScopedRegValue v1(HKEY_LOCAL_MACHINE, machineRun, "OrvW A&B<C>");
    SetRegString(HKEY_LOCAL_MACHINE, machineRun, "OrvW A&B<C>", "C:\\Prog\\a.exe /x <y> & \"z\"");
    ScopedRegKeys userKeys;
    for (const char* section : {"Run", "Run-", "RunOnceEx", "RunServiceOnce"}) userKeys.Add(HKEY_CURRENT_USER, KeyPath(section));
    SetRegString(HKEY_CURRENT_USER, KeyPath("Run"), "", "C:\\default.exe");  // the default value is no entry
    SetRegString(HKEY_CURRENT_USER, KeyPath("Run"), "OrvW Lines", "first\r\nsecond\nthird\r");
    SetRawValue(HKEY_CURRENT_USER, KeyPath("Run"), "OrvW number", REG_DWORD, {1, 0, 0, 0});
    SetRegString(HKEY_CURRENT_USER, KeyPath("Run"), "OrvW \xE2\x82\xAC \xD0\x96\xD1\x83\xD0\xBA \xF0\x9F\x98\x80",
                 "C:\\\xC3\xBC\\tab\there.exe");
    SetRegString(HKEY_CURRENT_USER, KeyPath("Run-"), "OrvW off", "off.exe");
    SetRawValue(HKEY_CURRENT_USER, KeyPath("RunServiceOnce"), "OrvW expand", REG_EXPAND_SZ,
                Utf16Z("%SystemRoot%\\x.exe"));
    // A machine key the user may read but not write, as without
    // administrator rights: its entries are in the snapshot all the same.
    ScopedRegValue v2(HKEY_LOCAL_MACHINE, machineRunOnce, "OrvW locked");
    SetRegString(HKEY_LOCAL_MACHINE, machineRunOnce, "OrvW locked", "locked.exe");
    ScopedReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, machineRunOnce);

    const std::string userStartup = SpecialFolderPath(kCsidlStartup);
    const std::string commonStartup = SpecialFolderPath(kCsidlCommonStartup);
    ASSERT_TRUE(files::CreateFolderPath(userStartup) && files::CreateFolderPath(commonStartup + "\\OrvW sub"));
    ScopedTree sub{commonStartup + "\\OrvW sub"};
    ScopedFile tool(userStartup + "\\Setup.Tool.lnk", "");
    ScopedFile readme(commonStartup + "\\OrvW sub\\README", "text");

    ScopedFolder out("snapshot bytes");
    const std::string path = out.Path() + "\\StartUp(22.02.2005).xml";
    std::string error;
    ASSERT_TRUE(WriteSnapshotFile(path, ReadStartupSnapshot("22.02.2005"), error)) << error;

    const std::string expected =
        Lines({"<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "<!--maid in Quendal_VX-->", "<ALL>", "<REGISTRY>",
               "<Run>"}) +
        RunEntry("OrvW A&amp;B&lt;C&gt;", "C:\\Prog\\a.exe /x &lt;y&gt; &amp; \"z\"", kMachine, true) +
        RunEntry("OrvW Lines", "first&#13;&#10;second&#10;third&#13;", kUser, true) +
        RunEntry("OrvW \x80 &#1046;&#1091;&#1082; &#128512;", "C:\\\xFC\\tab\there.exe", kUser, true) +
        RunEntry("OrvW off", "off.exe", kUser, false) +
        Lines({"</Run>", "<RunOnce>"}) + RunEntry("OrvW locked", "locked.exe", kMachine, true) +
        Lines({"</RunOnce>", "<RunOnceEx>", "</RunOnceEx>", "<RunService>", "</RunService>", "<RunServiceOnce>"}) +
        RunEntry("OrvW expand", "%SystemRoot%\\x.exe", kUser, true) +
        Lines({"</RunServiceOnce>", "</REGISTRY>", "<WIN.INI>", "</WIN.INI>", "<AUTOSTART>"}) +
        FileEntry("Setup.Tool", userStartup + "\\") + FileEntry("README", commonStartup + "\\OrvW sub\\") +
        Lines({"</AUTOSTART>", "<DATE>", "22.02.2005", "</DATE>", "</ALL>"});
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_FALSE(files::FileExists(path + ".new"));
}

// A value that does not hold text is passed over whole, wherever it lies
// among the key's values; the entries around it are complete.
TEST(SnapshotWriter, ValuesWithoutTextArePassedOverWhole) {
    const struct {
        DWORD type;
        std::vector<uint8_t> data;
    } cases[] = {
        {REG_DWORD, {7, 0, 0, 0}},
        {REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
        {REG_BINARY, {0x3C, 0x26, 0x00}},
        {REG_MULTI_SZ, Utf16Z("a.exe")},
        {REG_NONE, {}},
    };
    for (const auto& c : cases) {
        ScopedRegKeys keys;
        keys.Add(HKEY_CURRENT_USER, KeyPath("RunOnceEx-"));
        SetRegString(HKEY_CURRENT_USER, KeyPath("RunOnceEx-"), "OrvW a", "a.exe");
        SetRawValue(HKEY_CURRENT_USER, KeyPath("RunOnceEx-"), "OrvW b", c.type, c.data);
        SetRegString(HKEY_CURRENT_USER, KeyPath("RunOnceEx-"), "OrvW c", "c.exe");
        SnapshotSection section{"RunOnceEx", {}};
        AppendRunKeyEntries(section, kUser, "-");
        const std::vector<SnapshotRunEntry> expected = {{"OrvW a", "a.exe", kUser, false}, {"OrvW c", "c.exe", kUser, false}};
        EXPECT_EQ(section.entries, expected) << "type " << c.type;
    }
}

// A key that is missing adds nothing; the root under HKEY_USERS is read
// below ".Default".
TEST(SnapshotWriter, KeysAreReadWhereTheRootPutsThem) {
    SnapshotSection missing{"RunServiceOnce", {}};
    AppendRunKeyEntries(missing, kUser, "-");
    EXPECT_TRUE(missing.entries.empty());

    const std::string path = startup::RunKeyPath("HKEY_USERS", "RunService");
    ASSERT_EQ(path.rfind(".Default\\", 0), 0u);
    ScopedRegValue value(HKEY_USERS, path, "OrvW default user");
    SetRegString(HKEY_USERS, path, "OrvW default user", "d.exe");
    SnapshotSection users{"RunService", {}};
    AppendRunKeyEntries(users, "HKEY_USERS", "");
    EXPECT_EQ(users.entries, (std::vector<SnapshotRunEntry>{{"OrvW default user", "d.exe", "HKEY_USERS", true}}));
}

// Texts XML cannot carry stop the save with a message; the file that was
// there stays as it was, and nothing is left beside it.
TEST(SnapshotWriter, UnwritableTextIsToldAndChangesNothing) {
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"NUL", std::string("a\0b", 3)},
        {"control character", "a\x01" "b"},
        {"invalid UTF-8", "a\xC3"},
        {"overlong UTF-8", "a\xC0\xBC"},
        {"encoded surrogate", "a\xED\xA0\x80"},
        {"U+FFFF", "a\xEF\xBF\xBF"},
    };
    ScopedFolder out("snapshot unwritable");
    const std::string path = out.Path() + "\\old.xml";
    ASSERT_TRUE(files::WriteFileBytes(path, "old"));
    for (const auto& c : cases) {
        for (int field = 0; field < 3; ++field) {
            SnapshotData data{{{"Run", {{"n", "l", kUser, true}}}}, {{"f", "C:\\"}}, "1.1.2000"};
            (field == 0 ? data.sections[0].entries[0].name : field == 1 ? data.files[0].folder : data.date) = c.text;
            std::string error;
            EXPECT_FALSE(WriteSnapshotFile(path, data, error)) << c.what << " in field " << field;
            EXPECT_NE(error.find("cannot"), std::string::npos) << error;
            EXPECT_EQ(ReadBytes(path), "old") << c.what;
            EXPECT_FALSE(files::FileExists(path + ".new"));
        }
    }
}

// The file goes beside its place first and then replaces what is there; a
// place that cannot be written is told, naming it.
TEST(SnapshotWriter, FileIsPutInPlaceOrTheFailureTold) {
    ScopedFolder out("snapshot place");
    const SnapshotData data{{{"Run", {{"n", "l", kUser, true}}}}, {}, "1.1.2000"};
    std::string bytes, fault;
    ASSERT_TRUE(BuildSnapshotBytes(data, bytes, fault)) << fault;

    const std::string existing = out.Path() + "\\existing.xml";
    ASSERT_TRUE(files::WriteFileBytes(existing, std::string(100000, 'x')));
    ASSERT_TRUE(files::WriteFileBytes(existing + ".new", "left by a crash"));
    std::string error;
    ASSERT_TRUE(WriteSnapshotFile(existing, data, error)) << error;
    EXPECT_EQ(ReadBytes(existing), bytes);
    EXPECT_FALSE(files::FileExists(existing + ".new"));

    const std::string folderThere = out.Path() + "\\a folder.xml";
    ASSERT_TRUE(files::CreateFolderPath(folderThere));
    for (const std::string& bad : {out.Path() + "\\missing\\x.xml", folderThere}) {
        error.clear();
        EXPECT_FALSE(WriteSnapshotFile(bad, data, error)) << bad;
        EXPECT_NE(error.find("could not be saved"), std::string::npos) << error;
        EXPECT_FALSE(files::FileExists(bad + ".new")) << bad;
    }
}

// A document type is never parsed, however it is spelled or wherever it
// stands; without one, well-formed text parses and ill-formed text is told.
TEST(SnapshotXml, DocumentTypesAreRefusedBeforeParsing) {
    const char* const hostile[] = {
        "<?xml version=\"1.0\"?>\r\n<!DOCTYPE a [<!ENTITY x \"xx\"><!ENTITY y \"&x;&x;\">]>\r\n<a>&y;</a>",
        "<!DOCTYPE a SYSTEM \"file:///c:/windows/win.ini\"><a/>",
        "<?xml version=\"1.0\"?><!-- c --><!doctype a><a/>",
        "<a/><!DocType a>",
    };
    for (const char* text : hostile) {
        std::vector<platform::xml::LeafText> leaves;
        std::string error;
        EXPECT_TRUE(HasDoctype(text)) << text;
        EXPECT_FALSE(platform::xml::ParseLeafTexts(text, leaves, error)) << text;
        EXPECT_NE(error.find("DOCTYPE"), std::string::npos) << error;
        EXPECT_TRUE(leaves.empty());
    }
    const char* const illFormed[] = {"", "<a>", "<a>&</a>", "<a><b></a></b>", "<?xml version=\"1.0\"?>\r\n<!DOC"};
    for (const char* text : illFormed) {
        std::vector<platform::xml::LeafText> leaves;
        std::string error;
        EXPECT_FALSE(HasDoctype(text)) << text;
        EXPECT_FALSE(platform::xml::ParseLeafTexts(text, leaves, error)) << text;
        EXPECT_NE(error.find("not well-formed"), std::string::npos) << error;
    }
    std::vector<platform::xml::LeafText> leaves;
    std::string error;
    ASSERT_TRUE(platform::xml::ParseLeafTexts(
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<a>\r\n<b>\r\n\x80&#13;&#10;&amp;\r\n</b>\r\n<c>\r\n</c>\r\n</a>",
        leaves, error))
        << error;
    ASSERT_EQ(leaves.size(), 2u);
    EXPECT_EQ(leaves[0].tag, "b");
    EXPECT_EQ(leaves[0].text, "\n\xE2\x82\xAC\r\n&\n");
    EXPECT_EQ(leaves[1].tag, "c");
    EXPECT_EQ(leaves[1].text, "\n");
}

// Saving today's snapshot dates it in the user's short date format and it
// walks back to what the machine holds.
TEST(SnapshotWriter, SaveDatesTheSnapshotToday) {
    ScopedRegKeys keys;
    keys.Add(HKEY_CURRENT_USER, KeyPath("RunService"));
    SetRegString(HKEY_CURRENT_USER, KeyPath("RunService"), "OrvW today", "t.exe");
    ScopedFolder out("snapshot today");
    const std::string path = out.Path() + "\\today.xml";
    EXPECT_NE(SnapshotFileName("22/02/2005"), SnapshotFileName("22.02.2005"));  // the date as formatted
    EXPECT_EQ(SnapshotFileName("22/02/2005"), "StartUp(22/02/2005).xml");
    std::string error;
    ASSERT_TRUE(SaveStartupSnapshot(path, error)) << error;
    SnapshotData read;
    ASSERT_TRUE(ReadSnapshotBytes(ReadBytes(path), read, error)) << error;
    EXPECT_FALSE(read.date.empty());
    EXPECT_EQ(read.date, platform::text::ShortDateToday());
    EXPECT_EQ(read, ReadStartupSnapshot(read.date));
}

// How long a snapshot of 300 run entries takes to read and save (printed);
// the file holds every one of them.
TEST(SnapshotWriter, ThreeHundredEntriesSaved) {
    ScopedRegKeys keys;
    keys.Add(HKEY_CURRENT_USER, KeyPath("RunOnceEx"));
    for (int i = 0; i < 300; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "OrvW entry %03d", i);
        SetRegString(HKEY_CURRENT_USER, KeyPath("RunOnceEx"), name,
                     std::string("C:\\Program Files\\Tool ") + name + "\\tool.exe /start");
    }
    ScopedFolder out("snapshot 300");
    const std::string path = out.Path() + "\\StartUp.xml";
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(SaveStartupSnapshot(path, error)) << error;
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("[ timing ] snapshot of 300 run entries read and saved in %.1f ms\n", ms);
    SnapshotData read;
    ASSERT_TRUE(ReadSnapshotBytes(ReadBytes(path), read, error)) << error;
    EXPECT_EQ(read.sections.at(2).entries.size(), 300u);
}
