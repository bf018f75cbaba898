// Backup points that can be trusted: the manifest checked before a restore
// (damaged points refused file by file), points partial rather than failed
// when keys cannot be read, the marker of a restore under way, and what an
// interrupted writer leaves behind.
#include "RestrictedRegKey.h"
#include "backup/BackupRun.h"
#include "backup/RegistryTree.h"
#include "formats/PointManifest.h"
#include "DanglingRegLink.h"
#include "EngineTestSupport.h"
#include "RegSeed.h"

#include "platform/Files.h"
#include "platform/Hash.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <thread>
#include <tuple>

using namespace backup;
using namespace testing_support;
namespace files = platform::files;

namespace {

const BackupRootFlags kUserRootOnly{false, false, true, false, false};
const BackupRootFlags kMachineRootOnly{true, false, false, false, false};
const char kUserFile[] = "HKEY_CURRENT_USER.reg";

SYSTEMTIME At(int hour, int minute) { return TimeAt(2026, 5, 6, hour, minute); }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string ReadAll(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(files::ReadFileBytes(path, bytes)) << path;
    return bytes;
}

PointManifest ManifestOf(const std::string& point) {
    PointManifest manifest;
    std::string error;
    EXPECT_EQ(LoadPointManifest(point, manifest, error), ManifestState::kRead) << error;
    return manifest;
}

TEST(Sha256, KnownDigests) {
    const struct {
        std::string data;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        platform::hash::Sha256Digest digest;
        ASSERT_EQ(platform::hash::Sha256(c.data.data(), c.data.size(), digest), 0);
        EXPECT_EQ(platform::hash::HexText(digest), c.digest) << c.data.size();
    }
}

// Keys and values below a path with their types and bytes.
using Tree = std::map<std::string, std::map<std::string, std::tuple<uint32_t, std::vector<uint8_t>>>>;

class BackupCheck : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<uint8_t> bin(300);
        for (size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<uint8_t>(i * 7);
        SetRawValue(HKEY_CURRENT_USER, relative_, "text", REG_SZ, Utf16Z("C:\\Program Files\\x.exe /a"));
        SetRawValue(HKEY_CURRENT_USER, relative_, "count", REG_DWORD, {7, 0, 0, 0});
        SetRawValue(HKEY_CURRENT_USER, relative_ + "\\sub", "bytes", REG_BINARY, bin);
        SetRawValue(HKEY_CURRENT_USER, relative_ + "\\sub", "more", REG_SZ, Utf16Z("after the long value"));
        SetRawValue(HKEY_CURRENT_USER, relative_ + "\\sub\\deep", "", REG_EXPAND_SZ, Utf16Z("%TEMP%\\y"));
        before_ = Values();
    }

    Tree Values(const std::string& below = "") const {
        std::vector<RegKeyData> keys;
        std::string error;
        EXPECT_TRUE(ExportRegistryTree("HKEY_CURRENT_USER", relative_ + below, keys, error)) << error;
        Tree tree;
        for (const auto& key : keys)
            for (const auto& value : key.values) tree[key.path][value.name] = {value.type, value.data};
        return tree;
    }

    // A point of the scratch key as a fix makes it: its folder, with the
    // trailing separator.
    std::string MakePoint(int minute) const {
        std::string point, error;
        EXPECT_TRUE(BackUpBeforeDelete(backup_, At(8, minute), {{"HKEY_CURRENT_USER", relative_, true, ""}}, point,
                                       error))
            << error;
        return point;
    }

    ScratchRegKey scratch_{"BackupCheck"};
    const std::string relative_ = scratch_.Relative(), base_ = scratch_.Full();
    ScopedFolder folder_{"EngineBackupCheck"};
    const std::string backup_ = folder_.Path() + "\\Backup\\";
    Tree before_;
};

// A point's files as a case leaves them: missing when empty.
struct PointFiles {
    std::optional<std::string> root, manifest;
};

std::string EvenPart(const std::string& bytes, size_t percent) { return bytes.substr(0, bytes.size() * percent / 100 & ~size_t(1)); }

