// The main window in process: start guard, pages, title buttons, actions,
// the StartUp tree and list, sorting and the refresh rules.
#include "common/Common.h"
#include "common/ProgramSettings.h"
#include "history/HistorySectionIds.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "gui/MainLayout.h"
#include "gui/AboutPage.h"
#include "gui/HistoryPage.h"
#include "gui/MainWindow.h"
#include "gui/RegistryPage.h"
#include "gui/StartUpPage.h"
#include "gui/ProgramStart.h"
#include "backup/BackupRun.h"
#include "TestSupport.h"
#include "ui/RowData.h"

#include <richedit.h>

#include <gtest/gtest.h>

using namespace gui;

using namespace startup;
using namespace testing_support;

namespace {

POINT CentreOf(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

std::vector<std::string> Column(const ui::ListView& list, int column) {
    std::vector<std::string> texts;
    for (int i = 0; i < list.Count(); ++i) texts.push_back(list.Text(i, column));
    return texts;
}

using MainWindowTest = FrameTest;

TEST(ProgramStart, ASecondStartShowsTheErrorAndEndsWithoutAWindow) {
    platform::processes::NamedMutex first(kInstanceMutexName);
    ASSERT_TRUE(first.Valid());
    RecordedBoxes boxes({IDCANCEL});
    EXPECT_EQ(RunOrvelin(SW_HIDE), 0);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "ORV is already running!");
    EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::ErrorCancel);
    EXPECT_EQ(FindWindowA("MainWindow", nullptr), nullptr);
    // The guard of the first instance is untouched.
    platform::processes::NamedMutex again(kInstanceMutexName);
    EXPECT_TRUE(again.AlreadyExisted());
}

// A restore ended by force leaves its marker; the next start tells the user
// which point did not finish, once.
TEST(ProgramStart, ARestoreThatDidNotFinishIsToldOnce) {
    ScopedFolder folder("ProgramStartRestore");
    const std::string backup = folder.Path() + "\\Backup\\";
    ASSERT_TRUE(platform::files::CreateFolderPath(backup));
    {
        RecordedBoxes boxes({IDOK});
        ReportUnfinishedRestore(nullptr, backup);
        EXPECT_TRUE(boxes.Shown().empty());
    }
    ASSERT_TRUE(platform::files::WriteFileBytes(backup + backup::kRestoreMarkerFileName, "2026.01.02  9.05\r\n"));
    {
        RecordedBoxes boxes({IDOK});
        ReportUnfinishedRestore(nullptr, backup);
        ReportUnfinishedRestore(nullptr, backup);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::Warning);
        EXPECT_EQ(boxes.Shown()[0].text.rfind("The restore of the backup point 2026.01.02  9.05 did not finish: ", 0), 0u)
            << boxes.Shown()[0].text;
    }
    EXPECT_FALSE(platform::files::FileExists(backup + backup::kRestoreMarkerFileName));
}

TEST_F(MainWindowTest, WindowLayoutAndFirstPage) {
    char caption[64] = {};
    GetWindowTextA(Main().Handle(), caption, sizeof(caption));
    EXPECT_STREQ(caption, "Orvelin 2.0");
    RECT client{};
    GetClientRect(Main().Handle(), &client);
    EXPECT_EQ(client.right, 794);
    EXPECT_EQ(client.bottom, 568);
    // A frame the user may size and maximise; the default is the smallest.
    EXPECT_TRUE(GetWindowLongPtrA(Main().Handle(), GWL_STYLE) & WS_THICKFRAME);
    EXPECT_TRUE(GetWindowLongPtrA(Main().Handle(), GWL_STYLE) & WS_MAXIMIZEBOX);
    RECT frame{};
    GetWindowRect(Main().Handle(), &frame);
    MINMAXINFO limits{};
    SendMessageA(Main().Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, frame.right - frame.left);
    EXPECT_EQ(limits.ptMinTrackSize.y, frame.bottom - frame.top);
    EXPECT_EQ(Main().CurrentPage(), kPageStartUp);
    EXPECT_TRUE(IsWindowVisible(Main().tsPage(kPageStartUp)));
    EXPECT_FALSE(IsWindowVisible(Main().tsPage(kPageRegistry)));
    // The Registry tree got its check boxes after creation.
    EXPECT_TRUE(GetWindowLongPtrA(Main().RegistryPage().tvRgSections.Handle(), GWL_STYLE) & TVS_CHECKBOXES);
    // Columns of the three lists.
    EXPECT_EQ(Main().StartUpPage().lvSuValues.ColumnCount(), 5);
    EXPECT_EQ(Main().StartUpPage().lvSuValues.ColumnWidth(0), 125);
    EXPECT_EQ(Main().StartUpPage().lvSuValues.ColumnWidth(2), 136);
    EXPECT_EQ(Main().StartUpPage().lvSuValues.ColumnWidth(3), 95);
    EXPECT_EQ(Main().RegistryPage().lvRgValues.ColumnCount(), 4);
    EXPECT_EQ(Main().HistoryPage().lvHsValues.ColumnCount(), 1);
    // Showing page 0 selected and listed "All".
    EXPECT_EQ(Main().StartUpPage().SelectedSourceId(), kSuAll);
    EXPECT_FALSE(Main().StartUpPage().lvSuValues.ShowsCheckBoxes());
    EXPECT_NE(Main().ProgramFolder().back(), '/');
    EXPECT_EQ(Main().ProgramFolder().back(), '\\');
    // Backup points go into the program folder's "Backup\"; the About page
    // shows the program's version.
    EXPECT_EQ(Main().ProgramFolder(), TestProgramFolder());
    EXPECT_EQ(Main().BackupFolder(), Main().ProgramFolder() + "Backup\\");
    EXPECT_NE(FindWindowExA(Main().AboutPage().Handle(), nullptr, "STATIC", common::kProgramVersion), nullptr);
}

