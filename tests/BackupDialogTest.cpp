// The BackUp/Restore dialog and its worker: what the dialog lists and records,
// points of whole roots made and restored exactly, writers of one minute
// merged, and every failure told in a box.
#include "RestrictedRegKey.h"
#include "backup/BackupPoint.h"
#include "backup/RegistryTree.h"
#include "gui/backup/BackupDialog.h"
#include "PartlyRestorablePoint.h"
#include "RegSeed.h"
#include "TestSupport.h"

#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <tuple>

using namespace gui;

using namespace backup;
using namespace testing_support;
namespace files = platform::files;

namespace {

constexpr DWORD kWaitMs = 300000;  // a whole root under a loaded Wine; ends as soon as the worker does
constexpr size_t kUserRoot = 2;    // HKEY_CURRENT_USER among the five

void SetValue(const std::string& path, const std::string& name, DWORD type, const std::vector<uint8_t>& data) {
    SetRawValue(HKEY_CURRENT_USER, path, name, type, data);
}

bool WaitForEnd(const ui::WorkerPtr<BackupWorker>& worker) {
    return worker && platform::threads::PumpMessagesUntil([&] { return worker->Ended(); }, kWaitMs);
}

// Runs a worker of the user's root to its end, as the page's would run, and gives what it did.
BackUpOutcome RunWorker(int mode, const std::string& point, const std::string& backupFolder) {
    ui::WorkerPtr<BackupWorker> worker(
        new BackupWorker(nullptr, mode, point, backupFolder, {false, false, true, false, false}));
    EXPECT_TRUE(WaitForEnd(worker));
    return worker->Outcome();
}

// Keys and values in the order exported, every field of them.
using FlatValues = std::vector<std::tuple<std::string, uint32_t, bool, std::vector<uint8_t>>>;
using Flat = std::vector<std::pair<std::string, FlatValues>>;
Flat Flatten(const std::vector<RegKeyData>& keys) {
    Flat flat;
    for (const auto& key : keys) {
        FlatValues& values = flat.emplace_back(key.path, FlatValues{}).second;
        for (const auto& v : key.values) values.emplace_back(v.name, v.type, v.isDefault, v.data);
    }
    return flat;
}

std::map<std::string, std::vector<uint8_t>> ValuesOf(const std::vector<RegKeyData>& keys, const std::string& path) {
    std::map<std::string, std::vector<uint8_t>> values;
    for (const auto& key : keys)
        if (key.path == path)
            for (const auto& value : key.values) values[value.name] = value.data;
    return values;
}

std::vector<RegKeyData> Load(const std::string& file) {
    std::vector<RegKeyData> keys;
    std::string error;
    EXPECT_TRUE(LoadRegFile(file, keys, error)) << error;
    return keys;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    files::FindEntries(folder + "\\*", [&](const files::FindEntry& entry) {
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.name);
    });
    std::sort(names.begin(), names.end());
    return names;
}

// Leaves the current minute when it is nearly over, so two writers started
// now meet in one point.
void WaitForRoomInTheMinute() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    if (now.wSecond >= 40) Sleep((61 - now.wSecond) * 1000);
}

TEST(BackupDialog, ListsThePointFoldersOnly) {
    ScopedFolder folder("BackupDialogList");
    const std::string backup = folder.Path() + "\\Backup\\";
    BackupDialog dialog;
    std::vector<std::string> listed;
    ScopedDialogAnswers answers([&](ui::ModalDialog&) {
        listed = dialog.ListedPoints();
        return IDCANCEL;
    });
    dialog.ShowFor(nullptr, backup);
    EXPECT_TRUE(listed.empty());  // no Backup folder at all

    for (const char* name : {"2026.01.02  9.05", "zz", "2025.12.31 23.59", "a.b"})
        ASSERT_TRUE(files::CreateFolderPath(backup + name));
    ScopedFile stray(backup + "HKEY_CURRENT_USER.reg", "not a point");
    ScopedFile strayWithoutDot(backup + "2026.01.03 10.00", "a file named like a point");
    dialog.ShowFor(nullptr, backup);
    EXPECT_EQ(ListBackupPoints(folder.Path() + "\\Backup"), listed);  // the separator is added when missing
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"2025.12.31 23.59", "2026.01.02  9.05", "a.b", "zz"}));
}

