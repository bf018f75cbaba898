// Registry trees out to a file and back: every value type and odd names survive
// our own export and import, and the system's reg.exe reads our files and we
// read its files.
#include "RestrictedRegKey.h"
#include "backup/RegistryTree.h"
#include "NulNamedValue.h"
#include "RegSeed.h"
#include "EngineTestSupport.h"

#include "platform/Handles.h"

#include <gtest/gtest.h>

#include "platform/Files.h"

#include <algorithm>
#include <map>
#include <tuple>

using namespace backup;
using namespace testing_support;

namespace {

struct SeedValue {
    std::string key;  // below the test's base key, "" for the base itself
    std::string name;
    DWORD type;
    std::vector<uint8_t> data;
};

const std::string kOdd = "q\"uo\\te = [x] ; \xCE\xA9 \xC3\xBC \xF0\x9F\x98\x80";

std::vector<SeedValue> Seeds() {
    std::vector<uint8_t> bin(100);
    for (size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<uint8_t>(255 - i);
    return {
        {"", "", REG_SZ, Utf16Z("")},  // an empty default value
        {"", "text", REG_SZ, Utf16Z("plain")},
        {"", kOdd, REG_SZ, Utf16Z(kOdd)},
        {"", "new\nline name", REG_SZ, Utf16Z("one\r\ntwo\nthree")},
        {"", "empty text", REG_SZ, Utf16Z("")},
        {"", "no data", REG_SZ, {}},
        {"", "expand", REG_EXPAND_SZ, Utf16Z("%SystemRoot%\\system32;\xCE\xA9")},
        {"", "multi", REG_MULTI_SZ, {'a', 0, 0, 0, '"', 0, '\\', 0, 0, 0, 0, 0}},
        {"", "binary", REG_BINARY, bin},
        {"", "empty binary", REG_BINARY, {}},
        {"", kOdd + " binary", REG_BINARY, bin},  // wrapped after an escaped name
        {"", "dword", REG_DWORD, {0xEF, 0xBE, 0xAD, 0xDE}},
        {"", "short dword", REG_DWORD, {1, 2}},
        {"", "qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 0x80}},
        {"", "none", REG_NONE, {1, 2}},
        {"", "empty none", REG_NONE, {}},
        {"", "odd type", 0x1234, {0xAB, 0xCD}},
        {"sub [x] = \xCE\xA9", "", REG_SZ, Utf16Z("default text")},
        {"sub [x] = \xCE\xA9", "=", REG_DWORD, {0, 0, 0, 0}},
        {"sub [x] = \xCE\xA9\\deep \"q\"", "[", REG_SZ, Utf16Z("]")},
        {"empty key", "", kKeyOnly, {}},  // stands for a key without values (not written)
    };
}

using ValueMap = std::map<std::string, std::tuple<uint32_t, std::vector<uint8_t>>>;
using TreeMap = std::map<std::string, ValueMap>;

// Keys by path below base, values by name: what must match, whatever the order.
TreeMap ByPath(const std::vector<RegKeyData>& keys, const std::string& base) {
    TreeMap tree;
    for (const auto& key : keys) {
        EXPECT_EQ(key.path.rfind(base, 0), 0u) << key.path;
        auto& values = tree[key.path.substr(base.size())];
        for (const auto& value : key.values) values[value.name] = {value.type, value.data};
    }
    return tree;
}

class RegistryTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        Seed();
    }

    void Seed() {
        for (const auto& seed : Seeds()) {
            const std::string path = seed.key.empty() ? relative_ : relative_ + "\\" + seed.key;
            SetRawValue(HKEY_CURRENT_USER, path, seed.name, seed.type, seed.data);
        }
    }

    TreeMap Expected() const {
        TreeMap tree;
        for (const auto& seed : Seeds()) {
            auto& values = tree[seed.key.empty() ? "" : "\\" + seed.key];
            if (seed.type != kKeyOnly) values[seed.name] = {seed.type, seed.data};
        }
        return tree;
    }

    std::vector<RegKeyData> Export() {
        std::vector<RegKeyData> keys;
        std::string error;
        EXPECT_TRUE(ExportRegistryTree("HKEY_CURRENT_USER", relative_, keys, error)) << error;
        return keys;
    }

    ScratchRegKey scratch_{"RegistryTree"};
    const std::string relative_ = scratch_.Relative(), base_ = scratch_.Full();
};

// Runs reg.exe with the arguments and returns its exit code (-1 when it did not start).
int RunReg(const std::string& arguments) {
    std::wstring commandLine = L"reg.exe " + W(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info))
        return -1;
    platform::KernelHandle process(info.hProcess);
    platform::KernelHandle thread(info.hThread);
    if (WaitForSingleObject(process.Get(), 60000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    return static_cast<int>(code);
}

TEST_F(RegistryTreeTest, ExportReadsEveryValueExactly) {
    const auto keys = Export();
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys[0].path, base_);  // each key comes before its subkeys
    EXPECT_EQ(ByPath(keys, base_), Expected());
    std::vector<RegKeyData> missing;
    std::string error;
    EXPECT_FALSE(ExportRegistryTree("HKEY_CURRENT_USER", relative_ + "\\no such key", missing, error));
    EXPECT_NE(error.find("no such key"), std::string::npos) << error;
    EXPECT_FALSE(ExportRegistryTree("HKEY_NOWHERE", relative_, missing, error));
    EXPECT_NE(error.find("HKEY_NOWHERE"), std::string::npos) << error;
}

TEST_F(RegistryTreeTest, FileRoundTripRestoresTheTree) {
    ScopedFolder folder("RegistryTree");
    const std::string file = folder.Path() + "\\HKEY_CURRENT_USER.reg";
    std::string error;
    ASSERT_TRUE(SaveRegFile(file, Export(), error)) << error;
    DeleteRegTree(HKEY_CURRENT_USER, relative_);
    ASSERT_FALSE(RegKeyExists(HKEY_CURRENT_USER, relative_));

    std::vector<RegKeyData> loaded;
    ASSERT_TRUE(LoadRegFile(file, loaded, error)) << error;
    ASSERT_TRUE(ImportRegistryTree(loaded, error)) << error;
    EXPECT_EQ(ByPath(Export(), base_), Expected());
}

TEST_F(RegistryTreeTest, ImportRefusesUnknownRootsAndLoadNamesTheFile) {
    std::string error;
    EXPECT_FALSE(ImportRegistryTree({{"HKEY_NOWHERE\\x", {}}}, error));
    EXPECT_NE(error.find("HKEY_NOWHERE"), std::string::npos) << error;
    ScopedFolder folder("RegistryTreeBad");
    ScopedFile bad(folder.Path() + "\\bad.reg", "\xFF\xFE" "W\0x\0");
    std::vector<RegKeyData> keys;
    EXPECT_FALSE(LoadRegFile(bad.Path(), keys, error));
    EXPECT_EQ(error.rfind(bad.Path() + ", Line 1:", 0), 0u) << error;
    EXPECT_FALSE(LoadRegFile(folder.Path() + "\\missing.reg", keys, error));
    EXPECT_NE(error.find("missing.reg"), std::string::npos) << error;
}


TEST_F(RegistryTreeTest, UnreadableSubkeyFailsOrIsListedAndLeftOut) {
    const std::string locked = relative_ + "\\sub [x] = \xCE\xA9";
    std::vector<RegKeyData> keys;
    std::string error;
    std::vector<LeftOutKey> unreadable;
    bool exported = false;
    {
        const ScopedLockedKey lock(HKEY_CURRENT_USER, locked);
        EXPECT_FALSE(ExportRegistryTree("HKEY_CURRENT_USER", relative_, keys, error));
        EXPECT_NE(error.find("Cannot open " + base_ + "\\sub [x]"), std::string::npos) << error;
        keys.clear();
        exported = ExportRegistryTree("HKEY_CURRENT_USER", relative_, keys, error, &unreadable);
    }
    ASSERT_TRUE(exported) << error;
    ASSERT_EQ(unreadable.size(), 1u);
    EXPECT_EQ(unreadable[0].path, "HKEY_CURRENT_USER\\" + locked);
    EXPECT_FALSE(unreadable[0].reason.empty());
    TreeMap expected = Expected();
    for (auto it = expected.begin(); it != expected.end();)
        it = it->first.rfind("\\sub [x]", 0) == 0 ? expected.erase(it) : std::next(it);
    EXPECT_EQ(ByPath(keys, base_), expected);
}

// A registry file's lines in UTF-8, leaving out the entries (with their
// continuation lines) that begin with any of the prefixes.
std::vector<std::string> TextWithout(const std::string& file, const std::vector<std::string>& prefixes) {
    std::string bytes;
    EXPECT_TRUE(platform::files::ReadFileBytes(file, bytes)) << file;
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8)));
    const std::string utf8 = Utf8FromUtf16(text.data(), text.size());
    std::vector<std::string> lines;
    bool skipping = false, continued = false;
    for (size_t start = 0; start < utf8.size();) {
        size_t end = utf8.find("\r\n", start);
        if (end == std::string::npos) end = utf8.size();
        const std::string line = utf8.substr(start, end - start);
        start = end + 2;
        if (!continued)
            skipping = std::any_of(prefixes.begin(), prefixes.end(),
                                   [&](const std::string& p) { return line.rfind(p, 0) == 0; });
        continued = !line.empty() && line.back() == '\\';
        if (!skipping) lines.push_back(line);
    }
    return lines;
}