// The manifest with one of its file entries changed.
std::string ChangedManifest(const std::string& text, const std::function<void(PointManifest&)>& change) {
    PointManifest manifest;
    std::string error;
    EXPECT_TRUE(ReadManifest(text, manifest, error)) << error;
    change(manifest);
    return WriteManifest(manifest);
}

// Every kind of damage a point may suffer, each restored from a copy of one
// good point: the damaged root file is refused with its name and nothing of
// it is written; a point with no manifest is restored unchecked, but the
// reader still refuses a file that shows it was cut.
TEST_F(BackupCheck, DamagedPointsAreRefusedFileByFile) {
    const std::string good = MakePoint(10);
    const std::string root = ReadAll(good + kUserFile), manifest = ReadAll(good + kManifestFileName);
    const std::string u16Hex = std::string("h\0e\0x\0:\0", 8);
    const size_t hexAt = root.find(u16Hex);
    const size_t continued = root.find(std::string("\\\0\r\0\n\0", 6), hexAt);
    const size_t lineEnd = root.rfind(std::string("\r\0\n\0", 4), root.size() * 55 / 100);
    ASSERT_NE(hexAt, std::string::npos);
    ASSERT_NE(continued, std::string::npos);
    ASSERT_NE(lineEnd, std::string::npos);
    std::string oneChanged = root;
    oneChanged[hexAt + 8] = oneChanged[hexAt + 8] == '0' ? '1' : '0';  // the first digit of the long value

    const std::string sizeDiffers = "does not match the point's manifest (it holds ";
    const std::string nothingWritten = "; nothing of it was written.";
    const struct {
        const char* what;
        PointFiles files;
        bool restores;
        std::vector<std::string> mentions;  // in the text the user reads; with the file's path after "its file "
    } cases[] = {
        {"whole", {root, manifest}, true, {}},
        {"cut at 55%", {EvenPart(root, 55), manifest}, false, {sizeDiffers, nothingWritten}},
        {"cut at a line's end", {root.substr(0, lineEnd + 4), manifest}, false, {sizeDiffers}},
        {"the last line break cut", {root.substr(0, root.size() - 2), manifest}, false, {sizeDiffers}},
        {"a byte more", {root + std::string("\n\0", 2), manifest}, false, {sizeDiffers}},
        {"one digit changed", {oneChanged, manifest}, false, {"its SHA-256 differs from the manifest's", nothingWritten}},
        {"another digest in the manifest",
         {root, ChangedManifest(manifest, [](PointManifest& m) { m.files[0].sha256 = std::string(64, 'a'); })},
         false,
         {"its SHA-256 differs from the manifest's"}},
        {"a key more in the manifest",
         {root, ChangedManifest(manifest, [](PointManifest& m) { ++m.files[0].keys; })},
         false,
         {"it reads as 3 keys and 5 values, the manifest says 4 and 5", nothingWritten}},
        {"a value less in the manifest",
         {root, ChangedManifest(manifest, [](PointManifest& m) { --m.files[0].values; })},
         false,
         {"the manifest says 3 and 4"}},
        {"the manifest is garbage", {root, std::string("\x01\x02 not a manifest")}, false,
         {"Its manifest cannot be read, so nothing was restored: ", "manifest.txt, Line 1: "}},
        {"the manifest is empty", {root, std::string()}, false, {"Its manifest cannot be read"}},
        {"the manifest lost its end line", {root, manifest.substr(0, manifest.rfind("end"))}, false,
         {"Its manifest cannot be read", "the manifest ends before its end line"}},
        {"the root file is missing", {std::nullopt, manifest}, false, {"is listed in the point's manifest but missing."}},
        {"the root file is not in the manifest",
         {root, ChangedManifest(manifest, [](PointManifest& m) { m.files.clear(); })},
         false,
         {"is not in the point's manifest, so it cannot be checked" + nothingWritten}},
        {"the manifest lists a file that is no root file",
         {root, ChangedManifest(manifest, [](PointManifest& m) { m.SetFile({"notes.txt", 1, std::string(64, '0'), 0, 0}); })},
         true,
         {"Its manifest lists notes.txt, which is not a root file; it was left alone."}},
        {"no manifest", {root, std::nullopt}, true, {"It has no manifest", "could not be checked"}},
        {"no manifest, cut inside a hex list", {root.substr(0, hexAt + 40), std::nullopt}, false,
         {"It has no manifest", "the file ends inside this value (cut short?)"}},
        {"no manifest, cut after a hex line's continuation", {root.substr(0, continued + 6), std::nullopt}, false,
         {"the hex list continues past the end of the file"}},
        {"no manifest, cut at 55%", {EvenPart(root, 55), std::nullopt}, false, {"HKEY_CURRENT_USER was not restored: "}},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = "case " + std::to_string(++number);
        const std::string point = backup_ + name + "\\";
        ASSERT_TRUE(files::CreateFolderPath(point));
        if (c.files.root) {
            ASSERT_TRUE(files::WriteFileBytes(point + kUserFile, *c.files.root));
        }
        if (c.files.manifest) {
            ASSERT_TRUE(files::WriteFileBytes(point + kManifestFileName, *c.files.manifest));
        }
        DeleteRegTree(HKEY_CURRENT_USER, relative_);

        const BackUpOutcome outcome = RestoreBackupPoint(backup_, name);
        const std::string text = BackUpOutcomeText(outcome);
        EXPECT_EQ(RegKeyExists(HKEY_CURRENT_USER, relative_), c.restores) << text;
        if (c.restores) {
            EXPECT_EQ(Values(), before_);
        }
        EXPECT_EQ(outcome.done, c.restores ? std::vector<std::string>{"HKEY_CURRENT_USER"} : std::vector<std::string>{})
            << text;
        EXPECT_EQ(outcome.problems.empty() && outcome.notices.empty(), c.mentions.empty()) << text;
        for (const auto& mention : c.mentions) EXPECT_TRUE(Contains(text, mention)) << mention << "\n" << text;
        if (!c.restores && c.files.manifest && !Contains(text, "Its manifest cannot be read")) {
            EXPECT_TRUE(Contains(text, "HKEY_CURRENT_USER was not restored: its file " + point + kUserFile + " "))
                << text;
        }
    }
}