// Ctrl, Shift and Alt down in the thread's keyboard state while it lives
// (a posted key does not change it).
class HeldKeys {
public:
    HeldKeys(bool control, bool shift, bool alt) {
        GetKeyboardState(saved_);
        BYTE state[256];
        std::copy(std::begin(saved_), std::end(saved_), state);
        for (const auto& [down, keys] : {std::pair{control, std::array{VK_CONTROL, VK_LCONTROL}},
                                         {shift, std::array{VK_SHIFT, VK_LSHIFT}}, {alt, std::array{VK_MENU, VK_LMENU}}})
            for (int key : keys) state[key] = down ? 0x80 : 0;
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE saved_[256]{};
};

// Ctrl+Tab and Ctrl+Shift+Tab turn the pages round, in the dialog's own
// modal loop as the program runs it: each key is pressed in one showing,
// which the close box then ends.
TEST(BackupDialog, CtrlTabTurnsThePagesRoundBothWays) {
    ScopedFolder folder("BackupDialogKeys");
    const std::string backup = folder.Path() + "\\Backup\\";
    BackupDialog dialog;
    {
        ScopedDialogAnswers made([](ui::ModalDialog&) { return IDCANCEL; });
        dialog.ShowFor(nullptr, backup);  // the window is made at its first showing
    }
    ui::ModalDialog::SetModalHandler({});
    struct Unscripted {
        ~Unscripted() { InstallUnscriptedDialogAnswers(); }
    } unscripted;
    const struct {
        bool control, shift, alt;
        int page;  // shown after the key
    } presses[] = {
        {true, false, false, BackupDialog::kRestorePage}, {true, false, false, BackupDialog::kBackupPage},
        {true, true, false, BackupDialog::kRestorePage},  {true, true, false, BackupDialog::kBackupPage},
        {false, false, false, BackupDialog::kBackupPage}, {true, false, true, BackupDialog::kBackupPage},
    };
    for (const auto& press : presses) {
        SCOPED_TRACE(std::string(press.control ? "Ctrl+" : "") + (press.alt ? "Alt+" : "") + (press.shift ? "Shift+" : "") + "Tab");
        const HeldKeys held(press.control, press.shift, press.alt);
        PostMessageA(dialog.Handle(), WM_KEYDOWN, VK_TAB, 1);
        PostMessageA(dialog.Handle(), WM_KEYUP, VK_TAB, 0xC0000001);
        PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
        EXPECT_EQ(dialog.ShowFor(nullptr, backup), IDCANCEL);
        EXPECT_EQ(dialog.ClosedPage(), press.page);
        EXPECT_EQ(dialog.ActivePage(), press.page);
        // The dialog is hidden now: the list's own style says whether its page showed.
        const bool listShown = (GetWindowLongA(dialog.lvBackupPoints.Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
        EXPECT_EQ(listShown, press.page == BackupDialog::kRestorePage);
    }
}

TEST(BackupDialog, ClosesRecordThePageThePointAndTheBoxes) {
    ScopedFolder folder("BackupDialogClose");
    const std::string backup = folder.Path() + "\\Backup\\";
    ASSERT_TRUE(files::CreateFolderPath(backup + "point one"));
    ASSERT_TRUE(files::CreateFolderPath(backup + "point two"));
    BackupDialog dialog;
    struct Step {
        int page;
        std::vector<size_t> tick;
        std::string select;
        int answer;
        BackupRootFlags flags;  // recorded after the close
        std::string point;
    };
    const Step steps[] = {
        {BackupDialog::kBackupPage, {0, 2}, "", IDOK, {true, false, true, false, false}, ""},
        // A close on Restore keeps the boxes of the last close on Backup.
        {BackupDialog::kRestorePage, {4}, "point two", IDOK, {true, false, true, false, false}, "point two"},
        {BackupDialog::kRestorePage, {}, "", IDCANCEL, {true, false, true, false, false}, ""},
        // A Cancel on Backup records its boxes too; each showing starts unticked.
        {BackupDialog::kBackupPage, {1, 3, 4}, "", IDCANCEL, {false, true, false, true, true}, ""},
    };
    for (const Step& step : steps) {
        ScopedDialogAnswers answers([&](ui::ModalDialog&) {
            for (size_t root = 0; root < kBackupRootCount; ++root) EXPECT_FALSE(dialog.RootChecked(root));
            for (size_t root : step.tick) dialog.SetRootChecked(root, true);
            dialog.ShowPage(step.page);
            EXPECT_EQ(step.select.empty() || dialog.SelectPoint(step.select), true);
            return step.answer;
        });
        EXPECT_EQ(dialog.ShowFor(nullptr, backup), step.answer);
        EXPECT_EQ(dialog.ClosedPage(), step.page);
        EXPECT_EQ(dialog.RootFlags(), step.flags);
        EXPECT_EQ(dialog.ClosedPoint(), step.point);
    }
    EXPECT_FALSE(dialog.SelectPoint("no such point"));
}

TEST(BackupCommand, OpensOnBackupAndStartsOnlyWhatTheAnswerAsks) {
    ScopedFolder folder("BackupCommand");
    const std::string backup = folder.Path() + "\\Backup\\";
    ASSERT_TRUE(files::CreateFolderPath(backup + "old point"));
    BackupDialog dialog;
    ui::WorkerPtr<BackupWorker> worker;
    const struct {
        int page;
        std::string select;
        int answer;
        bool starts;
    } cases[] = {
        {BackupDialog::kRestorePage, "", IDOK, false},  // no point selected
        {BackupDialog::kRestorePage, "old point", IDCANCEL, false},
        {BackupDialog::kBackupPage, "", IDCANCEL, false},
        {BackupDialog::kBackupPage, "", IDOK, true},
    };
    for (const auto& c : cases) {
        int shown = 0;
        ScopedDialogAnswers answers([&](ui::ModalDialog&) {
            ++shown;
            EXPECT_EQ(dialog.ActivePage(), BackupDialog::kBackupPage);  // whatever page it was closed on
            dialog.ShowPage(c.page);
            EXPECT_EQ(c.select.empty() || dialog.SelectPoint(c.select), true);
            if (c.page == BackupDialog::kBackupPage) dialog.SetRootChecked(kUserRoot, true);
            return c.answer;
        });
        EXPECT_EQ(RunBackupCommand(nullptr, dialog, backup, worker), c.starts);
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(worker != nullptr, c.starts);
    }
    ASSERT_TRUE(worker);
    EXPECT_EQ(worker->mode, BackupWorker::kMakePoint);
    EXPECT_EQ(worker->rootFlags, (BackupRootFlags{false, false, true, false, false}));
    {
        // While it has not ended, the command says so and shows no dialog.
        RecordedBoxes boxes({IDOK});
        ScopedDialogAnswers answers([](ui::ModalDialog&) {
            ADD_FAILURE() << "the dialog opened beside a running worker";
            return IDCANCEL;
        });
        EXPECT_FALSE(RunBackupCommand(nullptr, dialog, backup, worker));
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::Warning);
    }
    RecordedBoxes boxes({IDOK});
    ASSERT_TRUE(WaitForEnd(worker));
    const BackUpOutcome& outcome = worker->Outcome();
    EXPECT_TRUE(outcome.problems.empty()) << BackUpOutcomeText(outcome);
    EXPECT_EQ(FilesIn(backup + outcome.pointName), (std::vector<std::string>{"HKEY_CURRENT_USER.reg", kManifestFileName}));
    EXPECT_EQ(boxes.Shown().size(), 1u);  // the result, once
}

// Add with no root ticked makes no point: the dialog says so and stays for
// the ticks; a close with none ticked (from anywhere) starts nothing.
TEST(BackupCommand, NothingTickedMakesNoPointAndSaysSo) {
    ScopedFolder folder("BackupNothingTicked");
    const std::string backup = folder.Path() + "\\Backup\\";
    BackupDialog dialog;
    ui::WorkerPtr<BackupWorker> worker;
    for (bool pressAdd : {true, false}) {
        SCOPED_TRACE(pressAdd ? "Add pressed" : "closed with OK");
        RecordedBoxes boxes({IDOK});
        bool stayed = false;
        ScopedDialogAnswers answers([&](ui::ModalDialog&) {
            if (!pressAdd) return IDOK;
            SendMessageA(dialog.Handle(), WM_COMMAND, BackupDialog::kIdBackupOk, 0);
            stayed = dialog.Showing();
            return IDCANCEL;
        });
        EXPECT_FALSE(RunBackupCommand(nullptr, dialog, backup, worker));
        EXPECT_EQ(stayed, pressAdd);
        EXPECT_FALSE(worker);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::Warning);
        EXPECT_EQ(boxes.Shown()[0].text, backup::kNoRootTickedText);
        EXPECT_TRUE(ListBackupPoints(backup).empty());
    }
}

class BackUpThreadTest : public ::testing::Test {
protected:

    std::vector<RegKeyData> Export() const {
        std::vector<RegKeyData> keys;
        std::string error;
        EXPECT_TRUE(ExportRegistryTree("HKEY_CURRENT_USER", relative_, keys, error)) << error;
        return keys;
    }

    ScratchRegKey scratch_{"BackUpThread"};
    const std::string relative_ = scratch_.Relative(), base_ = scratch_.Full();
};

TEST_F(BackUpThreadTest, APointOfTheUserRootRestoresEveryValueExactly) {
    const std::string odd = "q\"uo\\te = [x] ; \xC3\xBC \xF0\x9F\x98\x80";
    const std::string sub = relative_ + "\\sub \"q\" [x] = ; \xE2\x82\xAC";
    const std::string deeper = sub + "\\deeper ]";
    std::vector<uint8_t> bin(200);
    for (size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<uint8_t>(i * 13);
    const struct {
        std::string key, name;
        DWORD type;
        std::vector<uint8_t> data;
    } seeds[] = {
        {relative_, "", REG_SZ, Utf16Z("")},
        {relative_, "text", REG_SZ, Utf16Z("say \"hi\" \\ a=b [s] ]\r\nline two\n\xCE\xA9")},
        {relative_, odd + "\nname", REG_EXPAND_SZ, Utf16Z("%SystemRoot%\\\"x\" [=]")},
        {relative_, "multi", REG_MULTI_SZ, {'a', 0, '=', 0, 0, 0, '[', 0, ']', 0, 0, 0, 0, 0}},
        {relative_, "binary", REG_BINARY, bin},
        {relative_, "dword", REG_DWORD, {0xEF, 0xBE, 0xAD, 0xDE}},
        {relative_, "qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 0x80}},
        {relative_, "none", REG_NONE, {}},
        {relative_, "none with data", REG_NONE, {0, 1, 2}},
        {sub, "", REG_EXPAND_SZ, {}},
        {sub, "=", REG_DWORD, {0, 0, 0, 0}},
        {deeper, "[", REG_SZ, Utf16Z("]")},
        {relative_ + "\\empty key", "", kKeyOnly, {}},
    };
    for (const auto& seed : seeds) SetValue(seed.key, seed.name, seed.type, seed.data);
    const std::vector<RegKeyData> before = Export();
    ASSERT_EQ(before.size(), 4u);

    ScopedFolder folder("BackUpRoundTrip");
    const std::string backup = folder.Path() + "\\Backup\\";
    BackupDialog dialog;
    ui::WorkerPtr<BackupWorker> worker;
    RecordedBoxes madeBoxes({IDOK});
    {
        ScopedDialogAnswers answers([&](ui::ModalDialog&) {
            dialog.SetRootChecked(kUserRoot, true);
            return IDOK;
        });
        ASSERT_TRUE(RunBackupCommand(nullptr, dialog, backup, worker));
    }
    ASSERT_TRUE(WaitForEnd(worker));
    const std::string point = worker->Outcome().pointName;
    EXPECT_EQ(worker->Outcome().done, std::vector<std::string>{"HKEY_CURRENT_USER"});
    EXPECT_EQ(FilesIn(backup + point), (std::vector<std::string>{"HKEY_CURRENT_USER.reg", kManifestFileName}));
    // The result, said once.
    ASSERT_EQ(madeBoxes.Shown().size(), 1u);
    EXPECT_EQ(madeBoxes.Shown()[0].text, "The backup point " + point + " was made: 1 root saved.");
    EXPECT_EQ(madeBoxes.Shown()[0].kind, platform::dialogs::BoxKind::Plain);
    EXPECT_EQ(BackupPointDescription(backup, point), "BackUp: HKEY_CURRENT_USER");

    DeleteRegTree(HKEY_CURRENT_USER, relative_);
    ASSERT_FALSE(RegKeyExists(HKEY_CURRENT_USER, relative_));
    RecordedBoxes restoreBoxes({IDYES, IDOK});
    {
        ScopedDialogAnswers answers([&](ui::ModalDialog&) {
            dialog.ShowPage(BackupDialog::kRestorePage);
            EXPECT_TRUE(dialog.SelectPoint(point));
            return IDOK;
        });
        ASSERT_TRUE(RunBackupCommand(nullptr, dialog, backup, worker));
    }
    EXPECT_EQ(worker->mode, BackupWorker::kRestorePoint);
    EXPECT_EQ(worker->pointName, point);
    ASSERT_TRUE(WaitForEnd(worker));
    EXPECT_EQ(worker->Outcome().done, std::vector<std::string>{"HKEY_CURRENT_USER"});
    EXPECT_EQ(Flatten(Export()), Flatten(before));
    // The question first, then the result once.
    ASSERT_EQ(restoreBoxes.Shown().size(), 2u);
    EXPECT_EQ(restoreBoxes.Shown()[1].text, "The backup point " + point + " was restored: 1 root written back.");
    EXPECT_EQ(restoreBoxes.Shown()[1].kind, platform::dialogs::BoxKind::Plain);
}

// A restore writes over the registry: it is asked first, naming the point
// and the roots it holds, with No the default; No changes nothing.
TEST_F(BackUpThreadTest, ARestoreAsksFirstNamingThePointAndItsRoots) {
    SetValue(relative_, "asked", REG_SZ, Utf16Z("as saved"));
    ScopedFolder folder("BackUpAsked");
    const std::string backup = folder.Path() + "\\Backup\\";
    SYSTEMTIME now{};
    GetLocalTime(&now);
    std::string pointFolder, error;
    ASSERT_TRUE(BackUpBeforeDelete(backup, now, {{"HKEY_CURRENT_USER", relative_, false, "asked"}}, pointFolder, error))
        << error;
    const std::string point = ListBackupPoints(backup).at(0);
    SetValue(relative_, "asked", REG_SZ, Utf16Z("changed since"));
    BackupDialog dialog;
    ui::WorkerPtr<BackupWorker> worker;
    const struct {
        int answer;
        bool restores;
    } cases[] = {{IDNO, false}, {IDYES, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer == IDYES ? "Yes" : "No");
        RecordedBoxes boxes({c.answer, IDOK});
        ScopedDialogAnswers answers([&](ui::ModalDialog&) {
            dialog.ShowPage(BackupDialog::kRestorePage);
            EXPECT_TRUE(dialog.SelectPoint(point));
            return IDOK;
        });
        EXPECT_EQ(RunBackupCommand(nullptr, dialog, backup, worker), c.restores);
        if (c.restores) {
            ASSERT_TRUE(WaitForEnd(worker));
        }
        ASSERT_EQ(boxes.Shown().size(), c.restores ? 2u : 1u);
        EXPECT_EQ(boxes.Shown()[0].text,
                  "Restore the backup point " + point + " (HKEY_CURRENT_USER)? It writes over the registry.");
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::ConfirmDefaultNo);
        EXPECT_EQ(RegString(HKEY_CURRENT_USER, relative_, "asked"), c.restores ? "as saved" : "changed since");
    }
}

TEST_F(BackUpThreadTest, WritersOfOneMinuteMergeIntoOnePoint) {
    SetValue(relative_, "kept", REG_DWORD, {1, 0, 0, 0});
    SetValue(relative_, "fixed", REG_SZ, Utf16Z("deleted by a fix"));
    ScopedFolder folder("BackUpMerge");
    const std::string backup = folder.Path() + "\\Backup\\";
    WaitForRoomInTheMinute();

    // A fix saves the value it deletes, then a point of the whole root is
    // made, then another one after a new value came.
    SYSTEMTIME now{};
    GetLocalTime(&now);
    std::string fixPoint, error;
    ASSERT_TRUE(BackUpBeforeDelete(backup, now, {{"HKEY_CURRENT_USER", relative_, false, "fixed"}}, fixPoint, error))
        << error;
    DeleteRegTree(HKEY_CURRENT_USER, relative_);
    SetValue(relative_, "kept", REG_DWORD, {1, 0, 0, 0});
    RecordedBoxes boxes({IDOK});
    const BackUpOutcome first = RunWorker(BackupWorker::kMakePoint, "", backup);
    SetValue(relative_, "later", REG_BINARY, {7});
    const BackUpOutcome second = RunWorker(BackupWorker::kMakePoint, "", backup);
    EXPECT_EQ(boxes.Shown().size(), 2u);  // one result per run

    EXPECT_EQ(backup + first.pointName + "\\", fixPoint);
    EXPECT_EQ(second.pointName, first.pointName);
    EXPECT_EQ(ListBackupPoints(backup), std::vector<std::string>{first.pointName});
    const std::vector<RegKeyData> saved = Load(fixPoint + "HKEY_CURRENT_USER.reg");
    EXPECT_EQ(ValuesOf(saved, base_), (std::map<std::string, std::vector<uint8_t>>{
                                          {"fixed", Utf16Z("deleted by a fix")}, {"kept", {1, 0, 0, 0}}, {"later", {7}}}));
    // The rest of the root is there too, from the root key down.
    EXPECT_TRUE(std::any_of(saved.begin(), saved.end(), [](const RegKeyData& key) { return key.path == "HKEY_CURRENT_USER"; }));
    EXPECT_GT(saved.size(), 10u);
    EXPECT_EQ(FilesIn(fixPoint), (std::vector<std::string>{"HKEY_CURRENT_USER.reg", kManifestFileName}));
}

// Every point of a minute is listed with what made it, beside its name,
// and restores; a point made by hand tells nothing.
TEST_F(BackUpThreadTest, PointsOfOneMinuteAreListedWithWhatMadeThemAndRestore) {
    ScopedFolder folder("BackUpDescribed");
    const std::string backup = folder.Path() + "\\Backup\\";
    SYSTEMTIME at{};
    at.wYear = 2026, at.wMonth = 12, at.wDay = 8, at.wHour = 9, at.wMinute = 7;
    const std::string minute = "2026.12.08  9.07";
    const struct {
        const char* name;
        const char* data;
        const char* description;
        std::string point;
    } writes[] = {
        {"tool", "first", "StartUp Delete: tool", minute},
        {"tool", "second", "Fix: 1 item", minute + " (2)"},
        {"other", "third", "Delete Created: 1 item", minute},
    };
    for (const auto& write : writes) {
        SetValue(relative_, write.name, REG_SZ, Utf16Z(write.data));
        std::string point, error;
        ASSERT_TRUE(BackUpBeforeDelete(backup, at, {{"HKEY_CURRENT_USER", relative_, false, write.name}}, point, error,
                                       write.description))
            << error;
        EXPECT_EQ(point, backup + write.point + "\\");
    }
    ASSERT_TRUE(files::CreateFolderPath(backup + "by hand"));

    BackupDialog dialog;
    ui::WorkerPtr<BackupWorker> worker;
    RecordedBoxes boxes({IDYES, IDOK});
    ScopedDialogAnswers answers([&](ui::ModalDialog&) {
        std::vector<std::string> listed = dialog.ListedPoints();
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, (std::vector<std::string>{minute, minute + " (2)", "by hand"}));
        EXPECT_EQ(dialog.ListedDescription(minute), "StartUp Delete: tool; Delete Created: 1 item");
        EXPECT_EQ(dialog.ListedDescription(minute + " (2)"), "Fix: 1 item");
        EXPECT_EQ(dialog.ListedDescription("by hand"), "");
        dialog.ShowPage(BackupDialog::kRestorePage);
        EXPECT_TRUE(dialog.SelectPoint(minute + " (2)"));
        return IDOK;
    });
    SetValue(relative_, "tool", REG_SZ, Utf16Z("fourth"));
    ASSERT_TRUE(RunBackupCommand(nullptr, dialog, backup, worker));
    ASSERT_TRUE(WaitForEnd(worker));
    EXPECT_EQ(worker->Outcome().done, std::vector<std::string>{"HKEY_CURRENT_USER"}) << BackUpOutcomeText(worker->Outcome());
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, relative_, "tool"), "second");
}

