// The result lists' row commands in the running window: Copy (and Ctrl+C on
// the list), Open in Registry Editor and Open File Location on the StartUp,
// Registry and History pages, with program starts seen through their seam.
#include "common/Common.h"
#include "common/RowActions.h"
#include "platform/Processes.h"
#include "history/WindowsHistory.h"
#include "platform/Clipboard.h"
#include "registry_scan/ProblemStore.h"
#include "gui/HistoryPage.h"
#include "gui/MainWindow.h"
#include "gui/RegistryPage.h"
#include "gui/StartUpPage.h"
#include "startup/StartUpFunctions.h"
#include "TestSupport.h"

#include "platform/Version.h"

#include <gtest/gtest.h>

using namespace gui;
using namespace testing_support;

namespace {

const std::string kUser = "HKEY_CURRENT_USER";
constexpr int kClsidSection = 1;

std::string LastKey() {
    return RegString(HKEY_CURRENT_USER, common::kRegistryEditorSettingsKey, common::kRegistryEditorLastKeyValue);
}

// The node before the root in LastKey, as the editor on this system reads it
// (KeptLastKey empties the value, so the editor wrote none).
std::string EditorNode() { return platform::RunsUnderWine() ? "" : "Computer\\"; }

// The registry editor's LastKey as it was before the test, put back after it.
class KeptLastKey {
public:
    KeptLastKey()
        : had_(RegValueExists(HKEY_CURRENT_USER, common::kRegistryEditorSettingsKey,
                              common::kRegistryEditorLastKeyValue)),
          previous_(had_ ? LastKey() : std::string()) {
        SetRegString(HKEY_CURRENT_USER, common::kRegistryEditorSettingsKey, common::kRegistryEditorLastKeyValue, "");
    }
    ~KeptLastKey() {
        if (had_) {
            SetRegString(HKEY_CURRENT_USER, common::kRegistryEditorSettingsKey, common::kRegistryEditorLastKeyValue,
                         previous_);
        } else {
            ScopedRegValue gone(HKEY_CURRENT_USER, common::kRegistryEditorSettingsKey,
                                common::kRegistryEditorLastKeyValue);
        }
    }

private:
    bool had_;
    std::string previous_;
};

// Holds Ctrl down in this thread's key state for the time it lives.
class CtrlHeld {
public:
    CtrlHeld() {
        GetKeyboardState(saved_);
        BYTE held[256];
        GetKeyboardState(held);
        held[VK_CONTROL] = held[VK_LCONTROL] = 0x80;
        SetKeyboardState(held);
    }
    ~CtrlHeld() { SetKeyboardState(saved_); }

private:
    BYTE saved_[256] = {};
};

// A key typed into the focused control as the program's message loop takes it.
void TypeCtrlC(MainWindow& main) {
    const CtrlHeld ctrl;
    for (const UINT message : {WM_KEYDOWN, WM_CHAR, WM_KEYUP}) {
        MSG typed{GetFocus(), message, message == WM_CHAR ? WPARAM(3) : WPARAM('C'), 1, 0, {}};
        if (!main.PreTranslateMessage(typed)) {
            TranslateMessage(&typed);
            DispatchMessageA(&typed);
        }
    }
    PumpMessages();
}

// The captions of a pop-up menu of actions, "-" for a separator.
std::vector<std::string> MenuCaptions(MainWindow& main, const std::vector<int>& actionIds) {
    platform::MenuHandle menu(ui::BuildActionMenu(actionIds, main.Actions()));
    std::vector<std::string> captions;
    for (int i = 0; i < GetMenuItemCount(menu.Get()); ++i) {
        char text[128] = {};
        const bool separator = (GetMenuState(menu.Get(), i, MF_BYPOSITION) & MF_SEPARATOR) != 0;
        GetMenuStringA(menu.Get(), i, text, sizeof(text), MF_BYPOSITION);
        captions.push_back(separator ? "-" : text);
    }
    return captions;
}

class RowActionsTest : public FrameTest {
protected:
    void SetUp() override {
        DeleteUserRunKeys({"RunOnceEx"});
        FrameTest::SetUp();
    }
    void TearDown() override {
        FrameTest::TearDown();
        DeleteUserRunKeys({"RunOnceEx"});
    }
    bool Enabled(int action) { return Main().Actions().Enabled(action); }
    // Selects the row as a click would: the central refresh follows.
    void Select(ui::ListView list, int row) {
        ASSERT_GE(row, 0);
        list.Select(row);
        PumpMessages();
        Main().RefreshView();
    }
    static std::string RunKey(const std::string& suffix = "") {
        return startup::RunKeyPath(kUser, "RunOnceEx", suffix);
    }