// A writer never merges into a root file it cannot vouch for: the file and
// the manifest stay as they are and the caller deletes nothing.
TEST_F(BackupCheck, WritesIntoADamagedPointAreRefused) {
    const std::string good = MakePoint(20);
    const std::string root = ReadAll(good + kUserFile), manifest = ReadAll(good + kManifestFileName);
    const struct {
        const char* what;
        PointFiles files;
        std::string mentions;
    } cases[] = {
        {"a cut root file", {EvenPart(root, 55), manifest}, kUserFile + std::string(" is left as it is: it holds ")},
        {"a root file not in the manifest",
         {root, ChangedManifest(manifest, [](PointManifest& m) { m.files.clear(); })},
         " is left as it is: it is not in the point's manifest"},
        {"a damaged manifest", {root, std::string("Orvelin backup point manifest 1\r\nfile\r\n")},
         "the point's manifest cannot be read, so the point is left as it is: "},
    };
    SetRawValue(HKEY_CURRENT_USER, relative_, "new", REG_DWORD, {1, 0, 0, 0});
    for (int minute = 21; const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string point = backup_ + BackupPointName(2026, 5, 6, 8, minute) + "\\";
        ASSERT_TRUE(files::CreateFolderPath(point));
        ASSERT_TRUE(files::WriteFileBytes(point + kUserFile, *c.files.root));
        ASSERT_TRUE(files::WriteFileBytes(point + kManifestFileName, *c.files.manifest));
        std::string written, error;
        EXPECT_FALSE(BackUpBeforeDelete(backup_, At(8, minute++), {{"HKEY_CURRENT_USER", relative_, false, "new"}},
                                        written, error));
        EXPECT_TRUE(Contains(error, c.mentions)) << error;
        EXPECT_EQ(ReadAll(point + kUserFile), *c.files.root);
        EXPECT_EQ(ReadAll(point + kManifestFileName), *c.files.manifest);
    }
}