TEST_F(MainWindowTest, ActionsHaveTheirCaptionsHintsAndShortcuts) {
    const ui::Action* add = Main().Actions().Find(aSuAdd);
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->caption, "Add");
    EXPECT_EQ(add->hint, "Add New Progamm to StartUp");
    EXPECT_EQ(add->shortcut.key, VK_INSERT);
    const ui::Action* fixAll = Main().Actions().Find(aRgFixAll);
    EXPECT_EQ(fixAll->shortcut.key, VK_DELETE);
    EXPECT_EQ(fixAll->shortcut.modifiers, FCONTROL);
    EXPECT_EQ(Main().Actions().Find(aBackUp)->caption, "BackUp\\Restore");
    EXPECT_EQ(Main().Actions().Find(aReport)->hint, "Create Report File");
    // The Parts' sixteen, then the lists' row commands: these have no
    // shortcut, so Ctrl+C stays the focused control's own.
    EXPECT_EQ(Main().Actions().Actions().size(), 19u);
    for (int id : {aRowCopy, aRowRegistryEditor, aRowFileLocation})
        EXPECT_EQ(Main().Actions().Find(id)->shortcut, ui::Shortcut{}) << id;
}

TEST_F(MainWindowTest, TitleButtonsSwitchPagesAndTrackThePointer) {
    TitleStrip& title = Main().pTitle();
    EXPECT_FALSE(title.HotVisible(kPageStartUp));
    EXPECT_FALSE(title.DisVisible(kPageStartUp));
    for (int page : {kPageRegistry, kPageHistory, kPageAbout}) {
        EXPECT_TRUE(title.HotVisible(page));
        EXPECT_TRUE(title.DisVisible(page));
    }
    // Entering a dis picture uncovers the hot one; leaving covers it again.
    title.PointerAt(CentreOf(title.ButtonRect(kPageHistory)));
    EXPECT_FALSE(title.DisVisible(kPageHistory));
    title.PointerAt(POINT{5, 5});
    EXPECT_TRUE(title.DisVisible(kPageHistory));
    // The current button shows nothing and so cannot be clicked.
    title.ClickAt(CentreOf(title.ButtonRect(kPageStartUp)));
    EXPECT_EQ(Main().CurrentPage(), kPageStartUp);

    title.PointerAt(CentreOf(title.ButtonRect(kPageRegistry)));
    title.ClickAt(CentreOf(title.ButtonRect(kPageRegistry)));
    EXPECT_EQ(Main().CurrentPage(), kPageRegistry);
    EXPECT_TRUE(IsWindowVisible(Main().tsPage(kPageRegistry)));
    EXPECT_FALSE(IsWindowVisible(Main().tsPage(kPageStartUp)));
    EXPECT_FALSE(title.HotVisible(kPageRegistry));
    EXPECT_FALSE(title.DisVisible(kPageRegistry));
    EXPECT_TRUE(title.HotVisible(kPageStartUp));

    title.ClickAt(CentreOf(title.ButtonRect(kPageAbout)));
    EXPECT_EQ(Main().CurrentPage(), kPageAbout);
    EXPECT_TRUE(IsWindowVisible(Main().AboutPage().mHelp));
    // Activation from within the program keeps the page and reloads help.
    Main().FormActivate(false);
    EXPECT_EQ(Main().CurrentPage(), kPageAbout);
    EXPECT_NE(Main().AboutPage().HelpText().find("StartUp"), std::string::npos);
}