    ScopedFolder folder_{"row actions"};
    KeptLastKey lastKey_;
};

TEST_F(RowActionsTest, EveryListsMenuKeepsItsEntriesAndAddsTheRowCommandsAfterASeparator) {
    const std::vector<std::string> rowCommands = {"Copy", "Open in Registry Editor", "Open File Location"};
    StartUpPageWindow& startUp = Main().StartUpPage();
    startUp.SelectSuSection(startup::kSuRunOnceEx);
    EXPECT_EQ(MenuCaptions(Main(), startUp.ContextMenuActions(startUp.lvSuValues.Handle())),
              (std::vector<std::string>{"Add", "Delete", "On/Off", "Info", "-", "Copy", "Open in Registry Editor",
                                        "Open File Location"}));
    startUp.SelectSuSection(startup::kSuWinIni);
    EXPECT_EQ(MenuCaptions(Main(), startUp.ContextMenuActions(startUp.lvSuValues.Handle())),
              (std::vector<std::string>{"Edit", "Info", "-", "Copy", "Open in Registry Editor", "Open File Location"}));
    EXPECT_TRUE(startUp.ContextMenuActions(startUp.tvSuSections.Handle()).empty());

    RegistryPageWindow& registry = Main().RegistryPage();
    EXPECT_EQ(MenuCaptions(Main(), registry.ContextMenuActions(registry.lvRgValues.Handle())), rowCommands);
    // A right click on the headers unticks the rows, as before: no menu there.
    EXPECT_TRUE(registry.ContextMenuActions(ListView_GetHeader(registry.lvRgValues.Handle())).empty());
    EXPECT_TRUE(registry.ContextMenuActions(registry.tvRgSections.Handle()).empty());

    HistoryPageWindow& history = Main().HistoryPage();
    EXPECT_EQ(MenuCaptions(Main(), history.ContextMenuActions(history.lvHsValues.Handle())),
              (std::vector<std::string>{"Delete", "Delete All", "-", "Report", "-", "Copy", "Open File Location"}));
    EXPECT_TRUE(history.ContextMenuActions(history.tvHsSections.Handle()).empty());
}

TEST_F(RowActionsTest, StartUpRunEntriesCopyOpenTheirKeyAndShowTheirProgram) {
    ScopedFile program(folder_.Path() + "\\row program.exe", "MZ");
    const std::string missing = folder_.Path() + "\\gone.exe";
    SetRegString(HKEY_CURRENT_USER, RunKey(), "OrvRow on", "\"" + program.Path() + "\" /tray");
    SetRegString(HKEY_CURRENT_USER, RunKey("-"), "OrvRow off", missing + " /q");
    StartUpPageWindow& page = Main().StartUpPage();
    page.SelectSuSection(startup::kSuRunOnceEx);
    ui::ListView list = page.lvSuValues;
    ASSERT_EQ(list.Count(), 2);
    // Nothing selected: nothing to act on.
    list.Select(-1);
    Main().RefreshView();
    for (int action : {aRowCopy, aRowRegistryEditor, aRowFileLocation}) EXPECT_FALSE(Enabled(action)) << action;

    Select(list, RowOf(list, "OrvRow on"));
    ASSERT_TRUE(platform::clipboard::SetText("before"));
    ASSERT_TRUE(Main().ExecuteAction(aRowCopy));
    EXPECT_EQ(platform::clipboard::ReadText(),
              "OrvRow on\t\"" + program.Path() + "\" /tray\tHKEY_CURRENT_USER\tRunOnceEx\tNo\r\n");
    {
        RecordedStarts starts;
        ASSERT_TRUE(Enabled(aRowRegistryEditor));
        ASSERT_TRUE(Main().ExecuteAction(aRowRegistryEditor));
        EXPECT_EQ(starts.Started(), (std::vector<RecordedStarts::Start>{{"regedit.exe", ""}}));
        EXPECT_EQ(LastKey(), EditorNode() + "HKEY_CURRENT_USER\\" + RunKey());
        ASSERT_TRUE(Enabled(aRowFileLocation));
        ASSERT_TRUE(Main().ExecuteAction(aRowFileLocation));
        ASSERT_EQ(starts.Started().size(), 2u);
        EXPECT_EQ(starts.Started()[1], (RecordedStarts::Start{"explorer.exe", "/select,\"" + program.Path() + "\""}));
    }
    // The switched-off entry lives in the "-" twin; its program is missing.
    Select(list, RowOf(list, "OrvRow off"));
    EXPECT_FALSE(Enabled(aRowFileLocation));
    RecordedStarts starts;
    ASSERT_TRUE(Main().ExecuteAction(aRowRegistryEditor));
    EXPECT_EQ(LastKey(), EditorNode() + "HKEY_CURRENT_USER\\" + RunKey("-"));
    EXPECT_FALSE(Main().ExecuteAction(aRowFileLocation));
    EXPECT_EQ(starts.Started().size(), 1u);
}

TEST_F(RowActionsTest, AStartUpIniEntryShowsItsProgramButNamesNoKey) {
    ScopedFile program(folder_.Path() + "\\ini program.exe", "MZ");
    ScopedIniValue run(WindowsDirectory() + "\\win.ini", "windows", "run", program.Path());
    StartUpPageWindow& page = Main().StartUpPage();
    page.SelectSuSection(startup::kSuWinIni);
    Select(page.lvSuValues, RowOf(page.lvSuValues, "run"));
    EXPECT_TRUE(Enabled(aRowCopy));
    EXPECT_FALSE(Enabled(aRowRegistryEditor));
    RecordedStarts starts;
    EXPECT_FALSE(Main().ExecuteAction(aRowRegistryEditor));
    EXPECT_EQ(LastKey(), "");  // nothing told to the editor
    ASSERT_TRUE(Main().ExecuteAction(aRowFileLocation));
    EXPECT_EQ(starts.Started(),
              (std::vector<RecordedStarts::Start>{{"explorer.exe", "/select,\"" + program.Path() + "\""}}));
}

TEST_F(RowActionsTest, RegistryRecordsOpenTheirKeyAndAFileThatExists) {
    ScratchRegKey scratch("RowActionsPage");
    SetRegString(HKEY_CURRENT_USER, scratch.Relative() + "\\{orv row}", "", "x");
    ScopedFile guess(folder_.Path() + "\\found again.dll", "MZ");
    Main().TitleButtonClick(kPageRegistry);
    RegistryPageWindow& page = Main().RegistryPage();
    // Before a scan the list holds its message row only: it copies, it names nothing.
    page.ShowScanResults(kClsidSection + 1);
    Select(page.lvRgValues, 0);
    EXPECT_TRUE(Enabled(aRowCopy));
    EXPECT_FALSE(Enabled(aRowRegistryEditor));
    EXPECT_FALSE(Enabled(aRowFileLocation));

    const std::string withSubkey = registry_scan::MakeRegistryPath(kUser, "\\" + scratch.Relative(), "{orv row}");
    const std::string withValue = registry_scan::MakeRegistryPath(kUser, "\\" + scratch.Relative(), "C:\\gone.dll");
    page.Nut().RecordProblem(kClsidSection, withSubkey, "gone.dll", guess.Path());
    page.Nut().RecordProblem(kClsidSection, withValue, "C:\\gone.dll", "c:\\windows\\gone.dll");
    page.Nut().SetState(kClsidSection, registry_scan::ssScanned);
    page.ShowScanResults(kClsidSection + 1);
    const int subkeyRow = page.lvRgValues.Text(0, 1) == withSubkey ? 0 : 1;
    Select(page.lvRgValues, subkeyRow);
    ASSERT_TRUE(Main().ExecuteAction(aRowCopy));
    EXPECT_EQ(platform::clipboard::ReadText(), "CLSID\t" + withSubkey + "\tgone.dll\t" + guess.Path() + "\r\n");
    RecordedStarts starts;
    ASSERT_TRUE(Main().ExecuteAction(aRowRegistryEditor));
    EXPECT_EQ(LastKey(), EditorNode() + scratch.Full() + "\\{orv row}");
    ASSERT_TRUE(Main().ExecuteAction(aRowFileLocation));
    // The value's record: its key is the holder; neither file exists.
    Select(page.lvRgValues, 1 - subkeyRow);
    EXPECT_FALSE(Enabled(aRowFileLocation));
    ASSERT_TRUE(Main().ExecuteAction(aRowRegistryEditor));
    EXPECT_EQ(LastKey(), EditorNode() + scratch.Full());
    EXPECT_EQ(starts.Started(), (std::vector<RecordedStarts::Start>{
                                    {"regedit.exe", ""},
                                    {"explorer.exe", "/select,\"" + guess.Path() + "\""},
                                    {"regedit.exe", ""}}));
}

class HistoryRowActionsTest : public RowActionsTest {
protected:
    void SetUp() override {
        RowActionsTest::SetUp();
        Main().TitleButtonClick(kPageHistory);
        ASSERT_TRUE(PumpUntil([this] { return !Page().Busy(); }));
    }
    void TearDown() override {
        RemoveFolderTree(tempFolder_);
        RowActionsTest::TearDown();
    }
    HistoryPageWindow& Page() { return Main().HistoryPage(); }
    void ListTemporaryFolder() {
        Page().SelectHsSection(history::hsTemporaryFolder);
        ASSERT_TRUE(PumpUntil([this] { return !Page().Busy(); }));
    }
    const std::string tempFolder_ = history::TemporaryFolder() + "\\OrvRowActions";
};

TEST_F(HistoryRowActionsTest, AFileRowShowsItsFileWhileItExists) {
    ScopedFile kept(tempFolder_ + "\\kept.txt", "k"), gone(tempFolder_ + "\\gone.txt", "g");
    ListTemporaryFolder();
    ui::ListView list = Page().lvHsValues;
    Select(list, RowOf(list, kept.Path()));
    EXPECT_FALSE(Enabled(aRowRegistryEditor));  // not on this page's menu, never enabled here
    RecordedStarts starts;
    ASSERT_TRUE(Main().ExecuteAction(aRowFileLocation));
    EXPECT_EQ(starts.Started(),
              (std::vector<RecordedStarts::Start>{{"explorer.exe", "/select,\"" + kept.Path() + "\""}}));
    DeleteFileA(gone.Path().c_str());
    Select(list, RowOf(list, gone.Path()));
    EXPECT_TRUE(Enabled(aRowCopy));
    EXPECT_FALSE(Enabled(aRowFileLocation));
    EXPECT_EQ(starts.Started().size(), 1u);
}

TEST_F(HistoryRowActionsTest, CtrlCCopiesTheFocusedListsRowButLeavesTheMaskFieldsOwn) {
    ScopedFile file(tempFolder_ + "\\copied.txt", "c");
    ListTemporaryFolder();
    ui::ListView list = Page().lvHsValues;
    Select(list, RowOf(list, file.Path()));
    ASSERT_TRUE(platform::clipboard::SetText("before"));
    SetFocus(list.Handle());
    TypeCtrlC(Main());
    EXPECT_EQ(platform::clipboard::ReadText(), file.Path() + "\r\n");

    // In the mask field Ctrl+C is the field's: with nothing selected there it
    // copies nothing, and the row is not copied either.
    ASSERT_TRUE(platform::clipboard::SetText("before"));
    SendMessageA(Page().cbUseMask, BM_SETCHECK, BST_CHECKED, 0);
    EnableWindow(Page().edtMask, TRUE);
    SetWindowTextA(Page().edtMask, "*.txt");
    SetFocus(Page().edtMask);
    SendMessageA(Page().edtMask, EM_SETSEL, 0, 0);
    TypeCtrlC(Main());
    EXPECT_EQ(platform::clipboard::ReadText(), "before");
    // Selected text there is what it copies.
    SendMessageA(Page().edtMask, EM_SETSEL, 0, -1);
    TypeCtrlC(Main());
    EXPECT_EQ(platform::clipboard::ReadText(), "*.txt");
    SendMessageA(Page().cbUseMask, BM_SETCHECK, BST_UNCHECKED, 0);
}

TEST_F(HistoryRowActionsTest, AStartThatFailsIsToldWithTheSystemsText) {
    ScopedFile file(tempFolder_ + "\\start fails.txt", "s");
    ListTemporaryFolder();
    Select(Page().lvHsValues, RowOf(Page().lvHsValues, file.Path()));
    RecordedStarts starts(ERROR_FILE_NOT_FOUND);
    RecordedBoxes boxes({IDCANCEL});
    ASSERT_TRUE(Main().ExecuteAction(aRowFileLocation));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text,
              "Cannot start explorer.exe: " + platform::processes::SystemErrorText(ERROR_FILE_NOT_FOUND));

    // No to the elevation prompt is the user's own answer, not a failure.
    RecordedStarts declined(ERROR_CANCELLED);
    RecordedBoxes none;
    ASSERT_TRUE(Main().ExecuteAction(aRowFileLocation));
    EXPECT_EQ(declined.Started().size(), 1u);
    EXPECT_TRUE(none.Shown().empty());
}

}  // namespace
