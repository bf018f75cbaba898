// Whole values in the lists: the tool tip of a cut cell (asked directly and
// through the pointer), the header's sort arrow following the rows, and the
// selection shown by lists without the focus.
#include "gui/HistoryPage.h"
#include "gui/MainWindow.h"
#include "gui/RegistryPage.h"
#include "gui/StartUpPage.h"
#include "gui/backup/BackupDialog.h"
#include "gui/startup/ProgramInfoDialog.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "startup/StartUpFunctions.h"
#include "ui/CellTips.h"
#include "ui/RowData.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace gui;
using namespace testing_support;

namespace {

const std::string kLongLocation =
    "C:\\Program Files\\Orvelin Whole Values\\a folder named at some length\\and another below it\\tool.exe /quiet";
const std::string kShortLocation = "C:\\w.exe";
const std::string kLongName = "OrvW a value whose name is far wider than the Name column of the StartUp list";

int StringWidth(HWND list, const std::string& text) {
    return ListView_GetStringWidth(list, text.c_str());
}

// The column's header arrow: 'u' up, 'd' down, ' ' none.
char ArrowOf(HWND list, int column) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    EXPECT_TRUE(Header_GetItem(ListView_GetHeader(list), column, &item));
    if ((item.fmt & HDF_SORTUP) && (item.fmt & HDF_SORTDOWN)) return '!';
    return (item.fmt & HDF_SORTUP) ? 'u' : (item.fmt & HDF_SORTDOWN) ? 'd' : ' ';
}
std::string Arrows(HWND list) {
    std::string arrows;
    for (int column = 0; column < Header_GetItemCount(ListView_GetHeader(list)); ++column)
        arrows += ArrowOf(list, column);
    return arrows;
}

