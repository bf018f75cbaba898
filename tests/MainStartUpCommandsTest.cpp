// The StartUp page's commands in the running window, with dialogs answered
// through the seams.
#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "gui/AboutPage.h"
#include "gui/HistoryPage.h"
#include "gui/MainWindow.h"
#include "gui/RegistryPage.h"
#include "gui/StartUpPage.h"
#include "backup/RegistryTree.h"
#include "formats/SnapshotFile.h"
#include "platform/Text.h"
#include "startup/ProcessLookup.h"
#include "NulNamedValue.h"
#include "RestrictedRegKey.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace gui;

using namespace startup;
using namespace testing_support;

namespace {

const std::string kUser = "HKEY_CURRENT_USER";

class StartUpCommands : public FrameTest {
protected:
    void SetUp() override {
        Clean();
        FrameTest::SetUp();
        Main().SetBackupFolder(backups_.Path() + "\\");
    }
    void TearDown() override {
        FrameTest::TearDown();
        Clean();
    }
    static void Clean() {
        DeleteUserRunKeys({"RunOnce", "RunOnceEx", "RunService"});
    }
    static std::string Key(const std::string& keyName) { return RunKeyPath(kUser, keyName); }
    ui::ListView List() { return Main().StartUpPage().lvSuValues; }
    int SelectRow(const std::string& caption) {
        const int row = RowOf(List(), caption);
        if (row >= 0) List().Select(row);
        return row;
    }

    ScopedFolder backups_{"startup backups"};
};

TEST_F(StartUpCommands, AddThroughTheDialog) {
    Main().StartUpPage().SelectSuSection(kSuRunOnceEx);
    int shown = 0;
    ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
        auto& add = static_cast<AddEntryDialog&>(dialog);
        ++shown;
        if (shown == 1) {  // the first use shows the initial texts, with the tree's run key
            RECT client{};
            GetClientRect(add.Handle(), &client);
            EXPECT_EQ(client.right, AddEntryDialog::kClientWidth);
            EXPECT_EQ(client.bottom, AddEntryDialog::kClientHeight);
            EXPECT_EQ(ui::ControlText(add.cbxSection), "RunOnceEx");
            EXPECT_EQ(ui::ControlText(add.cbxRootKey), "HKEY_LOCAL_MACHINE");
        }
        SetWindowTextA(add.cbxSection, "RunOnceEx");
        SetWindowTextA(add.cbxRootKey, kUser.c_str());
        SetWindowTextA(add.edtValueName, "OrvC added");
        SetWindowTextA(add.edtValueLocation, "C:\\added.exe /min");
        add.AddClick();
        EXPECT_FALSE(add.Showing());  // Add closed the dialog
        return IDCANCEL;
    });
    ASSERT_TRUE(Main().ExecuteAction(aSuAdd));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunOnceEx"), "OrvC added"), "C:\\added.exe /min");
    EXPECT_GE(RowOf(List(), "OrvC added"), 0);  // Update re-listed the section
}

// Add with a name the key already holds writes nothing, says so and keeps
// the dialog for another name; so does a key that cannot be written.
// Reopened, the dialog is empty and takes the run key chosen in the tree.
TEST_F(StartUpCommands, AnAddThatWritesNothingSaysSoAndTheDialogStaysOpen) {
    const std::string runOnce = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    const std::string runService = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunService";
    SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvC taken", "C:\\first.exe");
    SetRegString(HKEY_CURRENT_USER, Key("RunService"), "OrvC before", "C:\\before.exe");
    ScopedReadOnlyKey locked(HKEY_CURRENT_USER, Key("RunService"));
    const struct {
        int position;
        const char* section;  // the tree's run key
        const char* name;
        std::string text;     // what the refused add says
    } cases[] = {
        {kSuRunOnce, "RunOnce", "OrvC taken", "OrvC taken already exists in " + runOnce + "; nothing was added."},
        {kSuRunService, "RunService", "OrvC taken", runService + " could not be written; nothing was added."},
        // A name the key holds is said to be taken whether or not the key could be written.
        {kSuRunService, "RunService", "OrvC before", "OrvC before already exists in " + runService + "; nothing was added."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.section);
        Main().StartUpPage().SelectSuSection(c.position);
        RecordedBoxes boxes({IDOK});
        int shown = 0;
        bool stayed = false;
        ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
            auto& add = static_cast<AddEntryDialog&>(dialog);
            ++shown;
            // Nothing is left from the last use.
            EXPECT_EQ(ui::ControlText(add.cbxSection), c.section);
            EXPECT_EQ(ui::ControlText(add.cbxRootKey), "HKEY_LOCAL_MACHINE");
            EXPECT_EQ(ui::ControlText(add.edtValueName), "");
            EXPECT_EQ(ui::ControlText(add.edtValueLocation), "");
            SetWindowTextA(add.cbxRootKey, kUser.c_str());
            SetWindowTextA(add.edtValueName, c.name);
            SetWindowTextA(add.edtValueLocation, "C:\\second.exe");
            add.AddClick();
            stayed = add.Showing();
            EXPECT_EQ(ui::ControlText(add.edtValueLocation), "C:\\second.exe");  // kept for another try
            return IDCANCEL;
        });
        Main().ExecuteAction(aSuAdd);
        EXPECT_EQ(shown, 1);
        EXPECT_TRUE(stayed) << "the dialog closed as if the value had been added";
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, c.text);
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::Warning);
    }
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvC taken"), "C:\\first.exe");
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, Key("RunService"), "OrvC taken"));
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunService"), "OrvC before"), "C:\\before.exe");

    // Another name in the same dialog is added, and the dialog closes.
    Main().StartUpPage().SelectSuSection(kSuRunOnce);
    ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
        auto& add = static_cast<AddEntryDialog&>(dialog);
        SetWindowTextA(add.cbxRootKey, kUser.c_str());
        SetWindowTextA(add.edtValueName, "OrvC taken");
        SetWindowTextA(add.edtValueLocation, "C:\\second.exe");
        RecordedBoxes boxes({IDOK});
        add.AddClick();
        EXPECT_EQ(boxes.Shown().size(), 1u);
        SetWindowTextA(add.edtValueName, "OrvC free");
        add.AddClick();
        EXPECT_FALSE(add.Showing());
        return IDCANCEL;
    });
    Main().ExecuteAction(aSuAdd);
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvC free"), "C:\\second.exe");
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvC taken"), "C:\\first.exe");
}

