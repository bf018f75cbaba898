// Backup points written before a delete: restoring a point gives back what was
// deleted, writers in one minute merge, failures are reported and verified.
#include "backup/BackupPoint.h"
#include "backup/RegistryTree.h"
#include "RegSeed.h"
#include "EngineTestSupport.h"

#include "platform/Files.h"
#include "platform/Handles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

using namespace backup;
using namespace testing_support;
namespace files = platform::files;

namespace {

void SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
              const std::vector<uint8_t>& data) {
    SetRawValue(root, path, name, type, data);
}

std::vector<uint8_t> Utf16Z(const std::string& utf8) {
    std::vector<uint8_t> bytes;
    for (char16_t c : Utf16FromUtf8(utf8)) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

using Tree = std::map<std::string, std::map<std::string, std::tuple<uint32_t, std::vector<uint8_t>>>>;

Tree AsTree(const std::vector<RegKeyData>& keys) {
    Tree tree;
    for (const auto& key : keys) {
        auto& values = tree[key.path];
        for (const auto& value : key.values) values[value.name] = {value.type, value.data};
    }
    return tree;
}

SYSTEMTIME At(int year, int month, int day, int hour, int minute) { return TimeAt(year, month, day, hour, minute); }

const SYSTEMTIME kNow = At(2026, 12, 7, 13, 5);
const char kPointName[] = "2026.12.07 13.05";

class BackupPointTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<uint8_t> bin(300);
        for (size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<uint8_t>(i * 7);
        SetValue(HKEY_CURRENT_USER, relative_ + "\\Tree", "", REG_SZ, Utf16Z(""));
        SetValue(HKEY_CURRENT_USER, relative_ + "\\Tree", "text", REG_SZ, Utf16Z("plain \xCE\xA9"));
        SetValue(HKEY_CURRENT_USER, relative_ + "\\Tree", "multi", REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0});
        SetValue(HKEY_CURRENT_USER, relative_ + "\\Tree\\sub \"q\" [x]", "bin", REG_BINARY, bin);
        SetValue(HKEY_CURRENT_USER, relative_ + "\\Tree\\sub \"q\" [x]\\deep", "qword", REG_QWORD,
                 {1, 2, 3, 4, 5, 6, 7, 0x80});
        SetValue(HKEY_CURRENT_USER, relative_ + "\\Tree\\empty", "none", REG_NONE, {});
        SetValue(HKEY_CURRENT_USER, relative_ + "\\Run", "lone \xE2\x82\xAC", REG_EXPAND_SZ,
                 Utf16Z("%SystemRoot%\\x.exe"));
        SetValue(HKEY_CURRENT_USER, relative_ + "\\Run", "stays", REG_DWORD, {1, 0, 0, 0});
    }

    BackupItem Key(const std::string& below) const { return {"HKEY_CURRENT_USER", relative_ + "\\" + below, true, ""}; }
    BackupItem Value(const std::string& below, const std::string& name) const {
        return {"HKEY_CURRENT_USER", relative_ + "\\" + below, false, name};
    }
    std::vector<RegKeyData> Export(const std::string& below) const {
        std::vector<RegKeyData> keys;
        std::string error;
        EXPECT_TRUE(ExportRegistryTree("HKEY_CURRENT_USER", relative_ + "\\" + below, keys, error)) << error;
        return keys;
    }
    static std::vector<RegKeyData> Load(const std::string& file) {
        std::vector<RegKeyData> keys;
        std::string error;
        EXPECT_TRUE(LoadRegFile(file, keys, error)) << error;
        return keys;
    }

    ScratchRegKey scratch_{"BackupPoint"};
    const std::string relative_ = scratch_.Relative(), base_ = scratch_.Full();
};