// A point made by hand or by an earlier version gets no manifest when a
// writer adds to it: the files it had would be vouched for unseen.
TEST_F(BackupCheck, APointWithoutAManifestGetsNoneWhenWrittenTo) {
    const std::string point = backup_ + BackupPointName(2026, 5, 6, 8, 30) + "\\";
    ASSERT_TRUE(files::CreateFolderPath(point));
    std::string error;
    ASSERT_TRUE(SaveRegFile(point + "HKEY_LOCAL_MACHINE.reg", {{"HKEY_LOCAL_MACHINE\\Software\\x", {}}}, error)) << error;
    std::string written;
    ASSERT_TRUE(BackUpBeforeDelete(backup_, At(8, 30), {{"HKEY_CURRENT_USER", relative_, false, "count"}}, written,
                                   error))
        << error;
    EXPECT_TRUE(files::FileExists(point + kUserFile));
    EXPECT_FALSE(files::FileExists(point + kManifestFileName));

    // A new point gets one, and it says what the file holds.
    const std::string fresh = MakePoint(31);
    const PointManifest manifest = ManifestOf(fresh);
    ASSERT_EQ(manifest.files.size(), 1u);
    EXPECT_EQ(manifest.files[0].name, kUserFile);
    EXPECT_EQ(manifest.files[0].size, ReadAll(fresh + kUserFile).size());
    EXPECT_EQ(manifest.files[0].keys, 3u);
    EXPECT_EQ(manifest.files[0].values, 5u);
    EXPECT_FALSE(manifest.Partial());
}

// The ".new" files of a writer that was ended by force go with the next
// write into the point.
TEST_F(BackupCheck, LeftoversOfAnInterruptedWriteGoWithTheNextWrite) {
    const std::string point = backup_ + BackupPointName(2026, 5, 6, 8, 40) + "\\";
    ASSERT_TRUE(files::CreateFolderPath(point));
    const std::vector<std::string> leftovers = {"HKEY_LOCAL_MACHINE.reg.new", "HKEY_CURRENT_USER.reg.new",
                                                std::string(kManifestFileName) + ".new"};
    for (const auto& name : leftovers) ASSERT_TRUE(files::WriteFileBytes(point + name, "half a fi"));
    std::string written, error;
    ASSERT_TRUE(BackUpBeforeDelete(backup_, At(8, 40), {{"HKEY_CURRENT_USER", relative_, false, "count"}}, written,
                                   error))
        << error;
    for (const auto& name : leftovers) EXPECT_FALSE(files::FileExists(point + name)) << name;
    EXPECT_TRUE(files::FileExists(point + kUserFile));
}

// One key that cannot be read, for whatever reason, costs that key only:
// the root is saved without it, the outcome names it and why, the manifest
// marks the point partial, and its restore says so.
TEST_F(BackupCheck, KeysThatCannotBeReadLeaveAPartialPoint) {
    ScopedDanglingLink link(relative_, "leads nowhere");
    SetRawValue(HKEY_CURRENT_USER, relative_ + "\\locked", "secret", REG_DWORD, {6, 0, 0, 0});
    const ScopedLockedKey lock(HKEY_CURRENT_USER, relative_ + "\\locked");

    const BackUpOutcome made = MakeBackupPoint(backup_, At(9, 0), kUserRootOnly);
    const std::string text = BackUpOutcomeText(made);
    EXPECT_TRUE(made.done.empty()) << text;
    const std::string linkPath = base_ + "\\leads nowhere", lockedPath = base_ + "\\locked";
    // One line per reason.
    const std::string notFound = "HKEY_CURRENT_USER: 1 key could not be read and is not in the point: " + linkPath +
                                 ". Reason: ";
    const std::string denied = "HKEY_CURRENT_USER: 1 key could not be read and is not in the point: " + lockedPath +
                               ". Reason: ";
    ASSERT_EQ(made.problems.size(), 2u) << text;
    EXPECT_TRUE(made.problems[0].rfind(notFound, 0) == 0 || made.problems[1].rfind(notFound, 0) == 0) << text;
    EXPECT_TRUE(made.problems[0].rfind(denied, 0) == 0 || made.problems[1].rfind(denied, 0) == 0) << text;
    EXPECT_NE(made.problems[0], made.problems[1]);
    EXPECT_TRUE(Contains(text, "Its manifest marks it partial")) << text;

    const std::string point = backup_ + made.pointName + "\\";
    const PointManifest manifest = ManifestOf(point);
    ASSERT_TRUE(manifest.Partial());
    std::vector<std::string> leftOut;
    for (const auto& key : manifest.leftOut) {
        leftOut.push_back(key.path);
        EXPECT_FALSE(key.reason.empty()) << key.path;
    }
    std::sort(leftOut.begin(), leftOut.end());
    EXPECT_EQ(leftOut, (std::vector<std::string>{linkPath, lockedPath}));
    ASSERT_NE(manifest.Find(kUserFile), nullptr);

    // What it holds comes back, and the user reads that it is partial.
    SetRawValue(HKEY_CURRENT_USER, relative_ + "\\sub", "more", REG_SZ, Utf16Z("changed"));
    const BackUpOutcome restored = RestoreBackupPoint(backup_, made.pointName);
    const std::string restoredText = BackUpOutcomeText(restored);
    EXPECT_EQ(restored.done, std::vector<std::string>{"HKEY_CURRENT_USER"}) << restoredText;
    EXPECT_TRUE(restored.problems.empty()) << restoredText;
    EXPECT_TRUE(restoredText.rfind("The backup point " + made.pointName + " was restored: 1 root written back.\r\n\r\nIt is partial: ", 0) == 0)
        << restoredText;
    EXPECT_TRUE(Contains(restoredText, linkPath)) << restoredText;
    EXPECT_EQ(Values("\\sub")[base_ + "\\sub"], before_[base_ + "\\sub"]);
}