TEST_F(StartUpCommands, TheAddDialogRefusesTextsNoListCouldShow) {
    Main().StartUpPage().SelectSuSection(kSuRegistry);
    RecordedBoxes boxes({IDOK});
    ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
        auto& add = static_cast<AddEntryDialog&>(dialog);
        SetWindowTextA(add.cbxSection, "RunOnceEx");
        SetWindowTextA(add.cbxRootKey, "HKEY_CLASSES_ROOTS");
        SetWindowTextA(add.edtValueName, "OrvC refused");
        SetWindowTextA(add.edtValueLocation, "C:\\x.exe");
        add.AddClick();
        SetWindowTextA(add.cbxRootKey, kUser.c_str());
        SetWindowTextA(add.edtValueName, "");
        add.AddClick();
        EXPECT_EQ(ui::ControlText(add.edtValueLocation), "C:\\x.exe");  // texts kept
        return IDCANCEL;
    });
    Main().ExecuteAction(aSuAdd);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_NE(boxes.Shown()[0].text.find("HKEY_CLASSES_ROOTS"), std::string::npos);
    EXPECT_EQ(boxes.Shown()[1].text, "Please enter a Name for the new value.");
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, Key("RunOnceEx")));
    EXPECT_FALSE(RegValueExists(HKEY_CLASSES_ROOT, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx", "OrvC refused"));
}

TEST_F(StartUpCommands, AddingToAutostartCreatesAShortcut) {
    ScopedFolder folder("autostart add");
    const std::string program = CopyHelper("orvhelper.exe", folder.Path(), "OrvAuto.exe");
    const std::string link = SpecialFolderPath(kCsidlStartup) + "\\OrvAuto.lnk";
    Main().StartUpPage().SelectSuSection(kSuAutostart);
    ScopedDialogAnswers answers({}, [&](platform::dialogs::FileDialogRequest& request) {
        EXPECT_EQ(request.filter, "Programm Files (*.exe)|*.exe|All Files (*.*)|*.*");
        request.fileName = program;
        return true;
    });
    Main().ExecuteAction(aSuAdd);
    EXPECT_TRUE(platform::files::FileExists(link));
    const int row = RowOf(List(), "OrvAuto");
    ASSERT_GE(row, 0);
    EXPECT_EQ(List().Text(row, 4), "No");
    // Deleting it asks, then removes the shortcut file.
    RecordedBoxes boxes({IDYES});
    List().Select(row);
    Main().ExecuteAction(aSuDelete);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Delete OrvAuto?");
    EXPECT_FALSE(platform::files::FileExists(link));
    EXPECT_LT(RowOf(List(), "OrvAuto"), 0);
}

// The snapshot's save: the dialog proposes the dated name with no filter,
// extension or title; a cancel writes nothing, a save writes the machine's
// entries, a failure is told in an error box.
TEST_F(StartUpCommands, SnapshotSaveAsksForTheFileAndTellsAFailure) {
    SetRegString(HKEY_CURRENT_USER, Key("RunService"), "OrvS saved", "s.exe");
    ScopedFolder folder("snapshot save");
    const std::string saved = folder.Path() + "\\chosen.xml";
    const struct {
        bool choose;
        std::string path;
        bool written;
        const char* box;  // the start of the error box's text; nullptr: no box
    } cases[] = {
        {false, saved, false, nullptr},
        {true, folder.Path() + "\\missing\\x.xml", false, "The snapshot could not be saved: "},
        {true, saved, true, nullptr},
    };
    for (const auto& c : cases) {
        int asked = 0;
        ScopedDialogAnswers answers({}, [&](platform::dialogs::FileDialogRequest& request) {
            ++asked;
            EXPECT_TRUE(request.save);
            EXPECT_EQ(request.fileName, "StartUp(" + platform::text::ShortDateToday() + ").xml");
            EXPECT_EQ(request.filter, "");
            EXPECT_EQ(request.defaultExt, "");
            request.fileName = c.path;
            return c.choose;
        });
        RecordedBoxes boxes({IDCANCEL});
        EXPECT_EQ(Main().StartUpPage().SaveStartupSnapshot(), c.written) << c.path;
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(platform::files::FileExists(c.path), c.written) << c.path;
        ASSERT_EQ(boxes.Shown().size(), c.box ? 1u : 0u) << c.path;
        if (c.box) {
            EXPECT_EQ(boxes.Shown()[0].text.rfind(c.box, 0), 0u) << boxes.Shown()[0].text;
            EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::ErrorCancel);
        }
    }
    std::string bytes, error;
    ASSERT_TRUE(platform::files::ReadFileBytes(saved, bytes));
    snapshots::SnapshotData data;
    ASSERT_TRUE(snapshots::ReadSnapshotBytes(bytes, data, error)) << error;
    const std::vector<snapshots::SnapshotRunEntry> expected = {{"OrvS saved", "s.exe", kUser, true}};
    EXPECT_EQ(data.sections.at(3).entries, expected);
}