TEST_F(BackupPointTest, RestoringThePointUndoesTheDelete) {
    ScopedFolder folder("BackupPointRestore");
    const std::string backup = folder.Path() + "\\Backup\\";
    const Tree treeBefore = AsTree(Export("Tree"));
    const Tree runBefore = AsTree(Export("Run"));

    // A value of another root goes into that root's own file.
    const std::string machine = "Software\\OrvelinBackupPointTest" + std::to_string(GetCurrentProcessId());
    ScopedRegKeys machineKey;
    machineKey.Add(HKEY_LOCAL_MACHINE, machine);
    SetValue(HKEY_LOCAL_MACHINE, machine, "machine", REG_DWORD, {7, 0, 0, 0});

    std::string point, error;
    ASSERT_TRUE(BackUpBeforeDelete(backup, kNow,
                                   {Key("Tree"), Value("Run", "lone \xE2\x82\xAC"),
                                    {"HKEY_LOCAL_MACHINE", machine, false, "machine"}},
                                   point, error))
        << error;
    EXPECT_EQ(point, backup + kPointName + "\\");
    // Only the roots touched have a file, and nothing of the writing is left over.
    std::vector<std::string> names;
    files::FindEntries(point + "*", [&](const files::FindEntry& entry) {
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.name);
    });
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"HKEY_CURRENT_USER.reg", "HKEY_LOCAL_MACHINE.reg", kManifestFileName}));
    EXPECT_EQ(AsTree(Load(point + "HKEY_LOCAL_MACHINE.reg")),
              (Tree{{"HKEY_LOCAL_MACHINE\\" + machine, {{"machine", {REG_DWORD, {7, 0, 0, 0}}}}}}));

    DeleteRegTree(HKEY_CURRENT_USER, relative_ + "\\Tree");
    platform::KeyHandle run;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, W(relative_ + "\\Run").c_str(), 0, KEY_SET_VALUE, run.Put()),
              ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueW(run.Get(), W("lone \xE2\x82\xAC").c_str()), ERROR_SUCCESS);
    ASSERT_FALSE(RegKeyExists(HKEY_CURRENT_USER, relative_ + "\\Tree"));

    ASSERT_TRUE(ImportRegistryTree(Load(point + "HKEY_CURRENT_USER.reg"), error)) << error;
    EXPECT_EQ(AsTree(Export("Tree")), treeBefore);
    EXPECT_EQ(AsTree(Export("Run")), runBefore);
}

// Writers of one minute merge into its point, but a value the point holds
// is never replaced by other data: the later copy goes, with everything its
// writer saves, into the next point of the minute that holds no other data
// of it.
TEST_F(BackupPointTest, WritersInOneMinuteMergeButNeverReplaceASavedValue) {
    ScopedFolder folder("BackupPointMerge");
    const std::string backup = folder.Path() + "\\Backup\\";
    const std::string minute = backup + kPointName;
    const Tree firstTree = AsTree(Export("Tree"));
    const Tree firstRun = AsTree(Export("Run"));
    const std::string tree = base_ + "\\Tree", run = base_ + "\\Run";
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> set;  // below, name: set to "changed N" first
        std::vector<BackupItem> items;
        std::string point;  // where they go
    } writes[] = {
        {"the first", {}, {Key("Tree"), Value("Run", "stays")}, minute},
        {"a new value and an unchanged one", {{"Tree", "added"}},
         {Value("Tree", "added"), Value("Tree", "multi"), Value("Run", "lone \xE2\x82\xAC")}, minute},
        {"a changed value", {{"Tree", "text"}, {"Tree", "second"}}, {Value("Tree", "text"), Value("Tree", "second")},
         minute + " (2)"},
        {"changed again", {{"Tree", "text"}}, {Value("Tree", "text")}, minute + " (3)"},
        {"changed again where the second point holds nothing of it", {{"Tree", "added"}, {"Run", "stays"}},
         {Value("Tree", "added"), Value("Run", "stays")}, minute + " (2)"},
    };
    int change = 0;
    for (const auto& write : writes) {
        SCOPED_TRACE(write.what);
        for (const auto& [below, name] : write.set)
            SetValue(HKEY_CURRENT_USER, relative_ + "\\" + below, name, REG_SZ, Utf16Z("changed " + std::to_string(++change)));
        std::string point, error;
        ASSERT_TRUE(BackUpBeforeDelete(backup, kNow, write.items, point, error)) << error;
        EXPECT_EQ(point, write.point + "\\");
    }
    Tree expected = firstTree;  // the first copy of every value stays where it was saved first
    for (const auto& [name, value] : firstRun.at(run)) expected[run][name] = value;
    expected[tree]["added"] = {REG_SZ, Utf16Z("changed 1")};
    EXPECT_EQ(AsTree(Load(minute + "\\HKEY_CURRENT_USER.reg")), expected);
    EXPECT_EQ(AsTree(Load(minute + " (2)\\HKEY_CURRENT_USER.reg")),
              (Tree{{tree, {{"text", {REG_SZ, Utf16Z("changed 2")}}, {"second", {REG_SZ, Utf16Z("changed 3")}},
                            {"added", {REG_SZ, Utf16Z("changed 5")}}}},
                    {run, {{"stays", {REG_SZ, Utf16Z("changed 6")}}}}}));
    EXPECT_EQ(AsTree(Load(minute + " (3)\\HKEY_CURRENT_USER.reg")),
              (Tree{{tree, {{"text", {REG_SZ, Utf16Z("changed 4")}}}}}));
}

struct ConcurrentWriter {
    std::string backup;
    std::vector<BackupItem> items;
    int failures = 0;
    std::string lastError;
};