// The machine's root of the test machine holds keys nobody can read (under
// Wine, Perflib\009 answers "Invalid handle"): it still makes a point.
TEST(BackupCheckMachine, TheMachineRootMakesAPoint) {
    ScopedFolder folder("EngineBackupMachine");
    const std::string backup = folder.Path() + "\\Backup\\";
    const BackUpOutcome made = MakeBackupPoint(backup, At(9, 30), kMachineRootOnly);
    const std::string text = BackUpOutcomeText(made);
    for (const auto& problem : made.problems) {
        EXPECT_EQ(problem.rfind("HKEY_LOCAL_MACHINE was not saved", 0), std::string::npos) << text;
        EXPECT_TRUE(Contains(problem, "could not be read and")) << problem;
    }
    const std::string point = backup + made.pointName + "\\";
    const std::string bytes = ReadAll(point + "HKEY_LOCAL_MACHINE.reg");
    const PointManifest manifest = ManifestOf(point);
    const ManifestFile* entry = manifest.Find("HKEY_LOCAL_MACHINE.reg");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->size, bytes.size());
    EXPECT_GT(entry->keys, 100u);
    EXPECT_EQ(manifest.Partial(), !made.problems.empty()) << text;
    EXPECT_EQ(made.done.empty(), manifest.Partial()) << text;
}

// A restore marks itself in the backup folder only once it holds the
// point's lock: a program ended while it waits for a writer of the point
// has restored nothing and must not be told otherwise at its next start.
// At its end the marker goes; one left behind (the program ended by force
// during the restore) is what the next start finds.
TEST_F(BackupCheck, ARestoreIsMarkedOnlyOnceItHoldsThePoint) {
    const std::string point = MakePoint(50);
    const std::string name = BackupPointName(2026, 5, 6, 8, 50);
    const std::string markerPath = backup_ + kRestoreMarkerFileName;
    std::string found;
    ASSERT_FALSE(FindUnfinishedRestore(backup_, found));

    std::optional<BackUpOutcome> outcome;
    {
        platform::FileHandle lock = LockBackupPoint(point);
        ASSERT_TRUE(lock.Valid());
        std::thread restore([&] { outcome = RestoreBackupPoint(backup_, name); });
        Sleep(1500);  // the restore waits for the lock meanwhile
        EXPECT_FALSE(files::FileExists(markerPath));
        EXPECT_FALSE(outcome);
        lock.Reset();
        restore.join();
    }
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->done, std::vector<std::string>{"HKEY_CURRENT_USER"}) << BackUpOutcomeText(*outcome);
    EXPECT_FALSE(FindUnfinishedRestore(backup_, found));

    // As a restore ended by force leaves it.
    ASSERT_TRUE(files::WriteFileBytes(markerPath, name + "\r\n"));
    ASSERT_TRUE(FindUnfinishedRestore(backup_, found));
    EXPECT_EQ(found, name);
    EXPECT_TRUE(ForgetUnfinishedRestore(backup_));
    EXPECT_FALSE(FindUnfinishedRestore(backup_, found));
}