TEST_F(StartUpCommands, DeleteAsksAndTakesFromTheKeyTheRowShows) {
    SetRegString(HKEY_CURRENT_USER, Key("RunService"), "OrvD twin", "C:\\on.exe");
    SetRegString(HKEY_CURRENT_USER, Key("RunService-"), "OrvD twin", "C:\\off.exe");
    Main().StartUpPage().SelectSuSection(kSuRunService);
    int row = -1;
    for (int i = 0; i < List().Count(); ++i)
        if (List().Text(i, 0) == "OrvD twin" && !List().Checked(i)) row = i;
    ASSERT_GE(row, 0);
    {
        RecordedBoxes no({IDNO});
        List().Select(row);
        Main().ExecuteAction(aSuDelete);
        EXPECT_EQ(no.Shown().at(0).text, "Delete OrvD twin?");
        EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, Key("RunService-"), "OrvD twin"));
    }
    for (int i = 0; i < List().Count(); ++i)
        if (List().Text(i, 0) == "OrvD twin" && !List().Checked(i)) row = i;
    RecordedBoxes yes({IDYES});
    List().Select(row);
    Main().ExecuteAction(aSuDelete);
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, Key("RunService-"), "OrvD twin"));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, Key("RunService"), "OrvD twin"));
    EXPECT_EQ(Main().StartUpPage().SelectedSourceId(), kSuRunService);  // the same section is shown again
}

TEST_F(StartUpCommands, DeleteFirstSavesTheValueInABackupPoint) {
    SetRegString(HKEY_CURRENT_USER, Key("RunService"), "OrvB saved", "C:\\saved.exe /x");
    Main().StartUpPage().SelectSuSection(kSuRunService);
    ASSERT_GE(SelectRow("OrvB saved"), 0);
    {
        RecordedBoxes yes({IDYES});
        Main().ExecuteAction(aSuDelete);
        ASSERT_EQ(yes.Shown().size(), 1u);  // the question only
    }
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, Key("RunService"), "OrvB saved"));
    // The point holds the value: restoring it undoes the delete.
    std::vector<std::string> points;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((backups_.Path() + "\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        if (found.cFileName[0] != '.') points.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    ASSERT_EQ(points.size(), 1u);
    std::vector<backup::RegKeyData> keys;
    std::string error;
    ASSERT_TRUE(backup::LoadRegFile(backups_.Path() + "\\" + points[0] + "\\HKEY_CURRENT_USER.reg", keys, error))
        << error;
    ASSERT_TRUE(backup::ImportRegistryTree(keys, error)) << error;
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunService"), "OrvB saved"), "C:\\saved.exe /x");
}

TEST_F(StartUpCommands, DeleteWithoutABackupDeletesNothing) {
    SetRegString(HKEY_CURRENT_USER, Key("RunService"), "OrvB kept", "C:\\kept.exe");
    ScopedFile blocker(backups_.Path() + "\\not a folder", "x");
    Main().SetBackupFolder(blocker.Path() + "\\");  // a folder under a file cannot be made
    Main().StartUpPage().SelectSuSection(kSuRunService);
    ASSERT_GE(SelectRow("OrvB kept"), 0);
    RecordedBoxes boxes({IDYES, IDCANCEL});
    Main().ExecuteAction(aSuDelete);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].text.rfind("OrvB kept was not deleted. The backup point", 0), 0u) << boxes.Shown()[1].text;
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunService"), "OrvB kept"), "C:\\kept.exe");
}