TEST_F(BackUpThreadTest, WhatIsLeftUndoneIsToldInABox) {
    ScopedFolder folder("BackUpFailures");
    const std::string backup = folder.Path() + "\\Backup\\";
    ScopedFile blocker(folder.Path() + "\\blocked", "a file where the backup folder must be");

    // A subkey nobody may read is left out of the point and named.
    SetValue(relative_ + "\\readable", "stays", REG_DWORD, {5, 0, 0, 0});
    SetValue(relative_ + "\\locked", "secret", REG_DWORD, {6, 0, 0, 0});
    const ScopedLockedKey lock(HKEY_CURRENT_USER, relative_ + "\\locked");

    // A point to restore: an unreadable machine file, and a user file with a
    // key that can be written, one that cannot, and one of another root.
    const std::string point = backup + "by hand\\";
    const PartlyRestorablePoint seeded(point, base_, relative_, "OrvelinBackUpForeign");
    const std::string foreign = "HKEY_LOCAL_MACHINE\\" + seeded.foreignBelow;
    std::string error;
    ASSERT_TRUE(files::CreateFolderPath(backup + "empty"));

    const struct {
        const char* what;
        int mode;
        std::string backup, point;
        std::vector<std::string> mentions;
    } cases[] = {
        {"folder cannot be made", 0, blocker.Path() + "\\Backup\\", "",
         {"is incomplete", "Its folder could not be made, so nothing was saved: ", blocker.Path() + "\\Backup\\"}},
        {"unreadable subkey", 0, backup, "",
         {"is incomplete", "HKEY_CURRENT_USER: 1 key could not be read and is not in the point: " + base_ + "\\locked."}},
        {"restore", 1, backup, "by hand",
         {"The backup point by hand was not fully restored.",
          "HKEY_LOCAL_MACHINE was not restored: " + point + "HKEY_LOCAL_MACHINE.reg, Line 1",
          "HKEY_CURRENT_USER: 2 of 3 keys could not be written: ", base_ + "\\read only",
          foreign + " is not a key of HKEY_CURRENT_USER"}},
        {"point gone", 1, backup, "gone", {"Its folder is missing (" + backup + "gone\\)."}},
        {"empty point", 1, backup, "empty", {"It holds no registry files"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordedBoxes boxes({IDCANCEL});
        const BackUpOutcome outcome = RunWorker(c.mode, c.point, c.backup);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::ErrorCancel);
        EXPECT_EQ(boxes.Shown()[0].text, BackUpOutcomeText(outcome));
        for (const std::string& mention : c.mentions)
            EXPECT_NE(boxes.Shown()[0].text.find(mention), std::string::npos) << mention << "\n" << boxes.Shown()[0].text;
        if (c.mode == 0 && c.backup == backup) {
            const auto saved = Load(backup + outcome.pointName + "\\HKEY_CURRENT_USER.reg");
            EXPECT_EQ(ValuesOf(saved, base_ + "\\readable").count("stays"), 1u);
            EXPECT_TRUE(ValuesOf(saved, base_ + "\\locked").empty());
        }
    }
    EXPECT_FALSE(files::DirectoryExists(blocker.Path()));
    std::vector<RegKeyData> restored;
    ASSERT_TRUE(ExportRegistryTree("HKEY_CURRENT_USER", relative_ + "\\back", restored, error)) << error;
    EXPECT_EQ(ValuesOf(restored, base_ + "\\back"), (std::map<std::string, std::vector<uint8_t>>{{"v", {9, 0, 0, 0}}}));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, relative_ + "\\read only", "w"));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, seeded.foreignBelow));
}