// A writer puts the root file in place before the manifest that describes
// it. Cut off between the two, it leaves the new root file and its manifest
// aside, which the next opening of the point (a restore or a write) puts in
// place; cut off before, it leaves both aside, and the point stays as it
// was. Either way the point is restored, and written to, whole.
TEST_F(BackupCheck, AWriteCutOffBetweenItsFilesIsFinishedAtTheNextOpening) {
    const std::string before = MakePoint(0);
    const std::string oldRoot = ReadAll(before + kUserFile), oldManifest = ReadAll(before + kManifestFileName);
    SetRawValue(HKEY_CURRENT_USER, relative_, "count", REG_DWORD, {8, 0, 0, 0});
    const std::string after = MakePoint(1);
    const std::string newRoot = ReadAll(after + kUserFile), newManifest = ReadAll(after + kManifestFileName);
    const std::string manifestAside = std::string(kManifestFileName) + ".new", rootAside = std::string(kUserFile) + ".new";
    const struct {
        const char* what;
        std::map<std::string, std::string> files;  // the point as the cut left it
        uint8_t count;                            // what the point holds of "count"
    } states[] = {
        {"cut after the root file", {{kUserFile, newRoot}, {kManifestFileName, oldManifest}, {manifestAside, newManifest}}, 8},
        {"cut before it", {{kUserFile, oldRoot}, {rootAside, newRoot}, {kManifestFileName, oldManifest}, {manifestAside, newManifest}}, 7},
    };
    SetRawValue(HKEY_CURRENT_USER, relative_, "added", REG_DWORD, {3, 0, 0, 0});
    for (int minute = 2; const auto& state : states) {
        for (const bool restore : {true, false}) {
            SCOPED_TRACE(std::string(state.what) + (restore ? ", then a restore" : ", then a write"));
            const std::string name = BackupPointName(2026, 5, 6, 8, minute), point = backup_ + name + "\\";
            ASSERT_TRUE(files::CreateFolderPath(point));
            for (const auto& [file, bytes] : state.files) ASSERT_TRUE(files::WriteFileBytes(point + file, bytes));
            if (restore) {
                DeleteRegTree(HKEY_CURRENT_USER, relative_);
                const BackUpOutcome outcome = RestoreBackupPoint(backup_, name);
                EXPECT_EQ(outcome.done, std::vector<std::string>{"HKEY_CURRENT_USER"}) << BackUpOutcomeText(outcome);
                EXPECT_EQ(std::get<1>(Values()[base_]["count"]), (std::vector<uint8_t>{state.count, 0, 0, 0}));
                SetRawValue(HKEY_CURRENT_USER, relative_, "added", REG_DWORD, {3, 0, 0, 0});
            } else {
                std::string written, error;
                EXPECT_TRUE(BackUpBeforeDelete(backup_, At(8, minute), {{"HKEY_CURRENT_USER", relative_, false, "added"}},
                                               written, error))
                    << error;
                EXPECT_EQ(written, point);
            }
            std::string problem;
            const PointManifest manifest = ManifestOf(point);
            ASSERT_NE(manifest.Find(kUserFile), nullptr);
            EXPECT_TRUE(MatchesManifest(*manifest.Find(kUserFile), ReadAll(point + kUserFile), problem)) << problem;
            EXPECT_FALSE(files::FileExists(point + manifestAside));
            EXPECT_FALSE(files::FileExists(point + rootAside));
            ++minute;
        }
    }
}