// A Delete the registry refuses says why, and the list shows the key again.
TEST_F(StartUpCommands, ARefusedDeleteSaysWhyAndListsAgain) {
    const std::string kName = "OrvB refused";
    const struct {
        const char* what;
        const char* heldAfterListing;  // null: the value went
        bool readOnly;
        std::string told;
        const char* listedAfter;  // the row's Location once listed again; null: no row
    } cases[] = {
        {"changed", "C:\\new.exe", false, kName + " was not deleted: it changed since it was listed.", "C:\\new.exe"},
        {"gone", nullptr, false, kName + " was not deleted: it changed since it was listed.", nullptr},
        {"read-only key", "C:\\old.exe", true, kName + " was not deleted: its key cannot be written.", "C:\\old.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Clean();
        SetRegString(HKEY_CURRENT_USER, Key("RunService"), kName, "C:\\old.exe");
        Main().StartUpPage().SelectSuSection(kSuRunOnce);
        Main().StartUpPage().SelectSuSection(kSuRunService);
        ASSERT_GE(SelectRow(kName), 0);
        if (c.heldAfterListing)
            SetRegString(HKEY_CURRENT_USER, Key("RunService"), kName, c.heldAfterListing);
        else
            DeleteUserRunKeys({"RunService"});
        std::optional<ScopedReadOnlyKey> readOnly;
        if (c.readOnly) readOnly.emplace(HKEY_CURRENT_USER, Key("RunService"));
        RecordedBoxes boxes({IDYES, IDCANCEL});
        Main().ExecuteAction(aSuDelete);
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[1].text, c.told);
        EXPECT_EQ(boxes.Shown()[1].kind, platform::dialogs::BoxKind::ErrorCancel);
        const int row = RowOf(List(), kName);
        EXPECT_EQ(row >= 0 ? List().Text(row, 1) : "(no row)", c.listedAfter ? c.listedAfter : "(no row)");
    }
}

// After Delete the row that took the deleted one's place (the new last row
// when the last went) is selected and focused, so the keyboard keeps its
// place; after a No, the row itself.
TEST_F(StartUpCommands, DeleteLeavesTheKeyboardOnTheRowThatTookItsPlace) {
    for (const char* name : {"OrvK one", "OrvK two", "OrvK three"})
        SetRegString(HKEY_CURRENT_USER, Key("RunService"), name, "C:\\k.exe");
    Main().StartUpPage().SelectSuSection(kSuRunService);
    const struct {
        const char* what;
        int answer;
        bool last;
    } cases[] = {{"No", IDNO, false}, {"a middle row", IDYES, false}, {"the last row", IDYES, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int count = List().Count();
        ASSERT_GE(count, 2);
        const int row = c.last ? count - 1 : count - 2;
        std::vector<std::string> before;
        for (int i = 0; i < count; ++i) before.push_back(List().Text(i, 0));
        List().Select(row);
        RecordedBoxes boxes({c.answer});
        Main().ExecuteAction(aSuDelete);
        const int place = c.answer == IDNO || !c.last ? row : row - 1;
        const std::string caption = c.answer == IDNO ? before[row] : c.last ? before[row - 1] : before[row + 1];
        EXPECT_EQ(List().Count(), c.answer == IDNO ? count : count - 1);
        EXPECT_EQ(List().Selected(), place);
        EXPECT_EQ(ListView_GetNextItem(List().Handle(), -1, LVNI_FOCUSED), place);
        EXPECT_EQ(List().Text(place, 0), caption);
    }
}

// A list with the keyboard focus and no chosen row marks its top row, when
// it gets the focus and when it is listed again while it has it.
TEST_F(StartUpCommands, AFocusedListWithoutASelectionShowsItsFocusMark) {
    for (const char* name : {"OrvK one", "OrvK two"})
        SetRegString(HKEY_CURRENT_USER, Key("RunService"), name, "C:\\k.exe");
    Main().StartUpPage().SelectSuSection(kSuRunService);
    const HWND list = List().Handle();
    SetFocus(Main().StartUpPage().tvSuSections.Handle());
    ASSERT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), -1);
    SetFocus(list);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 0);
    Main().ExecuteAction(aSuUpdate);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 0);
    EXPECT_EQ(List().Selected(), -1);
}

TEST_F(StartUpCommands, OnOffTicksAndSelectionsKeepOneCopy) {
    SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvO app", "C:\\app.exe");
    Main().StartUpPage().SelectSuSection(kSuRunOnce);
    ASSERT_GE(SelectRow("OrvO app"), 0);
    Main().ExecuteAction(aSuCheck);  // switch off
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, Key("RunOnce"), "OrvO app"));
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunOnce-"), "OrvO app"), "C:\\app.exe");
    EXPECT_FALSE(List().Checked(RowOf(List(), "OrvO app")));
    // A tick of the check box switches it on again.
    List().SetChecked(RowOf(List(), "OrvO app"), true);
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, Key("RunOnce"), "OrvO app"));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, Key("RunOnce-"), "OrvO app"));
    // Update shows what the registry holds.
    Main().ExecuteAction(aSuUpdate);
    EXPECT_TRUE(List().Checked(RowOf(List(), "OrvO app")));
}

// A name holding a NUL beside the value its name is cut to (a way to hide
// an entry): the list shows it whole with its own program, its tick moves
// exactly that value, and Delete asks with the shown name and refuses with
// the reason. The namesake stays where it was throughout.
TEST_F(StartUpCommands, ANameHoldingANulIsShownWholeAndOnlyItsOwnValueIsSwitched) {
    const std::wstring name = WideName(std::string("OrvP\0tail", 9)), cut = L"OrvP";
    const std::string hidden = "C:\\orvnul\\hidden.exe", plain = "C:\\orvnul\\plain.exe";
    SetNulNamed(HKEY_CURRENT_USER, Key("RunOnce"), cut, plain);
    SetNulNamed(HKEY_CURRENT_USER, Key("RunOnce"), name, hidden);
    Main().StartUpPage().SelectSuSection(kSuRunOnce);
    const int row = RowOf(List(), "OrvP\\0tail");
    ASSERT_GE(row, 0);
    EXPECT_EQ(List().Text(row, 1), hidden);
    EXPECT_EQ(List().Text(RowOf(List(), "OrvP"), 1), plain);

    List().SetChecked(row, false);
    EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, Key("RunOnce-"), name), hidden);
    EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, Key("RunOnce"), name), std::nullopt);
    EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, Key("RunOnce"), cut), plain);
    EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, Key("RunOnce-"), cut), std::nullopt);

    ASSERT_GE(SelectRow("OrvP\\0tail"), 0);
    {
        RecordedBoxes boxes({IDYES, IDCANCEL});
        Main().ExecuteAction(aSuDelete);
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[0].text, "Delete OrvP\\0tail?");
        EXPECT_EQ(boxes.Shown()[1].text.rfind("OrvP\\0tail was not deleted. Its name holds a NUL character", 0), 0u)
            << boxes.Shown()[1].text;
    }
    EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, Key("RunOnce-"), name), hidden);
    EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, Key("RunOnce"), cut), plain);
}