// The pointer moved onto the middle of a cell, as the system hands it to
// the list.
void MoveOnto(HWND list, int row, int column) {
    RECT cell{};
    if (column == 0) {
        ASSERT_TRUE(ListView_GetItemRect(list, row, &cell, LVIR_LABEL));
    } else {
        ASSERT_TRUE(ListView_GetSubItemRect(list, row, column, LVIR_BOUNDS, &cell));
    }
    const POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    SendMessageA(list, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
}

// The pointer itself put on the cell and moved a little, as a hand does:
// true once the list's tip shows.
bool RestPointerOn(HWND list, int row, int column) {
    RECT cell{};
    if (column == 0 ? !ListView_GetItemRect(list, row, &cell, LVIR_LABEL)
                    : !ListView_GetSubItemRect(list, row, column, LVIR_BOUNDS, &cell))
        return false;
    POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(list, &at);
    if (!SetCursorPos(at.x, at.y)) return false;
    SetCursorPos(at.x + 1, at.y);
    const HWND tip = ui::CellTipWindow(list);
    return tip && PumpUntil([&] { return IsWindowVisible(tip) != FALSE; });
}

class WholeValuesTest : public FrameTest {
protected:
    void SetUp() override {
        DeleteUserRunKeys({"RunOnce"});
        const std::string path = startup::RunKeyPath("HKEY_CURRENT_USER", "RunOnce");
        SetRegString(HKEY_CURRENT_USER, path, "OrvW long", kLongLocation);
        SetRegString(HKEY_CURRENT_USER, path, "OrvW short", kShortLocation);
        SetRegString(HKEY_CURRENT_USER, path, kLongName, kShortLocation);
        FrameTest::SetUp();
        Main().StartUpPage().SelectSuSection(startup::kSuRunOnce);
        PumpMessages();
    }
    void TearDown() override {
        FrameTest::TearDown();
        DeleteUserRunKeys({"RunOnce"});
    }
    ui::ListView& List() { return Main().StartUpPage().lvSuValues; }
    int Row(const std::string& name) {
        const int row = RowOf(List(), name);
        EXPECT_GE(row, 0) << name;
        return row;
    }
};

TEST_F(WholeValuesTest, CutCellsGiveTheirWholeTextAndCellsThatFitNone) {
    const HWND list = List().Handle();
    ASSERT_LT(List().ColumnWidth(1), StringWidth(list, kLongLocation));  // the default layout cuts it
    const struct {
        const char* name;
        int column;
        std::string whole;  // "" when the cell shows whole
    } cells[] = {
        {"OrvW long", 1, kLongLocation},
        {"OrvW short", 1, ""},
        {"OrvW short", 0, ""},
        {kLongName.c_str(), 0, kLongName},  // the first column, beside its tick and picture
        {kLongName.c_str(), 1, ""},
    };
    for (const auto& cell : cells) {
        SCOPED_TRACE(std::string(cell.name) + " column " + std::to_string(cell.column));
        EXPECT_EQ(ui::CutCellText(list, Row(cell.name), cell.column), cell.whole);
    }
    // Cells that are not there have nothing to show.
    const int rows = List().Count(), columns = List().ColumnCount();
    for (const auto& [row, column] : {std::pair{-1, 0}, {rows, 0}, {0, -1}, {0, columns}})
        EXPECT_EQ(ui::CutCellText(list, row, column), "") << row << ", " << column;
}

TEST_F(WholeValuesTest, AColumnJustWideEnoughShowsWholeAndOneNarrowerCuts) {
    const HWND list = List().Handle();
    const int row = Row("OrvW short");
    const std::string location = "C:\\Program Files\\Orvelin\\tool.exe";
    List().SetText(row, 1, location);
    const int text = StringWidth(list, location);
    List().SetColumnWidth(1, text + 40);
    EXPECT_EQ(ui::CutCellText(list, row, 1), "");
    List().SetColumnWidth(1, text);  // no room left for the list's margins
    EXPECT_EQ(ui::CutCellText(list, row, 1), location);
    // Scrolled so that the cell's start is out of sight, it is cut again.
    List().SetColumnWidth(1, text + 40);
    List().SetColumnWidth(2, 2000);
    ListView_Scroll(list, List().ColumnWidth(0) + 35, 0);
    EXPECT_EQ(ui::CutCellText(list, row, 1), location);
    ListView_Scroll(list, -10000, 0);
    EXPECT_EQ(ui::CutCellText(list, row, 1), "");
}

TEST_F(WholeValuesTest, ThePointerOnACutCellGivesTheTipItsWholeText) {
    const HWND list = List().Handle();
    MoveOnto(list, Row("OrvW long"), 1);
    EXPECT_EQ(ui::CellTipText(list), kLongLocation);
    MoveOnto(list, Row("OrvW short"), 1);
    EXPECT_EQ(ui::CellTipText(list), "");
    MoveOnto(list, Row(kLongName), 0);
    EXPECT_EQ(ui::CellTipText(list), kLongName);
    // A change to the rows drops the tip until the pointer moves again.
    Main().ExecuteAction(aSuUpdate);
    EXPECT_EQ(ui::CellTipText(list), "");
    MoveOnto(list, Row("OrvW long"), 1);
    EXPECT_EQ(ui::CellTipText(list), kLongLocation);
}

// The pointer itself, put on the cell and left there: the tip shows after
// the system's wait, with the whole text, and goes when the pointer leaves.
TEST_F(WholeValuesTest, RestingThePointerOnACutCellShowsTheTip) {
    const HWND list = List().Handle();
    const HWND tip = ui::CellTipWindow(list);
    ASSERT_NE(tip, nullptr);
    SetForegroundWindow(Main().Handle());
    RECT cell{};
    ASSERT_TRUE(ListView_GetSubItemRect(list, Row("OrvW long"), 1, LVIR_BOUNDS, &cell));
    POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(list, &at);
    ASSERT_TRUE(SetCursorPos(at.x, at.y));
    SetCursorPos(at.x + 1, at.y);  // a move within the cell, as a hand makes
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }));
    std::vector<wchar_t> text(1100);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.lpszText = text.data();
    ASSERT_TRUE(SendMessageW(tip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(tool.hwnd, list);
    EXPECT_EQ(platform::text::Narrow(text.data()), kLongLocation);
    RECT listRect{};
    GetWindowRect(list, &listRect);
    SetCursorPos(listRect.left - 40, listRect.top - 40);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(tip) == FALSE; }));
}