// A point without a manifest cannot be checked: the command says so and
// restores it only when the user agrees, and the box at its end says it again.
TEST_F(BackUpThreadTest, APointWithoutAManifestIsRestoredOnlyWhenTheUserAgrees) {
    ScopedFolder folder("BackUpUnchecked");
    const std::string backup = folder.Path() + "\\Backup\\";
    ASSERT_TRUE(files::CreateFolderPath(backup + "by hand"));
    std::string error;
    ASSERT_TRUE(SaveRegFile(backup + "by hand\\HKEY_CURRENT_USER.reg",
                            {{base_ + "\\back", {{"v", REG_DWORD, {9, 0, 0, 0}, false}}}}, error))
        << error;
    BackupDialog dialog;
    ui::WorkerPtr<BackupWorker> worker;
    const auto restore = [&] {
        ScopedDialogAnswers answers([&](ui::ModalDialog&) {
            dialog.ShowPage(BackupDialog::kRestorePage);
            EXPECT_TRUE(dialog.SelectPoint("by hand"));
            return IDOK;
        });
        return RunBackupCommand(nullptr, dialog, backup, worker);
    };
    {
        RecordedBoxes boxes({IDNO});
        EXPECT_FALSE(restore());
        EXPECT_FALSE(worker);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::ConfirmDefaultNo);
        EXPECT_EQ(boxes.Shown()[0].text.rfind("The backup point by hand has no manifest", 0), 0u) << boxes.Shown()[0].text;
        // One question: the warning and the restore's own.
        EXPECT_NE(boxes.Shown()[0].text.find("Restore the backup point by hand (HKEY_CURRENT_USER)? It writes over the "
                                             "registry."),
                  std::string::npos)
            << boxes.Shown()[0].text;
    }
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, relative_ + "\\back"));
    {
        RecordedBoxes boxes({IDYES, IDOK});
        ASSERT_TRUE(restore());
        ASSERT_TRUE(WaitForEnd(worker));
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[1].kind, platform::dialogs::BoxKind::Warning);
        EXPECT_EQ(boxes.Shown()[1].text, BackUpOutcomeText(worker->Outcome()));
        EXPECT_EQ(boxes.Shown()[1].text.rfind("The backup point by hand was restored: 1 root written back.\r\n\r\nIt has no manifest", 0), 0u)
            << boxes.Shown()[1].text;
    }
    std::vector<RegKeyData> restored;
    ASSERT_TRUE(ExportRegistryTree("HKEY_CURRENT_USER", relative_ + "\\back", restored, error)) << error;
    EXPECT_EQ(ValuesOf(restored, base_ + "\\back"), (std::map<std::string, std::vector<uint8_t>>{{"v", {9, 0, 0, 0}}}));
}

}  // namespace