TEST_F(StartUpCommands, SelectingARowChangesNothing) {
    // The same name in both keys with different programs: selecting either
    // row must not delete the other.
    SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvS same", "C:\\new.exe");
    SetRegString(HKEY_CURRENT_USER, Key("RunOnce-"), "OrvS same", "C:\\old.exe");
    Main().StartUpPage().SelectSuSection(kSuRunOnce);
    for (int i = 0; i < List().Count(); ++i)
        if (List().Text(i, 0) == "OrvS same") List().Select(i);
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvS same"), "C:\\new.exe");
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunOnce-"), "OrvS same"), "C:\\old.exe");
}

TEST_F(StartUpCommands, DroppingMovesBetweenRunKeysOnly) {
    SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvM drag", "C:\\drag.exe");
    Main().StartUpPage().SelectSuSection(kSuRunOnce);
    ASSERT_GE(SelectRow("OrvM drag"), 0);
    Main().StartUpPage().SuDropOnNode(Main().StartUpPage().tvSuSections.ItemWithData(kSuRunOnce));  // its own key: nothing
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, Key("RunOnce"), "OrvM drag"));
    ASSERT_GE(SelectRow("OrvM drag"), 0);
    Main().StartUpPage().SuDropOnNode(Main().StartUpPage().tvSuSections.ItemWithData(kSuWinIni));  // a file node: nothing
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, Key("RunOnce"), "OrvM drag"));
    ASSERT_GE(SelectRow("OrvM drag"), 0);
    Main().StartUpPage().SuDropOnNode(Main().StartUpPage().tvSuSections.ItemWithData(kSuRunService));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, Key("RunOnce"), "OrvM drag"));
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunService"), "OrvM drag"), "C:\\drag.exe");
    EXPECT_EQ(Main().StartUpPage().SelectedSourceId(), kSuRunOnce);  // the selected section is listed again
    EXPECT_LT(RowOf(List(), "OrvM drag"), 0);
}

TEST_F(StartUpCommands, ConflictsChangeNothingAndSayWhy) {
    // The same name in a key and its twin, different programs: no command
    // may delete either, the user learns why and the ticks show the registry.
    SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvW twin", "C:\\winver.exe");
    SetRegString(HKEY_CURRENT_USER, Key("RunOnce-"), "OrvW twin", "C:\\notepad.exe");
    SetRegString(HKEY_CURRENT_USER, Key("RunService"), "OrvW twin", "C:\\other.exe");
    Main().StartUpPage().SelectSuSection(kSuRunOnce);
    auto rowOf = [&](bool ticked) {
        for (int i = 0; i < List().Count(); ++i)
            if (List().Text(i, 0) == "OrvW twin" && List().Checked(i) == ticked) return i;
        return -1;
    };
    auto untouched = [&] {
        EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvW twin"), "C:\\winver.exe");
        EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunOnce-"), "OrvW twin"), "C:\\notepad.exe");
        EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunService"), "OrvW twin"), "C:\\other.exe");
    };
    const int on = rowOf(true);
    ASSERT_GE(on, 0);
    {
        RecordedBoxes boxes({IDCANCEL});
        List().Select(on);
        Main().ExecuteAction(aSuCheck);  // switch winver off: the twin holds notepad
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_NE(boxes.Shown()[0].text.find("notepad.exe"), std::string::npos) << boxes.Shown()[0].text;
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::ErrorCancel);
        EXPECT_TRUE(List().Checked(on));  // still on, as the registry holds it
        untouched();
    }
    {
        RecordedBoxes boxes({IDCANCEL});
        const int off = rowOf(false);
        ASSERT_GE(off, 0);
        List().SetChecked(off, true);  // the user ticks the notepad row
        EXPECT_EQ(boxes.Shown().size(), 1u);
        EXPECT_FALSE(List().Checked(off));  // the tick goes back
        untouched();
    }
    {
        RecordedBoxes boxes({IDCANCEL});
        List().Select(rowOf(true));
        Main().StartUpPage().SuDropOnNode(Main().StartUpPage().tvSuSections.ItemWithData(kSuRunService));
        EXPECT_EQ(boxes.Shown().size(), 1u);  // RunService holds another program under that name
        untouched();
    }
    {
        RecordedBoxes boxes;  // any box here would fail the test
        List().Select(rowOf(false));
        List().Select(rowOf(true));
        Main().ExecuteAction(aSuUpdate);
        untouched();
    }
}