namespace {

CHARFORMAT2A FormatOfWord(HWND richEdit, const char* word) {
    FINDTEXTEXA find{};
    find.chrg = {0, -1};
    find.lpstrText = word;
    CHARFORMAT2A format{};
    format.cbSize = sizeof(format);
    if (SendMessageA(richEdit, EM_FINDTEXTEX, FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD, reinterpret_cast<LPARAM>(&find)) < 0) {
        ADD_FAILURE() << "not in the help: " << word;
        return format;
    }
    SendMessageA(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&find.chrgText));
    SendMessageA(richEdit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format;
}

PARAFORMAT ParagraphOfSelection(HWND richEdit) {
    PARAFORMAT paragraph{};
    paragraph.cbSize = sizeof(paragraph);
    SendMessageA(richEdit, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
    return paragraph;
}

}  // namespace

TEST_F(MainWindowTest, HelpShowsHeadingsEmphasisAndListsAndBreaksLinesAtSpacesOnly) {
    Main().TitleButtonClick(kPageAbout);
    Main().FormActivate(false);
    const HWND help = Main().AboutPage().mHelp;
    const CHARFORMAT2A body = FormatOfWord(help, "automatically");
    const CHARFORMAT2A heading = FormatOfWord(help, "Orvelin");  // first in the top heading
    const CHARFORMAT2A listed = FormatOfWord(help, "All");
    const PARAFORMAT listItem = ParagraphOfSelection(help);
    EXPECT_FALSE(body.dwEffects & CFE_BOLD);
    EXPECT_EQ(body.yHeight, 160);  // 8 points, in twips
    EXPECT_TRUE(heading.dwEffects & CFE_BOLD);
    EXPECT_GT(heading.yHeight, body.yHeight);
    EXPECT_TRUE(listed.dwEffects & CFE_BOLD);
    EXPECT_EQ(listed.yHeight, body.yHeight);
    EXPECT_GT(listItem.dxOffset, 0);  // the item's text hangs after its bullet

    // "N/A" and "On/Off" stay whole at every width the window can give the
    // help (its default width is its smallest).
    RECT place{};
    GetWindowRect(help, &place);
    MapWindowPoints(nullptr, GetParent(help), reinterpret_cast<POINT*>(&place), 2);
    const int smallest = place.right - place.left;
    int lines = 0;
    for (int width = smallest; width <= smallest + 400; width += 7) {
        MoveWindow(help, place.left, place.top, width, place.bottom - place.top, FALSE);
        const int count = static_cast<int>(SendMessageA(help, EM_GETLINECOUNT, 0, 0));
        lines += count;
        for (int line = 1; line < count; ++line) {
            const LONG start = static_cast<LONG>(SendMessageA(help, EM_LINEINDEX, line, 0));
            char before[2] = {};
            TEXTRANGEA range{{start - 1, start}, before};
            SendMessageA(help, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
            char around[40] = {};
            TEXTRANGEA context{{start - 20, start + 19}, around};
            SendMessageA(help, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&context));
            ASSERT_NE(before[0], '/') << "width " << width << ", line " << line << ": " << around;
        }
    }
    EXPECT_GT(lines, 1000);
    MoveWindow(help, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

TEST_F(MainWindowTest, F1OpensTheHelp) {
    Main().TitleButtonClick(kPageRegistry);
    MSG f1{GetFocus(), WM_KEYDOWN, VK_F1, 1, 0, {}};
    ASSERT_TRUE(Main().PreTranslateMessage(f1));
    EXPECT_EQ(Main().CurrentPage(), kPageAbout);
    EXPECT_TRUE(IsWindowVisible(Main().AboutPage().mHelp));
    EXPECT_EQ(GetFocus(), Main().AboutPage().mHelp);
    EXPECT_FALSE(IsWindowVisible(Main().tsPage(kPageRegistry)));

    // Not while a drag holds the mouse: the page below would keep it hidden.
    Main().TitleButtonClick(kPageStartUp);
    SetCapture(Main().StartUpPage().lvSuValues.Handle());
    MSG held{GetFocus(), WM_KEYDOWN, VK_F1, 1, 0, {}};
    EXPECT_TRUE(Main().PreTranslateMessage(held));
    EXPECT_EQ(Main().CurrentPage(), kPageStartUp);
    ReleaseCapture();
}

TEST_F(MainWindowTest, MissingHelpFileIsShownNotReported) {
    RecordedBoxes boxes;
    Main().AboutPage().NavigateHelp("C:\\no such folder\\Help.html");
    EXPECT_NE(Main().AboutPage().HelpText().find("Cannot find"), std::string::npos);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(MainWindowTest, ClosingAsksAndNoKeepsTheWindow) {
    {
        RecordedBoxes boxes({IDNO});
        SendMessageA(Main().Handle(), WM_CLOSE, 0, 0);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you want to exit Orvelin?");
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::Confirm);
        EXPECT_TRUE(IsWindow(Main().Handle()));
    }
    RecordedBoxes yes({IDYES});
    EXPECT_TRUE(Main().FormCloseQuery());
}

// The tree the page builds from the source rows is the StartUp tree as it
// always was: every node in the tree's order with its parent and its data
// (the id the demo and a restart's --node name), and its picture.
TEST_F(MainWindowTest, StartUpTreeHasItsNodesInOrder) {
    struct Node {
        const char* caption;
        const char* parent;  // "" at the top
        int id;
    };
    const Node expected[] = {
        {"All", "", kSuAll},
        {"Registry", "All", kSuRegistry},
        {"Run", "Registry", kSuRun},
        {"RunOnce", "Registry", kSuRunOnce},
        {"RunOnceEx", "Registry", kSuRunOnceEx},
        {"RunService", "Registry", kSuRunService},
        {"RunServiceOnce", "Registry", kSuRunServiceOnce},
        {"StartUp Files", "All", kSuStartUpFiles},
        {"Win.ini", "StartUp Files", kSuWinIni},
        {"System.ini", "StartUp Files", kSuSystemIni},
        {"Wininit.ini", "StartUp Files", kSuWininitIni},
        {"Winstart.bat", "StartUp Files", kSuWinstartBat},
        {"Autoexec.bat", "StartUp Files", kSuAutoexecBat},
        {"Config.sys", "StartUp Files", kSuConfigSys},
        {"Dosstart.bat", "StartUp Files", kSuDosstartBat},
        {"Autoexec.nt", "StartUp Files", kSuAutoexecNt},
        {"Config.nt", "StartUp Files", kSuConfigNt},
        {"Autostart", "All", kSuAutostart},
    };
    const ui::TreeView tree = Main().StartUpPage().tvSuSections;
    const std::vector<HTREEITEM> items = tree.Items();
    ASSERT_EQ(items.size(), std::size(expected));
    for (size_t i = 0; i < items.size(); ++i) {
        const HTREEITEM parent = TreeView_GetParent(tree.Handle(), items[i]);
        EXPECT_EQ(tree.Caption(items[i]), expected[i].caption) << i;
        EXPECT_EQ(parent ? tree.Caption(parent) : "", expected[i].parent) << expected[i].caption;
        EXPECT_EQ(tree.Data(items[i]), expected[i].id) << expected[i].caption;
    }
    // The three nodes with nodes below them show the expanded folder.
    for (HTREEITEM item : items)
        EXPECT_EQ(tree.Image(item) == kSuImageExpanded, TreeView_GetChild(tree.Handle(), item) != nullptr)
            << tree.Caption(item);
}

TEST_F(MainWindowTest, StartUpRefreshRules) {
    ScopedIniValue load(WindowsDirectory() + "\\win.ini", "windows", "load", "notepad.exe");
    ScopedIniValue run(WindowsDirectory() + "\\win.ini", "windows", "run", "");
    ui::ActionList& actions = Main().Actions();
    Main().StartUpPage().SelectSuSection(kSuWinIni);
    EXPECT_EQ(Main().StartUpPage().SuValuesPopup(), SuPopupMenu::ValueFiles);
    EXPECT_TRUE(actions.Enabled(aSuUpdate));
    EXPECT_FALSE(actions.Enabled(aSuAdd));
    EXPECT_TRUE(actions.Enabled(aSuEdit));  // the file exists
    EXPECT_FALSE(actions.Enabled(aSuInfo));  // no row selected
    EXPECT_TRUE(actions.Enabled(aReport));
    ASSERT_EQ(Main().StartUpPage().lvSuValues.Count(), 1);
    Main().StartUpPage().lvSuValues.Select(0);
    EXPECT_TRUE(actions.Enabled(aSuInfo));  // notepad can be described
    EXPECT_FALSE(actions.Enabled(aSuDelete));
    EXPECT_FALSE(actions.Enabled(aSuCheck));

    Main().StartUpPage().SelectSuSection(kSuDosstartBat);
    platform::files::DeleteFilePath(SectionFilePath(kSuDosstartBat));
    Main().RefreshView();
    EXPECT_FALSE(actions.Enabled(aSuEdit));
    EXPECT_FALSE(actions.Enabled(aReport));

    Main().StartUpPage().SelectSuSection(kSuAutostart);
    EXPECT_TRUE(actions.Enabled(aSuAdd));
    EXPECT_EQ(Main().StartUpPage().SuValuesPopup(), SuPopupMenu::ValueReg);
}

TEST(MainWindowStart, NothingSelectedDisablesTheStartUpCommands) {
    MainWindow main;  // never shown, so no node is selected
    main.RefreshView();
    for (int id : {aSuUpdate, aSuAdd, aSuDelete, aSuEdit, aSuInfo})
        EXPECT_FALSE(main.Actions().Enabled(id)) << id;
    EXPECT_FALSE(main.Actions().Enabled(aHsDelete));
}

TEST_F(MainWindowTest, RunKeyRowsCheckBoxesAndSectionIcons) {
    const std::string path = RunKeyPath("HKEY_CURRENT_USER", "RunServiceOnce");
    ScopedRegKeys keys;
    keys.Add(HKEY_CURRENT_USER, path);
    keys.Add(HKEY_CURRENT_USER, path + "-");
    SetRegString(HKEY_CURRENT_USER, path, "OrvW on", "C:\\missing.exe");
    SetRegString(HKEY_CURRENT_USER, path + "-", "OrvW off", "C:\\missing.exe");
    Main().StartUpPage().SelectSuSection(kSuRunServiceOnce);
    ui::ListView list = Main().StartUpPage().lvSuValues;
    EXPECT_TRUE(list.ShowsCheckBoxes());
    const int on = RowOf(list, "OrvW on"), off = RowOf(list, "OrvW off");
    ASSERT_GE(on, 0);
    ASSERT_GE(off, 0);
    EXPECT_TRUE(list.Checked(on));
    EXPECT_FALSE(list.Checked(off));
    EXPECT_EQ(list.Text(on, 2), "HKEY_CURRENT_USER");
    EXPECT_EQ(list.Text(on, 4), "N/A");
    list.Select(on);
    EXPECT_TRUE(Main().Actions().Enabled(aSuCheck));
    EXPECT_TRUE(Main().Actions().Enabled(aSuDelete));
    EXPECT_FALSE(Main().Actions().Enabled(aSuInfo));  // the file is missing
    HTREEITEM node = Main().StartUpPage().tvSuSections.ItemWithData(kSuRunServiceOnce);
    EXPECT_EQ(Main().StartUpPage().tvSuSections.Image(node), kSuImagePresent);

    // Switched-off entries do not show under "All"; the list has no check boxes.
    Main().StartUpPage().SelectSuSection(kSuAll);
    EXPECT_FALSE(Main().StartUpPage().lvSuValues.ShowsCheckBoxes());
    EXPECT_GE(RowOf(Main().StartUpPage().lvSuValues, "OrvW on"), 0);
    EXPECT_LT(RowOf(Main().StartUpPage().lvSuValues, "OrvW off"), 0);
}

TEST_F(MainWindowTest, RefreshRequestsInABatchRunOnceAtItsEnd) {
    const std::string path = RunKeyPath("HKEY_CURRENT_USER", "RunServiceOnce");
    ScopedRegKeys keys;
    keys.Add(HKEY_CURRENT_USER, path);
    SetRegString(HKEY_CURRENT_USER, path, "OrvB entry", "C:\\missing.exe");
    Main().StartUpPage().SelectSuSection(kSuRunServiceOnce);
    ui::ListView list = Main().StartUpPage().lvSuValues;
    const int row = RowOf(list, "OrvB entry");
    ASSERT_GE(row, 0);
    list.Select(row);
    ASSERT_TRUE(Main().Actions().Enabled(aSuDelete));
    {
        const RefreshBatch outer(Main());
        const RefreshBatch inner(Main());
        ListView_SetItemState(list.Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);  // asks for a refresh
        Main().RefreshView();
        EXPECT_TRUE(Main().Actions().Enabled(aSuDelete));  // held back while the batch lasts
    }
    EXPECT_FALSE(Main().Actions().Enabled(aSuDelete));  // run at its end: nothing is selected
}

TEST(ListRebuild, MarksOnlyItsOwnListAndNests) {
    const HWND first = CreateWindowExA(0, WC_LISTVIEWA, "", LVS_REPORT, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const HWND second = CreateWindowExA(0, WC_LISTVIEWA, "", LVS_REPORT, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(first && second);
    {
        const ui::ListRebuild outer(first);
        EXPECT_TRUE(ui::IsListRebuilding(first));
        EXPECT_FALSE(ui::IsListRebuilding(second));
        { const ui::ListRebuild inner(first); }
        EXPECT_TRUE(ui::IsListRebuilding(first));  // the outer guard still holds
    }
    EXPECT_FALSE(ui::IsListRebuilding(first));
    DestroyWindow(first);
    DestroyWindow(second);
}

TEST_F(MainWindowTest, GroupNodesShowTheirExpandedState) {
    HTREEITEM files = Main().StartUpPage().tvSuSections.ItemWithData(kSuStartUpFiles);
    EXPECT_EQ(Main().StartUpPage().tvSuSections.Image(files), kSuImageExpanded);
    // The user's keys collapse and expand the selected node.
    Main().StartUpPage().SelectSuSection(kSuStartUpFiles);
    SendMessageA(Main().StartUpPage().tvSuSections.Handle(), WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(Main().StartUpPage().tvSuSections.Image(files), kSuImagePresent);
    SendMessageA(Main().StartUpPage().tvSuSections.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(Main().StartUpPage().tvSuSections.Image(files), kSuImageExpanded);
}

TEST_F(MainWindowTest, ColumnSortingIsSharedAndSurvivesUpdate) {
    const std::string path = RunKeyPath("HKEY_CURRENT_USER", "RunOnce");
    ScopedRegKeys keys;
    keys.Add(HKEY_CURRENT_USER, path);
    SetRegString(HKEY_CURRENT_USER, path, "OrvS b", "C:\\2.exe");
    SetRegString(HKEY_CURRENT_USER, path, "OrvS a", "C:\\3.exe");
    SetRegString(HKEY_CURRENT_USER, path, "OrvS c", "C:\\1.exe");
    Main().StartUpPage().SelectSuSection(kSuRunOnce);
    auto ours = [&] {
        std::vector<std::string> names;
        for (const std::string& name : Column(Main().StartUpPage().lvSuValues, 0))
            if (name.rfind("OrvS ", 0) == 0) names.push_back(name);
        return names;
    };
    Main().SortListByColumn(Main().StartUpPage().lvSuValues.Handle(), 0);  // first click: descending
    EXPECT_EQ(ours(), (std::vector<std::string>{"OrvS c", "OrvS b", "OrvS a"}));
    const bool checkedAfterSort = Main().StartUpPage().lvSuValues.Checked(RowOf(Main().StartUpPage().lvSuValues, "OrvS a"));
    EXPECT_TRUE(checkedAfterSort);  // rows keep their check state
    // A click on another list flips the shared direction.
    Main().HistoryPage().lvHsValues.AddItem("x", -1, ui::MakeRowData(1, 0));
    Main().HistoryPage().lvHsValues.AddItem("y", -1, ui::MakeRowData(2, 0));
    Main().SortListByColumn(Main().HistoryPage().lvHsValues.Handle(), 0);
    EXPECT_EQ(Column(Main().HistoryPage().lvHsValues, 0), (std::vector<std::string>{"x", "y"}));
    // Update re-lists and sorts again with the stored state (ascending).
    Main().ExecuteAction(aSuUpdate);
    EXPECT_EQ(ours(), (std::vector<std::string>{"OrvS a", "OrvS b", "OrvS c"}));
    // Sorting by Location (column 1).
    Main().SortListByColumn(Main().StartUpPage().lvSuValues.Handle(), 1);
    EXPECT_EQ(ours(), (std::vector<std::string>{"OrvS a", "OrvS b", "OrvS c"}));  // descending by location
}

TEST_F(MainWindowTest, ShortcutsRunTheActionOfTheCurrentPage) {
    const std::string path = RunKeyPath("HKEY_CURRENT_USER", "Run");
    ScopedRegKeys keys;
    keys.Add(HKEY_CURRENT_USER, path);
    Main().StartUpPage().SelectSuSection(kSuRun);
    SetRegString(HKEY_CURRENT_USER, path, "OrvK new", "C:\\k.exe");
    EXPECT_LT(RowOf(Main().StartUpPage().lvSuValues, "OrvK new"), 0);
    EXPECT_TRUE(Main().ExecuteShortcut(VK_F5, 0));  // F5 is Update on the StartUp page
    EXPECT_GE(RowOf(Main().StartUpPage().lvSuValues, "OrvK new"), 0);
    Main().TitleButtonClick(kPageHistory);
    EXPECT_FALSE(Main().ExecuteShortcut(VK_F5, 0));  // the history Update is still disabled
}

TEST_F(MainWindowTest, SwitchingPagesTakesTheFocusAlongSoTypingStillAnswers) {
    // "Use Mask:" clicked on the History page, then the About page: a letter
    // typed there once left the window looping for the focus on a hidden page.
    Main().TitleButtonClick(kPageHistory);
    Main().HistoryPage().SelectHsSection(history::hsRunHistory);  // a section: the mask controls are enabled
    PumpMessages();
    SetActiveWindow(Main().Handle());
    PumpMessages();
    const HWND useMask = Main().HistoryPage().cbUseMask;
    SetFocus(useMask);
    SendMessageA(useMask, BM_CLICK, 0, 0);
    ASSERT_EQ(GetFocus(), useMask);

    Main().TitleButtonClick(kPageAbout);
    const HWND about = Main().tsPage(kPageAbout);
    const HWND focus = GetFocus();
    ASSERT_TRUE(focus == about || IsChild(about, focus));
    for (const UINT message : {WM_KEYDOWN, WM_CHAR, WM_KEYUP}) {
        MSG typed{GetFocus(), message, message == WM_CHAR ? WPARAM('a') : WPARAM('A'), 1, 0, {}};
        if (!Main().PreTranslateMessage(typed)) {
            TranslateMessage(&typed);
            DispatchMessageA(&typed);
        }
    }
    PumpMessages();

    // Back on a page with a tree, the tree has the focus, not the hidden About page.
    Main().TitleButtonClick(kPageHistory);
    EXPECT_EQ(GetFocus(), Main().HistoryPage().tvHsSections.Handle());
    SendMessageA(useMask, BM_CLICK, 0, 0);  // "Use Mask:" back as it was
}

TEST_F(MainWindowTest, MaskControlsFollowTheSwitch) {
    Main().HistoryPage().SetMaskControls(false);
    EXPECT_FALSE(IsWindowEnabled(Main().HistoryPage().cbUseMask));
    EXPECT_FALSE(IsWindowEnabled(Main().HistoryPage().edtMask));
    Main().HistoryPage().SetMaskControls(true);
    EXPECT_TRUE(IsWindowEnabled(Main().HistoryPage().cbUseMask));
    EXPECT_FALSE(IsWindowEnabled(Main().HistoryPage().edtMask));  // "Use Mask:" is not ticked
    SendMessageA(Main().HistoryPage().cbUseMask, BM_SETCHECK, BST_CHECKED, 0);
    Main().HistoryPage().SetMaskControls(true);
    EXPECT_TRUE(IsWindowEnabled(Main().HistoryPage().edtMask));
    EXPECT_TRUE(IsWindowEnabled(Main().HistoryPage().cbWholeWord));
}

TEST_F(MainWindowTest, SortingKeepsRowsWhoseDataRepeats) {
    // Rows of the result lists may repeat texts and serials: every row stays,
    // with its own texts, and the rows come out in order.
    ui::ListView list = Main().RegistryPage().lvRgValues;
    const char* const rows[][2] = {{"b", "2"}, {"a", "1"}, {"b", "1"}, {"c", ""}, {"a", "1"}};
    for (const auto& row : rows) {
        const int index = list.AddItem(row[0], -1, ui::MakeRowData(7, 1));  // the same data for all
        list.SetText(index, 1, row[1]);
    }
    list.SetChecked(1, true);
    Main().SortListByColumn(list.Handle(), 1);
    if (!Main().ListSortState().descending) Main().SortListByColumn(list.Handle(), 1);
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"2", "1", "1", "1", " "}));
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"b", "a", "b", "a", "c"}));  // stable
    EXPECT_TRUE(list.Checked(1));  // the tick travelled with its row ("a", "1", first of its kind)
    EXPECT_FALSE(list.Checked(3));
    for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Data(i), ui::MakeRowData(7, 1));
    list.Clear();
}