// reg.exe is the reference reader and writer of this format.
TEST_F(RegistryTreeTest, RegExeImportsOurFileAndWeReadItsFile) {
    ScopedFolder folder("RegistryTreeRegExe");
    const std::string ours = folder.Path() + "\\ours.reg";
    const std::string theirs = folder.Path() + "\\theirs.reg";
    std::string error;
    const auto keys = Export();
    ASSERT_TRUE(SaveRegFile(ours, keys, error)) << error;

    ASSERT_EQ(RunReg("export \"" + base_ + "\" \"" + theirs + "\" /y"), 0);
    std::vector<RegKeyData> theirKeys;
    ASSERT_TRUE(LoadRegFile(theirs, theirKeys, error)) << error;
    ASSERT_FALSE(theirKeys.empty());
    TreeMap expected = Expected();
    std::get<1>(expected[""]["no data"]) = {0, 0};  // reg.exe writes no bytes as "", one NUL
    expected[""].erase("short dword");  // and a dword of two bytes as four, the last two whatever followed
    theirKeys[0].values.erase(std::remove_if(theirKeys[0].values.begin(), theirKeys[0].values.end(),
                                             [](const RegValueData& v) { return v.name == "short dword"; }),
                              theirKeys[0].values.end());
    EXPECT_EQ(ByPath(theirKeys, base_), expected);
    // Byte for byte the same file, but for the values we write in hex on
    // purpose: a string with line breaks, string data of no bytes at all and a
    // dword of the wrong size.
    const std::vector<std::string> handWritten = {"\"new\\nline name\"=", "\"no data\"=", "\"short dword\"="};
    const auto ourLines = TextWithout(ours, handWritten);
    EXPECT_GT(ourLines.size(), 20u);
    EXPECT_EQ(ourLines, TextWithout(theirs, handWritten));

    DeleteRegTree(HKEY_CURRENT_USER, relative_);
    ASSERT_EQ(RunReg("import \"" + ours + "\""), 0);
    EXPECT_EQ(ByPath(Export(), base_), Expected());
}

}  // namespace

namespace {

// A value whose name holds a NUL goes back under its whole name: restored
// through the calls that stop at the NUL it would land on its namesake.
TEST(RegistryTreeNulNames, ARestoreKeepsANameHoldingANulApartFromItsNamesake) {
    ScratchRegKey scratch("RegistryTreeNul");
    const std::string key = scratch.Relative() + "\\Run";
    SetRegString(HKEY_CURRENT_USER, key, "entry", "plain.exe");
    const std::wstring hidden = WideName("entry") + L'\0' + WideName("tail");
    SetNulNamed(HKEY_CURRENT_USER, key, hidden, "hidden.exe");
    std::vector<RegKeyData> keys;
    std::string error;
    ASSERT_TRUE(ExportRegistryTree("HKEY_CURRENT_USER", key, keys, error)) << error;
    DeleteRegTree(HKEY_CURRENT_USER, key);

    ASSERT_TRUE(ImportRegistryTree(keys, error)) << error;
    EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, key, WideName("entry")), std::optional<std::string>("plain.exe"));
    EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, key, hidden), std::optional<std::string>("hidden.exe"));
}

}  // namespace