TEST_F(StartUpCommands, KeysThatRefuseWritingChangeNothingSilently) {
    // As machine-wide keys are for a user without administrator rights: the
    // rows are listed, selecting them opens nothing for writing, and a tick
    // that cannot be applied goes back without a word.
    SetRegString(HKEY_CURRENT_USER, Key("RunOnceEx"), "OrvR locked", "C:\\locked.exe");
    ScopedReadOnlyKey locked(HKEY_CURRENT_USER, Key("RunOnceEx"));
    ScopedReadOnlyKey lockedTwin(HKEY_CURRENT_USER, Key("RunOnceEx-"));
    Main().StartUpPage().SelectSuSection(kSuRunOnceEx);
    RecordedBoxes boxes;  // any box fails the test
    const int row = SelectRow("OrvR locked");
    ASSERT_GE(row, 0);
    EXPECT_TRUE(List().Checked(row));
    List().SetChecked(row, false);
    EXPECT_TRUE(List().Checked(row));  // the registry still holds it switched on
    Main().ExecuteAction(aSuCheck);
    EXPECT_TRUE(List().Checked(RowOf(List(), "OrvR locked")));
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunOnceEx"), "OrvR locked"), "C:\\locked.exe");
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, Key("RunOnceEx-"), "OrvR locked"));
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(StartUpCommands, SelectingARowAppliesTheStateItShows) {
    // Selecting a row puts the registry as the row shows it: a row listed as
    // on whose value was switched off meanwhile is switched on again.
    SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvA shown", "C:\\shown.exe");
    Main().StartUpPage().SelectSuSection(kSuRunOnce);
    ASSERT_TRUE(List().Checked(RowOf(List(), "OrvA shown")));
    DeleteRegTree(HKEY_CURRENT_USER, Key("RunOnce"));
    SetRegString(HKEY_CURRENT_USER, Key("RunOnce-"), "OrvA shown", "C:\\shown.exe");
    ASSERT_GE(SelectRow("OrvA shown"), 0);
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvA shown"), "C:\\shown.exe");
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, Key("RunOnce-"), "OrvA shown"));
}