namespace {

// The control's place in its parent's client pixels.
RECT PlaceIn(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ResizeClientBy(HWND frame, int dx, int dy) {
    RECT rect{};
    GetWindowRect(frame, &rect);
    SetWindowPos(frame, nullptr, 0, 0, rect.right - rect.left + dx, rect.bottom - rect.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

// A larger window: the trees keep their width and take the height, the lists
// and their fill columns take the rest, the vendor line stays at the bottom,
// the History page's Stop button at the right; a smaller one comes back
// to the default layout exactly.
TEST_F(MainWindowTest, ResizingLaysOutTreeSplitterAndList) {
    StartUpPageWindow& page = Main().StartUpPage();
    const int location = page.lvSuValues.ColumnWidth(1);
    const RECT stop = PlaceIn(Main().HistoryPage().btnHsStop);
    ResizeClientBy(Main().Handle(), 200, 100);
    RECT client{};
    GetClientRect(Main().Handle(), &client);
    ASSERT_EQ(client.right, 994);
    ASSERT_EQ(client.bottom, 668);
    for (PageWindow* shown : {static_cast<PageWindow*>(&page), static_cast<PageWindow*>(&Main().RegistryPage()),
                             static_cast<PageWindow*>(&Main().HistoryPage())}) {
        const RECT tree = PlaceIn(shown->SectionTree().Handle());
        EXPECT_EQ(tree.right - tree.left, shown == &Main().HistoryPage() ? 275 : 269);
        EXPECT_EQ(tree.bottom, 668 - 68 - 17);
        const RECT splitter = PlaceIn(shown->SectionSplitter()->Handle());
        EXPECT_EQ((splitter.left + splitter.right) / 2, tree.right);
        EXPECT_EQ(splitter.bottom, tree.bottom);
    }
    const RECT list = PlaceIn(page.lvSuValues.Handle());
    EXPECT_EQ(list.left, 269);
    EXPECT_EQ(list.right, 994);
    EXPECT_EQ(list.bottom, 668 - 68 - 17);
    EXPECT_EQ(page.lvSuValues.ColumnWidth(1), location + 200);
    EXPECT_EQ(page.lvSuValues.ColumnWidth(0), 125);
    EXPECT_EQ(PlaceIn(Main().lblVendor).top, 668 - 17);
    EXPECT_EQ(PlaceIn(Main().lblVendor).right, 994);
    EXPECT_EQ(PlaceIn(Main().pTitle().Handle()).right, 994);
    EXPECT_EQ(PlaceIn(Main().HistoryPage().btnHsStop).left, stop.left + 200);

    ResizeClientBy(Main().Handle(), -200, -100);
    EXPECT_EQ(PlaceIn(page.lvSuValues.Handle()).right, 794);
    EXPECT_EQ(page.lvSuValues.ColumnWidth(1), location);
    EXPECT_EQ(PlaceIn(Main().HistoryPage().btnHsStop).left, stop.left);
}

// Dragging the splitter widens the tree and narrows the list (each kept
// readable); maximised, the list reaches the right edge and the tree keeps
// the width dragged.
TEST_F(MainWindowTest, SplitterAndMaximise) {
    StartUpPageWindow& page = Main().StartUpPage();
    ui::Splitter& splitter = *page.SectionSplitter();
    const struct {
        int dragTo;
        int treeWidth;
    } drags[] = {{369, 369}, {10, 120}, {5000, 794 - 120}, {300, 300}};
    for (const auto& d : drags) {
        splitter.Press(ui::Splitter::kWidth / 2);
        splitter.DragTo(d.dragTo);
        splitter.Release();
        EXPECT_EQ(PlaceIn(page.tvSuSections.Handle()).right, d.treeWidth) << d.dragTo;
        EXPECT_EQ(PlaceIn(page.lvSuValues.Handle()).left, d.treeWidth) << d.dragTo;
        EXPECT_EQ(PlaceIn(page.lvSuValues.Handle()).right, 794) << d.dragTo;
    }
    // The mouse's way: pressed on the strip, moved, let go.
    const RECT strip = PlaceIn(splitter.Handle());
    SendMessageA(splitter.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 10));
    SendMessageA(splitter.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(3 + 50, 10));
    SendMessageA(splitter.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3 + 50, 10));
    EXPECT_EQ(PlaceIn(page.tvSuSections.Handle()).right, 350);
    EXPECT_EQ(PlaceIn(splitter.Handle()).left, strip.left + 50);
    // Other pages keep their own splitter.
    EXPECT_EQ(PlaceIn(Main().RegistryPage().tvRgSections.Handle()).right, 269);

    ShowWindow(Main().Handle(), SW_MAXIMIZE);
    RECT client{};
    GetClientRect(Main().Handle(), &client);
    EXPECT_GT(client.right, 794);
    EXPECT_EQ(PlaceIn(page.lvSuValues.Handle()).right, client.right);
    EXPECT_EQ(PlaceIn(page.tvSuSections.Handle()).right, 350);
    ShowWindow(Main().Handle(), SW_RESTORE);
    GetClientRect(Main().Handle(), &client);
    EXPECT_EQ(client.right, 794);
    EXPECT_EQ(PlaceIn(page.lvSuValues.Handle()).right, 794);
}

// On a work area smaller than the scaled window (a large DPI on a small
// screen) the window opens inside it, and that is its smallest size.
TEST_F(MainWindowTest, ALargeDpiOnASmallScreenStaysInsideTheWorkArea) {
    RECT saved{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &saved, 0));
    RECT small{0, 0, 1024, 700};
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &small, 0));
    Main().ApplyDpi(144, nullptr);
    RECT frame{};
    GetWindowRect(Main().Handle(), &frame);
    const SIZE minimum = Main().MinimumFrameSize();
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved, 0);
    EXPECT_GE(frame.left, 0);
    EXPECT_GE(frame.top, 0);
    EXPECT_LE(frame.right, 1024);
    EXPECT_LE(frame.bottom, 700);
    EXPECT_EQ(minimum.cx, frame.right - frame.left);
    EXPECT_EQ(minimum.cy, frame.bottom - frame.top);
    // The list still ends at the window's right edge.
    RECT client{};
    GetClientRect(Main().Handle(), &client);
    EXPECT_EQ(PlaceIn(Main().StartUpPage().lvSuValues.Handle()).right, client.right);
}