// The tip is topmost: a page switched away (its list hidden without a word
// to the list) or the focus leaving the list takes it down at once rather
// than at the tip's own timeout.
TEST_F(WholeValuesTest, AShowingTipGoesWithItsPageOrTheListsFocus) {
    const HWND list = List().Handle();
    const HWND tip = ui::CellTipWindow(list);
    ASSERT_NE(tip, nullptr);
    SetForegroundWindow(Main().Handle());
    const HWND tree = Main().StartUpPage().tvSuSections.Handle();
    const struct {
        const char* how;
        HWND focus;  // before the tip shows: with the tree, only the page's going can take the tip down
        std::function<void()> leave;
    } ways[] = {
        {"another page", tree, [&] { Main().TitleButtonClick(kPageRegistry); }},
        {"the focus elsewhere", list, [&] { SetFocus(tree); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        Main().TitleButtonClick(kPageStartUp);
        SetFocus(way.focus);
        PumpMessages();
        ASSERT_TRUE(RestPointerOn(list, Row("OrvW long"), 1));
        way.leave();
        EXPECT_FALSE(IsWindowVisible(tip));
        // Put aside, so the next way starts from a tip that shows anew.
        RECT listRect{};
        GetWindowRect(list, &listRect);
        SetCursorPos(listRect.left - 40, listRect.top - 40);
        PumpUntil([&] { return IsWindowVisible(tip) == FALSE; });
    }
}

// A tip goes with its row: rows deleted under a resting pointer (a scan or
// a listing emptying the list, one row taken out) take it down at once,
// before the pointer moves again.
TEST_F(WholeValuesTest, AShowingTipGoesWithItsRow) {
    const HWND list = List().Handle();
    const HWND tip = ui::CellTipWindow(list);
    ASSERT_NE(tip, nullptr);
    SetForegroundWindow(Main().Handle());
    SetFocus(list);
    const struct {
        const char* how;
        std::function<void()> change;
    } ways[] = {
        {"the list emptied", [&] {
             const ui::ListRebuild rebuild(list);
             List().Clear();
         }},
        {"its row deleted", [&] { ListView_DeleteItem(list, Row("OrvW long")); }},
        {"listed anew", [&] { Main().ExecuteAction(aSuUpdate); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        Main().ExecuteAction(aSuUpdate);
        ASSERT_TRUE(RestPointerOn(list, Row("OrvW long"), 1));
        way.change();
        EXPECT_FALSE(IsWindowVisible(tip));
        PumpMessages();
        EXPECT_FALSE(IsWindowVisible(tip));
        RECT listRect{};
        GetWindowRect(list, &listRect);
        SetCursorPos(listRect.left - 40, listRect.top - 40);
        PumpUntil([&] { return IsWindowVisible(tip) == FALSE; });
    }
}

TEST_F(WholeValuesTest, ALongRegistryPathIsTippedAndItsShortNeighbourIsNot) {
    Main().TitleButtonClick(kPageRegistry);
    PumpMessages();
    RegistryPageWindow& page = Main().RegistryPage();
    const std::string longPath =
        "HKEY_CLASSES_ROOT\\CLSID\\{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}\\InprocServer32|a value";
    page.Nut().RecordProblem(1, longPath, "f.dll", "g");
    page.Nut().RecordProblem(1, "HKCR\\a", "f.dll", "g");
    page.Nut().SetState(1, registry_scan::ssScanned);
    page.ShowScanResults(0);
    const HWND list = page.lvRgValues.Handle();
    int longRow = -1, shortRow = -1;
    for (int row = 0; row < page.lvRgValues.Count(); ++row) {
        if (page.lvRgValues.Text(row, 1) == longPath) longRow = row;
        if (page.lvRgValues.Text(row, 1) == "HKCR\\a") shortRow = row;
    }
    ASSERT_GE(longRow, 0);
    ASSERT_GE(shortRow, 0);
    EXPECT_EQ(ui::CutCellText(list, longRow, 1), longPath);
    EXPECT_EQ(ui::CutCellText(list, shortRow, 1), "");
    MoveOnto(list, longRow, 1);
    EXPECT_EQ(ui::CellTipText(list), longPath);
}

// The first click sorts descending (the shared switch starts there), the
// next ascending; the arrow says which, on the sorted column alone.
TEST_F(WholeValuesTest, TheSortArrowFollowsTheSortAndGoesWhenTheRowsAreListedAnew) {
    const HWND list = List().Handle();
    EXPECT_EQ(Arrows(list), std::string(List().ColumnCount(), ' '));
    auto namesDescend = [&] {
        std::vector<std::string> names;
        for (int row = 0; row < List().Count(); ++row)
            if (List().Text(row, 0).rfind("OrvW ", 0) == 0) names.push_back(List().Text(row, 0));
        return names.front() > names.back();
    };
    const struct {
        int column;
        std::string arrows;
    } clicks[] = {{0, "d    "}, {0, "u    "}, {1, " d   "}, {3, "   u "}};
    ASSERT_EQ(List().ColumnCount(), 5);
    for (const auto& click : clicks) {
        Main().SortListByColumn(list, click.column);
        EXPECT_EQ(Arrows(list), click.arrows) << "column " << click.column;
        if (click.column == 0) {
            EXPECT_EQ(namesDescend(), click.arrows[0] == 'd');
        }
    }
    // Update lists again and sorts again: the arrow stays as the rows do.
    Main().SortListByColumn(list, 0);
    EXPECT_EQ(Arrows(list), "d    ");
    Main().ExecuteAction(aSuUpdate);
    EXPECT_EQ(Arrows(list), "d    ");
    EXPECT_TRUE(namesDescend());
    // Another section listed comes in the sources' order: no arrow.
    Main().StartUpPage().SelectSuSection(startup::kSuRun);
    EXPECT_EQ(Arrows(list), "     ");
    // A sort of another list leaves this one's arrow alone.
    Main().StartUpPage().SelectSuSection(startup::kSuRunOnce);
    Main().SortListByColumn(list, 1);
    HistoryPageWindow& history = Main().HistoryPage();
    history.lvHsValues.AddItem("x", -1, ui::MakeRowData(1, 0));
    history.lvHsValues.AddItem("y", -1, ui::MakeRowData(2, 0));
    const std::string before = Arrows(list);
    Main().SortListByColumn(history.lvHsValues.Handle(), 0);
    EXPECT_EQ(Arrows(history.lvHsValues.Handle()).substr(0, 1), before[1] == 'd' ? "u" : "d");
    EXPECT_EQ(Arrows(list), before);
}

TEST_F(WholeValuesTest, EveryListShowsItsSelectionWithoutTheFocus) {
    FileVersionInfo info;
    ProgramInfoDialog programInfo(info, [] {});
    BackupDialog backup;
    ScopedFolder folder("WholeValuesLists");
    std::vector<std::pair<std::string, HWND>> lists = {
        {"StartUp", Main().StartUpPage().lvSuValues.Handle()},
        {"Registry", Main().RegistryPage().lvRgValues.Handle()},
        {"History", Main().HistoryPage().lvHsValues.Handle()},
    };
    {
        ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
            if (&dialog == &programInfo) {
                lists.push_back({"Info file", programInfo.lvFileinfo.Handle()});
                lists.push_back({"Info modules", programInfo.lvModules.Handle()});
            } else if (&dialog == &backup) {
                lists.push_back({"BackUp points", backup.lvBackupPoints.Handle()});
            }
            return IDCANCEL;
        });
        programInfo.ShowFor(Main().Handle(), kShortLocation, "Yes");
        backup.ShowFor(Main().Handle(), folder.Path() + "\\Backup\\");
    }
    ASSERT_EQ(lists.size(), 6u);
    for (const auto& [name, list] : lists) {
        ASSERT_NE(list, nullptr) << name;
        EXPECT_NE(GetWindowLongA(list, GWL_STYLE) & LVS_SHOWSELALWAYS, 0) << name;
    }
}

// The tip window lives as long as its list, whichever goes first: the list
// alone or the window it is in (which takes the tip down before its children).
TEST(CellTips, TheTipGoesWithTheListOrItsWindow) {
    for (bool windowFirst : {false, true}) {
        SCOPED_TRACE(windowFirst ? "window first" : "list first");
        const HWND top = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                         GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(top, nullptr);
        const HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 200, 100, top, nullptr,
                                          GetModuleHandleA(nullptr), nullptr);
        ui::AttachCellTips(list);
        ui::AttachCellTips(list);  // once is enough: the second does nothing
        const HWND tip = ui::CellTipWindow(list);
        ASSERT_NE(tip, nullptr);
        if (!windowFirst) {
            DestroyWindow(list);
            EXPECT_FALSE(IsWindow(tip));
        }
        DestroyWindow(top);
        EXPECT_FALSE(IsWindow(tip));
        EXPECT_FALSE(IsWindow(list));
    }
}

TEST(WholeValuesDialogs, TheBackupDialogTipsAPointNameTooLongForItsList) {
    ScopedFolder folder("WholeValuesBackup");
    const std::string backup = folder.Path() + "\\Backup\\";
    const std::string longName =
        "2026.01.02  9.05 kept before the move of every program of the office to the new machine upstairs";
    ASSERT_TRUE(platform::files::CreateFolderPath(backup + longName));
    ASSERT_TRUE(platform::files::CreateFolderPath(backup + "2026.01.03 10.00"));
    BackupDialog dialog;
    std::string cutLong = "?", cutShort = "?", tipped = "?";
    ScopedDialogAnswers answers([&](ui::ModalDialog&) {
        dialog.ShowPage(BackupDialog::kRestorePage);
        const HWND list = dialog.lvBackupPoints.Handle();
        const int longRow = RowOf(dialog.lvBackupPoints, longName);
        const int shortRow = RowOf(dialog.lvBackupPoints, "2026.01.03 10.00");
        cutLong = ui::CutCellText(list, longRow, 0);
        cutShort = ui::CutCellText(list, shortRow, 0);
        MoveOnto(list, longRow, 0);
        tipped = ui::CellTipText(list);
        return IDCANCEL;
    });
    dialog.ShowFor(nullptr, backup);
    EXPECT_EQ(cutLong, longName);
    EXPECT_EQ(cutShort, "");
    EXPECT_EQ(tipped, longName);
}

// A tip showing over a dialog's list goes when the dialog ends (by Esc or a
// button), not at the tip's own timeout over whatever the dialog uncovers.
TEST(WholeValuesDialogs, TheBackupDialogsTipGoesWhenTheDialogEnds) {
    ScopedFolder folder("WholeValuesBackupTip");
    const std::string backup = folder.Path() + "\\Backup\\";
    const std::string longName =
        "2026.01.02  9.05 kept before the move of every program of the office to the new machine upstairs";
    ASSERT_TRUE(platform::files::CreateFolderPath(backup + longName));
    BackupDialog dialog;
    HWND tip = nullptr;
    bool shown = false;
    ScopedDialogAnswers answers([&](ui::ModalDialog&) {
        dialog.ShowPage(BackupDialog::kRestorePage);
        ShowWindow(dialog.Handle(), SW_SHOW);
        SetForegroundWindow(dialog.Handle());
        PumpMessages();
        const HWND list = dialog.lvBackupPoints.Handle();
        tip = ui::CellTipWindow(list);
        shown = RestPointerOn(list, RowOf(dialog.lvBackupPoints, longName), 0);
        return IDCANCEL;  // as Esc ends it
    });
    dialog.ShowFor(nullptr, backup);
    ASSERT_TRUE(shown);
    EXPECT_FALSE(IsWindowVisible(tip));
    ShowWindow(dialog.Handle(), SW_HIDE);
}

}  // namespace