TEST_F(StartUpCommands, SwitchingKeepsExpandableStrings) {
    const std::string location = "%SystemRoot%\\system32\\winver.exe";
    {
        platform::KeyHandle key;
        ASSERT_EQ(platform::reg::CreateKey(HKEY_CURRENT_USER, Key("RunOnceEx"), KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        platform::reg::SetValue(key.Get(), "OrvX expand", REG_EXPAND_SZ, location.c_str(),
                                static_cast<DWORD>(location.size() + 1));
    }
    auto typeIn = [&](const char* keyName) {
        platform::KeyHandle key;
        DWORD type = REG_NONE;
        std::vector<BYTE> bytes;
        if (platform::reg::OpenKey(HKEY_CURRENT_USER, Key(keyName), KEY_READ, key) == ERROR_SUCCESS)
            platform::reg::QueryValue(key.Get(), "OrvX expand", type, bytes);
        return type;
    };
    Main().StartUpPage().SelectSuSection(kSuRunOnceEx);
    ASSERT_GE(SelectRow("OrvX expand"), 0);
    Main().ExecuteAction(aSuCheck);
    EXPECT_EQ(typeIn("RunOnceEx-"), static_cast<DWORD>(REG_EXPAND_SZ));
    ASSERT_GE(SelectRow("OrvX expand"), 0);
    Main().StartUpPage().SuDropOnNode(Main().StartUpPage().tvSuSections.ItemWithData(kSuRunService));
    EXPECT_EQ(typeIn("RunService-"), static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunService-"), "OrvX expand"), location);
}

TEST_F(StartUpCommands, AutostartDeleteRemovesTheFileTheRowShows) {
    // A program and a shortcut of the same name side by side: each row
    // deletes its own file.
    ScopedFolder folder("autostart twins");
    const std::string program = CopyHelper("orvhelper.exe", folder.Path(), "target.exe");
    const std::string startup = SpecialFolderPath(kCsidlStartup);
    const std::string exe = CopyHelper("orvhelper.exe", startup, "OrvTwin.exe");
    WriteShortcut(startup + "\\OrvTwin.lnk", program);
    Main().StartUpPage().SelectSuSection(kSuAutostart);
    const int exeRow = RowOf(List(), "OrvTwin");
    ASSERT_GE(exeRow, 0);  // whichever of the two the folder lists first
    List().Select(exeRow);
    RecordedBoxes yes({IDYES});
    Main().ExecuteAction(aSuDelete);
    const bool exeGone = !platform::files::FileExists(exe);
    const bool linkGone = !platform::files::FileExists(startup + "\\OrvTwin.lnk");
    EXPECT_NE(exeGone, linkGone);  // exactly one of them
    EXPECT_GE(RowOf(List(), "OrvTwin"), 0);  // the other is still listed
    const int other = RowOf(List(), "OrvTwin");
    List().Select(other);
    Main().ExecuteAction(aSuDelete);
    EXPECT_FALSE(platform::files::FileExists(exe));
    EXPECT_FALSE(platform::files::FileExists(startup + "\\OrvTwin.lnk"));
    EXPECT_TRUE(platform::files::FileExists(program));  // the shortcut's target is never touched
}

// A Startup-folder file that may not go stays, and the user is told why: a
// read-only one (its attribute left as it is), and a link to a program
// elsewhere (neither it nor its target taken).
TEST_F(StartUpCommands, AutostartDeleteSaysWhyAFileStays) {
    const std::string startup = SpecialFolderPath(kCsidlStartup);
    ScopedFolder elsewhere("autostart elsewhere");
    const std::string program = CopyHelper("orvhelper.exe", elsewhere.Path(), "OrvElsewhere.exe");
    ScopedFile readOnly(startup + "\\OrvKept.exe", "MZ");
    ASSERT_TRUE(SetFileAttributesA(readOnly.Path().c_str(), FILE_ATTRIBUTE_READONLY));
    ScopedUnixLink link(startup + "\\OrvLinked.exe", program);
    struct Case {
        std::string caption, box;
    };
    std::vector<Case> cases = {{"OrvKept", "'OrvKept.exe' was not deleted: the file is read-only. Clear its read-only "
                                           "attribute first if it should go."}};
    if (link.Made())
        cases.push_back({"OrvLinked", "'OrvLinked.exe' was left alone: it is a link to a file outside the Startup folder."});
    Main().StartUpPage().SelectSuSection(kSuAutostart);
    for (const Case& c : cases) {
        ASSERT_GE(SelectRow(c.caption), 0) << c.caption;
        RecordedBoxes boxes({IDYES, IDCANCEL});
        Main().ExecuteAction(aSuDelete);
        ASSERT_EQ(boxes.Shown().size(), 2u) << c.caption;
        EXPECT_EQ(boxes.Shown()[1].text, c.box);
        EXPECT_EQ(boxes.Shown()[1].kind, platform::dialogs::BoxKind::ErrorCancel);
        EXPECT_GE(RowOf(List(), c.caption), 0) << c.caption;  // still there, still listed
    }
    EXPECT_NE(GetFileAttributesA(readOnly.Path().c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_TRUE(platform::files::FileExists(program));
}

TEST_F(StartUpCommands, AnySequenceOfSwitchesTicksAndDropsKeepsOneCopy) {
    SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvQ walk", "C:\\walk.exe");
    const int sections[] = {kSuRunOnce, kSuRunService};
    std::mt19937 random(11);
    for (int step = 0; step < 40; ++step) {
        // Show the section that holds the entry now, and select its row.
        const bool inRunOnce = RegValueExists(HKEY_CURRENT_USER, Key("RunOnce"), "OrvQ walk") ||
                               RegValueExists(HKEY_CURRENT_USER, Key("RunOnce-"), "OrvQ walk");
        Main().StartUpPage().SelectSuSection(inRunOnce ? kSuRunOnce : kSuRunService);
        const int row = SelectRow("OrvQ walk");
        ASSERT_GE(row, 0) << "step " << step;
        switch (random() % 3) {
        case 0: Main().ExecuteAction(aSuCheck); break;
        case 1: List().SetChecked(row, !List().Checked(row)); break;
        default: Main().StartUpPage().SuDropOnNode(Main().StartUpPage().tvSuSections.ItemWithData(sections[random() % 2])); break;
        }
        int copies = 0;
        for (const char* keyName : {"RunOnce", "RunOnce-", "RunService", "RunService-"})
            copies += RegValueExists(HKEY_CURRENT_USER, Key(keyName), "OrvQ walk");
        ASSERT_EQ(copies, 1) << "step " << step;
    }
}

TEST_F(StartUpCommands, EditOpensTheFileInNotepad) {
    Main().StartUpPage().SelectSuSection(kSuWinIni);
    ASSERT_TRUE(Main().Actions().Enabled(aSuEdit));
    Main().ExecuteAction(aSuEdit);
    DWORD notepad = 0;
    for (int attempt = 0; attempt < kProcessWaitSteps && !notepad; ++attempt) {
        notepad = FindProcessByName("notepad.exe");
        if (!notepad) Sleep(kProcessWaitStep);
    }
    EXPECT_NE(notepad, 0u);
    if (notepad) platform::processes::TerminateProcessById(notepad);
}

class ProgramInfo : public StartUpCommands {
protected:
    void SetUp() override {
        StartUpCommands::SetUp();
        folder_ = std::make_unique<ScopedFolder>("program info");
        helper_ = CopyHelper("orvhelper.exe", folder_->Path(), "info helper.exe");
    }
    void TearDown() override {
        if (DWORD id = FindProcessByName("info helper.exe")) platform::processes::TerminateProcessById(id);
        platform::processes::WaitForProcessEnd(FindProcessByName("info helper.exe"), 3000);
        StartUpCommands::TearDown();
        folder_.reset();
    }
    // Lists the entry and opens Info on it; the handler sees the dialog.
    void OpenInfo(const std::string& location, const std::function<int(ProgramInfoDialog&)>& look) {
        SetRegString(HKEY_CURRENT_USER, Key("RunOnceEx"), "OrvI entry", location);
        Main().StartUpPage().SelectSuSection(kSuRunOnceEx);
        ASSERT_GE(SelectRow("OrvI entry"), 0);
        ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) { return look(static_cast<ProgramInfoDialog&>(dialog)); });
        Main().ExecuteAction(aSuInfo);
    }
    std::unique_ptr<ScopedFolder> folder_;
    std::string helper_;
};

TEST_F(ProgramInfo, ARunningProgramShowsItsDataModulesAndCanBeKilled) {
    HelperProcess process(helper_);
    ASSERT_TRUE(process.WaitUntilListed());
    // Another copy of the same program, from another file, is no target.
    HelperProcess bystander(CopyHelper("orvhelper.exe", folder_->Path(), "bystander.exe"));
    ASSERT_TRUE(bystander.WaitUntilListed());
    RecordedBoxes boxes({IDYES});
    bool looked = false;
    OpenInfo("\"" + helper_ + "\" /tray", [&](ProgramInfoDialog& info) {
        looked = true;
        EXPECT_EQ(ui::ControlText(info.edtLocation), helper_);
        EXPECT_EQ(info.ActiveText(), "Yes");
        EXPECT_TRUE(IsWindowEnabled(info.btnKill));
        EXPECT_FALSE(IsWindowEnabled(info.btnRun));
        EXPECT_TRUE(info.ModulesTabVisible());
        EXPECT_EQ(info.lvFileinfo.Count(), 17);
        EXPECT_EQ(info.lvFileinfo.Text(0, 0), "Original File Name");
        EXPECT_EQ(info.lvFileinfo.Text(0, 1), "orvhelper.exe");
        EXPECT_EQ(info.lvFileinfo.Text(6, 1), "Orvelin Test Works");
        EXPECT_EQ(info.lvFileinfo.Text(15, 0), "OLE Self Registe");
        EXPECT_EQ(info.lvFileinfo.Text(16, 0), "Active");
        EXPECT_EQ(info.lvFileinfo.Text(16, 1), "Yes");
        info.ShowModulesPage();
        EXPECT_GT(info.lvModules.Count(), 1);
        EXPECT_EQ(info.lvModules.Text(0, 0), "info helper.exe");
        info.KillClick();
        EXPECT_EQ(info.ActiveText(), "No");
        EXPECT_EQ(info.lvFileinfo.Text(16, 1), "No");
        return IDCANCEL;
    });
    ASSERT_TRUE(looked);
    ASSERT_FALSE(boxes.Shown().empty());
    EXPECT_EQ(boxes.Shown()[0].text, "Kill " + helper_ + "?");
    EXPECT_TRUE(platform::processes::WaitForProcessEnd(process.Id(), 3000));
    EXPECT_FALSE(platform::processes::WaitForProcessEnd(bystander.Id(), 0));
    // Closing re-read the list: the entry no longer runs, and its row is still the chosen one.
    EXPECT_EQ(List().Text(RowOf(List(), "OrvI entry"), 4), "No");
    EXPECT_EQ(List().Selected(), RowOf(List(), "OrvI entry"));
}

TEST_F(ProgramInfo, AStoppedProgramCanBeRun) {
    OpenInfo(helper_, [&](ProgramInfoDialog& info) {
        EXPECT_EQ(info.ActiveText(), "No");
        EXPECT_TRUE(IsWindowEnabled(info.btnRun));
        EXPECT_FALSE(IsWindowEnabled(info.btnKill));
        EXPECT_FALSE(info.ModulesTabVisible());
        // Esc does nothing while Kill is disabled.
        SendMessageA(info.Handle(), WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(info.Showing());
        info.RunClick();
        EXPECT_EQ(info.ActiveText(), "Yes");
        return IDOK;
    });
    DWORD started = 0;
    for (int attempt = 0; attempt < kProcessWaitSteps && !started; ++attempt) {
        started = FindProcessByName("info helper.exe");
        if (!started) Sleep(kProcessWaitStep);
    }
    EXPECT_NE(started, 0u);
}

TEST_F(ProgramInfo, AMissingFileOffersNeitherButton) {
    const std::string missing = folder_->Path() + "\\gone.exe";
    RecordedBoxes boxes({IDYES});
    OpenInfo(missing, [&](ProgramInfoDialog& info) {
        EXPECT_EQ(info.ActiveText(), "N/A");
        EXPECT_FALSE(IsWindowEnabled(info.btnRun));
        EXPECT_FALSE(IsWindowEnabled(info.btnKill));
        EXPECT_TRUE(info.ModulesTabVisible());
        info.ShowModulesPage();
        EXPECT_EQ(info.lvModules.Count(), 0);
        EXPECT_EQ(info.lvFileinfo.Text(9, 1), FileVersionInfo::kNotAvailable);
        return IDOK;
    });
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(ProgramInfo, KillForAProgramThatEndedMeanwhileWarns) {
    HelperProcess process(helper_);
    ASSERT_TRUE(process.WaitUntilListed());
    RecordedBoxes boxes({IDYES, IDOK});
    OpenInfo(helper_, [&](ProgramInfoDialog& info) {
        platform::processes::TerminateProcessById(process.Id());
        platform::processes::WaitForProcessEnd(process.Id(), 3000);
        info.KillClick();
        return IDCANCEL;
    });
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].text, "Proces " + helper_ + " no Active!");
    EXPECT_EQ(boxes.Shown()[1].kind, platform::dialogs::BoxKind::Warning);
}

}  // namespace