DWORD WINAPI WriteOneByOne(void* parameter) {
    auto* writer = static_cast<ConcurrentWriter*>(parameter);
    for (const auto& item : writer->items) {
        std::string point, error;
        if (!BackUpBeforeDelete(writer->backup, kNow, {item}, point, error)) {
            ++writer->failures;
            writer->lastError = error;
        }
    }
    return 0;
}

TEST_F(BackupPointTest, ConcurrentWritersTakeTurnsAndLoseNothing) {
    ScopedFolder folder("BackupPointConcurrent");
    constexpr int kPerWriter = 12;
    ConcurrentWriter writers[2];
    Tree expected;
    for (int w = 0; w < 2; ++w) {
        writers[w].backup = folder.Path() + "\\Backup\\";
        for (int i = 0; i < kPerWriter; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "w%dv%d", w, i);
            const std::vector<uint8_t> data{static_cast<uint8_t>(w), static_cast<uint8_t>(i)};
            SetValue(HKEY_CURRENT_USER, relative_ + "\\Many", name, REG_BINARY, data);
            writers[w].items.push_back(Value("Many", name));
            expected[base_ + "\\Many"][name] = {REG_BINARY, data};
        }
    }
    platform::KernelHandle threads[2];
    for (int w = 0; w < 2; ++w) {
        threads[w].Reset(CreateThread(nullptr, 0, WriteOneByOne, &writers[w], 0, nullptr));
        ASSERT_TRUE(threads[w].Valid());
    }
    for (auto& thread : threads) EXPECT_EQ(WaitForSingleObject(thread.Get(), 120000), WAIT_OBJECT_0);
    for (const auto& writer : writers) EXPECT_EQ(writer.failures, 0) << writer.lastError;
    EXPECT_EQ(AsTree(Load(folder.Path() + "\\Backup\\" + kPointName + "\\HKEY_CURRENT_USER.reg")), expected);
}

TEST_F(BackupPointTest, PointNamesPadTheHourWithSpaces) {
    ScopedFolder folder("BackupPointNames");
    const std::string backup = folder.Path() + "\\Backup";  // the separator is added when missing
    const struct {
        SYSTEMTIME time;
        const char* name;
    } cases[] = {
        {At(2026, 1, 2, 0, 5), "2026.01.02  0.05"},
        {At(2026, 1, 2, 9, 0), "2026.01.02  9.00"},
        {At(2026, 11, 30, 23, 59), "2026.11.30 23.59"},
    };
    for (const auto& c : cases) {
        std::string point, error;
        ASSERT_TRUE(BackUpBeforeDelete(backup, c.time, {Value("Run", "stays")}, point, error)) << error;
        EXPECT_EQ(point, backup + "\\" + c.name + "\\");
        EXPECT_TRUE(files::FileExists(point + "HKEY_CURRENT_USER.reg")) << c.name;
    }
}

TEST_F(BackupPointTest, FailuresAreReportedAndNothingIsWrittenOrChanged) {
    ScopedFolder folder("BackupPointFail");
    ScopedFile blocker(folder.Path() + "\\a file", "x");
    const std::string prefix = std::string("The backup point ") + kPointName + " could not be written: ";
    const Tree runBefore = AsTree(Export("Run"));
    const struct {
        std::string backup;
        BackupItem item;
        std::string mentions;
    } cases[] = {
        {blocker.Path() + "\\Backup\\", Value("Run", "stays"), blocker.Path() + "\\Backup\\" + kPointName},
        {folder.Path() + "\\Backup\\", Value("Run", "no such value"), "\"no such value\""},
        {folder.Path() + "\\Backup\\", Key("no such key"), "no such key"},
        {folder.Path() + "\\Backup\\", {"HKEY_NOWHERE", "x", true, ""}, "HKEY_NOWHERE"},
        {folder.Path() + "\\Backup\\", {"HKEY_CURRENT_USER", "", true, ""}, "HKEY_CURRENT_USER"},
    };
    for (const auto& c : cases) {
        std::string point, error;
        EXPECT_FALSE(BackUpBeforeDelete(c.backup, kNow, {Value("Run", "stays"), c.item}, point, error));
        EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
        EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
        EXPECT_GT(error.size(), prefix.size() + c.mentions.size() + 4) << error;  // a reason beside the name
        // A failed item stops the backup before the point is made.
        EXPECT_FALSE(files::DirectoryExists(folder.Path() + "\\Backup\\" + kPointName)) << error;
    }
    EXPECT_EQ(AsTree(Export("Run")), runBefore);
}