TEST_F(MainWindowTest, TheWindowScalesWithTheDisplay) {
    // The 96-DPI sizes are exact; at 144 DPI everything is one and a half times as large.
    const std::string path = RunKeyPath("HKEY_CURRENT_USER", "Run");
    ScopedRegKeys keys;
    keys.Add(HKEY_CURRENT_USER, path);
    SetRegString(HKEY_CURRENT_USER, path, "OrvP notepad", "C:\\windows\\notepad.exe");
    Main().ExecuteAction(aSuUpdate);
    Main().ApplyDpi(144, nullptr);
    RECT client{};
    GetClientRect(Main().Handle(), &client);
    EXPECT_EQ(client.right, 1191);
    EXPECT_EQ(client.bottom, 852);
    RECT tree{};
    GetWindowRect(Main().StartUpPage().tvSuSections.Handle(), &tree);
    EXPECT_EQ(tree.right - tree.left, 404);  // 269 * 1.5, rounded half up
    EXPECT_EQ(Main().StartUpPage().lvSuValues.ColumnWidth(0), 188);
    EXPECT_EQ(Main().StartUpPage().lvSuValues.ColumnWidth(2), 204);
    EXPECT_EQ(Main().pTitle().ButtonRect(kPageRegistry).left, 587);
    int width = 0, height = 0;
    ImageList_GetIconSize(Main().ToolBarImages(), &width, &height);
    EXPECT_EQ(width, 48);
    LOGFONTA font{};
    GetObjectA(Main().Font(), sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -16);  // 8 points at 144 DPI
    // The rows stay; their icons are made again at the new size.
    const int rows = Main().StartUpPage().lvSuValues.Count();
    EXPECT_GT(rows, 0);
    HIMAGELIST icons = ListView_GetImageList(Main().StartUpPage().lvSuValues.Handle(), LVSIL_SMALL);
    ImageList_GetIconSize(icons, &width, &height);
    EXPECT_EQ(width, 24);
    // And back: the 96-DPI layout is exact again.
    Main().ApplyDpi(96, nullptr);
    GetClientRect(Main().Handle(), &client);
    EXPECT_EQ(client.right, 794);
    EXPECT_EQ(client.bottom, 568);
    EXPECT_EQ(Main().StartUpPage().lvSuValues.ColumnWidth(0), 125);
    EXPECT_EQ(Main().StartUpPage().lvSuValues.Count(), rows);
}

}  // namespace