// A key that lets its subkeys be listed but cannot be read itself keeps the
// subkeys that can be read in the point; it is named as left out, since its
// own values are not there.
TEST_F(BackupCheck, AKeyThatCannotBeReadKeepsItsReadableSubkeys) {
    SetRawValue(HKEY_CURRENT_USER, relative_ + "\\list only", "hidden", REG_DWORD, {1, 0, 0, 0});
    SetRawValue(HKEY_CURRENT_USER, relative_ + "\\list only\\open", "seen", REG_DWORD, {2, 0, 0, 0});
    const ScopedListOnlyKey listOnly(HKEY_CURRENT_USER, relative_ + "\\list only");

    const BackUpOutcome made = MakeBackupPoint(backup_, At(9, 10), kUserRootOnly);
    const std::string text = BackUpOutcomeText(made);
    const std::string listOnlyPath = base_ + "\\list only";
    ASSERT_EQ(made.problems.size(), 1u) << text;
    EXPECT_EQ(made.problems[0].rfind("HKEY_CURRENT_USER: 1 key could not be read and is not in the point: " +
                                         listOnlyPath + ". Reason: ", 0),
              0u)
        << text;
    const std::string point = backup_ + made.pointName + "\\";
    const PointManifest manifest = ManifestOf(point);
    ASSERT_EQ(manifest.leftOut.size(), 1u);
    EXPECT_EQ(manifest.leftOut[0].path, listOnlyPath);

    std::vector<RegKeyData> saved;
    std::string error;
    ASSERT_TRUE(LoadRegFile(point + kUserFile, saved, error)) << error;
    std::map<std::string, size_t> valuesOf;
    for (const auto& key : saved) valuesOf[key.path] = key.values.size();
    EXPECT_EQ(valuesOf.count(listOnlyPath), 0u);
    EXPECT_EQ(valuesOf[listOnlyPath + "\\open"], 1u);
    EXPECT_EQ(valuesOf[base_ + "\\sub\\deep"], 1u);  // its neighbours as before
}

TEST_F(BackupCheck, EveryWayOutOfARestoreRemovesItsMarker) {
    const std::string good = MakePoint(55);
    const std::string root = ReadAll(good + kUserFile);
    const std::string damaged = backup_ + "damaged manifest\\", cut = backup_ + "cut\\";
    ASSERT_TRUE(files::CreateFolderPath(damaged));
    ASSERT_TRUE(files::CreateFolderPath(cut));
    ASSERT_TRUE(files::WriteFileBytes(damaged + kManifestFileName, "garbage"));
    ASSERT_TRUE(files::WriteFileBytes(cut + kUserFile, EvenPart(root, 50)));
    ASSERT_TRUE(files::WriteFileBytes(cut + kManifestFileName, ReadAll(good + kManifestFileName)));
    common::StopSource stop;
    stop.RequestStop();
    const struct {
        const char* what;
        std::string point;
        common::StopToken stop;
        bool complete;
    } cases[] = {
        {"restored", BackupPointName(2026, 5, 6, 8, 55), {}, true},
        {"a damaged manifest", "damaged manifest", {}, false},
        {"a file refused", "cut", {}, false},
        {"stopped", BackupPointName(2026, 5, 6, 8, 55), stop.Token(), false},
        {"gone", "gone", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const BackUpOutcome outcome = RestoreBackupPoint(backup_, c.point, common::NoProgressSink(), c.stop);
        EXPECT_EQ(outcome.problems.empty(), c.complete) << BackUpOutcomeText(outcome);
        std::string found;
        EXPECT_FALSE(FindUnfinishedRestore(backup_, found)) << found;
    }
}

// Without its marker a restore would not be found after a forced end: it
// does not start.
TEST_F(BackupCheck, NoRestoreStartsWithoutItsMarker) {
    MakePoint(58);
    ASSERT_TRUE(files::CreateFolderPath(backup_ + kRestoreMarkerFileName));  // a folder where the marker goes
    DeleteRegTree(HKEY_CURRENT_USER, relative_);
    const BackUpOutcome outcome = RestoreBackupPoint(backup_, BackupPointName(2026, 5, 6, 8, 58));
    EXPECT_TRUE(outcome.done.empty());
    ASSERT_EQ(outcome.problems.size(), 1u);
    EXPECT_EQ(outcome.problems[0].rfind(
                  "Nothing was restored: the file that marks a restore under way could not be written: ", 0),
              0u)
        << outcome.problems[0];
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, relative_));
}

}  // namespace