TEST(BackupPointLock, WaitsForTheHolderForABoundedTimeOnly) {
    ScopedFolder folder("BackupPointLock");
    const std::string path = folder.Path() + "\\point.lock";
    {
        const platform::FileHandle held = files::OpenLockFile(path, 0);
        ASSERT_TRUE(held.Valid());
        const ULONGLONG start = GetTickCount64();
        const platform::FileHandle second = files::OpenLockFile(path, 300);
        EXPECT_FALSE(second.Valid());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_GE(GetTickCount64() - start, 300u);
    }
    EXPECT_FALSE(files::FileExists(path));  // gone with its holder
    EXPECT_TRUE(files::OpenLockFile(path, 0).Valid());
    // A place no file can be made is no holder: no waiting for it.
    ScopedFile blocker(folder.Path() + "\\a file", "x");
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(files::OpenLockFile(blocker.Path() + "\\point.lock", 5000).Valid());
    EXPECT_LT(GetTickCount64() - start, 2000u);
}

TEST_F(BackupPointTest, AnUnreadableRootFileIsNeverReplacedWithLess) {
    ScopedFolder folder("BackupPointKeep");
    const std::string point = folder.Path() + "\\Backup\\" + kPointName + "\\";
    ASSERT_TRUE(files::CreateFolderPath(point));
    const std::string garbage("\xFF\xFE" "n\0o\0t\0 \0a\0 \0f\0i\0l\0e\0", 22);
    ScopedFile existing(point + "HKEY_CURRENT_USER.reg", garbage);
    std::string written, error;
    EXPECT_FALSE(BackUpBeforeDelete(folder.Path() + "\\Backup\\", kNow, {Value("Run", "stays")}, written, error));
    EXPECT_NE(error.find("HKEY_CURRENT_USER.reg, Line 1"), std::string::npos) << error;
    std::string bytes;
    ASSERT_TRUE(files::ReadFileBytes(existing.Path(), bytes));
    EXPECT_EQ(bytes, garbage);
}

TEST_F(BackupPointTest, VerifyFindsWhatATamperedFileLacks) {
    ScopedFolder folder("BackupPointVerify");
    std::string point, error;
    ASSERT_TRUE(BackUpBeforeDelete(folder.Path() + "\\Backup\\", kNow, {Key("Tree")}, point, error)) << error;
    const std::vector<RegKeyData> exported = Export("Tree");
    const std::vector<RegKeyData> saved = Load(point + "HKEY_CURRENT_USER.reg");
    std::string problem;
    EXPECT_TRUE(BackupHolds(saved, exported, problem)) << problem;

    // The file's text tampered with on disk: one letter of a string value.
    std::string bytes;
    ASSERT_TRUE(files::ReadFileBytes(point + "HKEY_CURRENT_USER.reg", bytes));
    const std::string plain("p\0l\0a\0i\0n\0", 10);
    const size_t at = bytes.find(plain);
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'P';
    ASSERT_TRUE(files::WriteFileBytes(point + "HKEY_CURRENT_USER.reg", bytes));
    EXPECT_FALSE(BackupHolds(Load(point + "HKEY_CURRENT_USER.reg"), exported, problem));
    EXPECT_EQ(problem, "the value \"text\" of " + base_ + "\\Tree differs");

    // Each kind of loss, and names that differ only in case still match.
    const std::string key = base_ + "\\Tree";
    // The registry's order of values is its own; find them by name.
    const auto named = [](RegKeyData& data, const std::string& name) -> RegValueData& {
        for (auto& value : data.values)
            if (value.name == name) return value;
        ADD_FAILURE() << name;
        return data.values.front();
    };
    const auto without = [&](auto change) {
        std::vector<RegKeyData> copy = saved;
        change(copy);
        return copy;
    };
    const struct {
        std::vector<RegKeyData> saved;
        std::string problem;  // empty: holds
    } cases[] = {
        {without([](auto& keys) { keys.pop_back(); }), "the key " + exported.back().path + " is missing"},
        {without([&](auto& keys) { named(keys[0], "").type = REG_EXPAND_SZ; }), "the default value of " + key + " differs"},
        {without([&](auto& keys) {
             auto& values = keys[0].values;
             values.erase(values.begin() + (&named(keys[0], "") - values.data()));
         }),
         "the default value of " + key + " is missing"},
        {without([&](auto& keys) { named(keys[0], "multi").data.push_back(0); }), "the value \"multi\" of " + key + " differs"},
        {without([&](auto& keys) {
             for (auto& c : keys[0].path) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
             named(keys[0], "text").name = "TEXT";
         }),
         ""},
    };
    for (const auto& c : cases) {
        problem.clear();
        EXPECT_EQ(BackupHolds(c.saved, exported, problem), c.problem.empty()) << c.problem;
        EXPECT_EQ(problem, c.problem);
    }
}

}  // namespace
