// What the main window remembers between runs: the settings file read and
// written, a place off every monitor brought back, and a new window put back
// as the last one was left.
#include "EngineTestSupport.h"
#include "TestSupport.h"
#include "platform/Files.h"
#include "gui/MainWindow.h"
#include "gui/RegistryPage.h"
#include "gui/StartUpPage.h"
#include "gui/WindowMemory.h"
#include "ui/ScreenPlacement.h"

#include <gtest/gtest.h>

using namespace gui;
using namespace testing_support;

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ScreenPlacement, APlaceNoMonitorShowsComesBackOntoThePrimaryWorkArea) {
    const std::vector<RECT> monitors = {{0, 0, 1280, 984}, {1280, 0, 2560, 1024}};
    const struct {
        RECT saved;
        RECT expected;
    } cases[] = {
        {{100, 100, 900, 700}, {100, 100, 900, 700}},            // on the primary
        {{1500, 50, 2300, 650}, {1500, 50, 2300, 650}},          // on the second monitor
        {{-700, 10, 100, 610}, {-700, 10, 100, 610}},            // 100 pixels of caption still show
        {{3000, 100, 3800, 700}, {240, 192, 1040, 792}},         // the monitor it was on is gone
        {{100, -500, 900, 100}, {240, 192, 1040, 792}},          // caption above every screen
        {{-3000, -3000, -1000, 0}, {0, 0, 1280, 984}},           // larger than the primary: cut to it
    };
    for (const auto& c : cases)
        EXPECT_TRUE(SameRect(ui::PlaceOnWorkArea(c.saved, monitors), c.expected))
            << c.saved.left << "," << c.saved.top;
}

TEST(WindowMemory, ReadsBackWhatItWroteAndDefaultsWhatIsMalformed) {
    ScopedFolder folder("window memory");
    const std::string file = folder.Path() + "\\Orvelin\\Settings.ini";  // a folder still to be made
    RememberedWindow saved;
    saved.found = true;
    saved.normal = {10, 20, 900, 700};
    saved.dpi = 144;
    saved.maximised = true;
    saved.page = kPageHistory;
    saved.splits = {40, -20, 0, 0};
    saved.columnWidths[kPageStartUp] = {125, 0, 136, 95, 80};
    saved.sort = {2, true, true};
    ASSERT_TRUE(WriteRememberedWindow(file, saved));
    const RememberedWindow read = ReadRememberedWindow(file);
    EXPECT_TRUE(read.found);
    EXPECT_TRUE(SameRect(read.normal, saved.normal));
    EXPECT_EQ(read.dpi, 144);
    EXPECT_TRUE(read.maximised);
    EXPECT_EQ(read.page, kPageHistory);
    EXPECT_EQ(read.splits, saved.splits);
    EXPECT_EQ(read.columnWidths[kPageStartUp], saved.columnWidths[kPageStartUp]);
    EXPECT_TRUE(read.columnWidths[kPageRegistry].empty());
    EXPECT_EQ(read.sort.column, 2);
    EXPECT_TRUE(read.sort.descending && read.sort.sortedOnce);

    // Hand-edited or damaged values fall back to the defaults, one by one.
    const struct {
        const char *section, *key, *value;
    } damage[] = {{"Window", "Right", "wide"}, {"Window", "Page", "7"},         {"Window", "Maximized", "2"},
                  {"Window", "Dpi", "-1"},     {"Columns", "StartUp", "125,,9"}, {"Columns", "SortColumn", "x"}};
    for (const auto& d : damage) ASSERT_TRUE(platform::files::WriteIniString(file, d.section, d.key, d.value));
    const RememberedWindow damaged = ReadRememberedWindow(file);
    EXPECT_FALSE(damaged.found);
    EXPECT_EQ(damaged.page, kPageStartUp);
    EXPECT_FALSE(damaged.maximised);
    EXPECT_EQ(damaged.dpi, 96);
    EXPECT_TRUE(damaged.columnWidths[kPageStartUp].empty());
    EXPECT_EQ(damaged.sort.column, 0);
    EXPECT_EQ(damaged.splits, saved.splits);  // untouched values stay
    EXPECT_FALSE(ReadRememberedWindow(folder.Path() + "\\none.ini").found);
}

using WindowMemoryFrameTest = FrameTest;

TEST_F(WindowMemoryFrameTest, ANewWindowOpensAsTheLastOneWasLeft) {
    ScopedFolder folder("window memory frame");
    const std::string file = folder.Path() + "\\Settings.ini";
    EXPECT_EQ(Main().UseRememberedState(file, SW_SHOWNORMAL), SW_SHOWNORMAL);  // nothing remembered yet

    SetWindowPos(Main().Handle(), nullptr, 40, 30, Main().MinimumFrameSize().cx + 120,
                 Main().MinimumFrameSize().cy + 60, SWP_NOZORDER);
    PumpMessages();
    Main().Page(kPageRegistry).MoveSplitTo(50);
    Main().StartUpPage().lvSuValues.SetColumnWidth(0, 170);
    Main().TitleButtonClick(kPageRegistry);
    Main().SortListByColumn(Main().StartUpPage().lvSuValues.Handle(), 2);
    RECT left{};
    GetWindowRect(Main().Handle(), &left);
    ShowWindow(Main().Handle(), SW_MAXIMIZE);
    PumpMessages();
    Main().SaveRememberedState();

    window_.reset();
    window_ = std::make_unique<MainWindow>();
    EXPECT_EQ(Main().UseRememberedState(file, SW_SHOWNORMAL), SW_SHOWMAXIMIZED);
    RECT restored{};
    GetWindowRect(Main().Handle(), &restored);
    EXPECT_TRUE(SameRect(restored, left)) << restored.left << "," << restored.top << "," << restored.right;
    EXPECT_EQ(Main().Layout().Split(kPageRegistry), 50);
    EXPECT_EQ(Main().StartUpPage().lvSuValues.ColumnWidth(0), 170);
    EXPECT_EQ(Main().ListSortState().column, 2);
    EXPECT_TRUE(Main().ListSortState().sortedOnce);
    ShowWindow(Main().Handle(), SW_SHOW);
    Main().FormActivate(true);
    PumpMessages();
    EXPECT_EQ(Main().CurrentPage(), kPageRegistry);
}

TEST_F(WindowMemoryFrameTest, APlaceOffEveryMonitorIsBroughtBack) {
    ScopedFolder folder("window memory off screen");
    const std::string file = folder.Path() + "\\Settings.ini";
    RememberedWindow gone;
    gone.found = true;
    gone.normal = {-20000, -20000, -19000, -19300};
    ASSERT_TRUE(WriteRememberedWindow(file, gone));
    Main().UseRememberedState(file, SW_SHOWNORMAL);
    RECT placed{}, work{};
    GetWindowRect(Main().Handle(), &placed);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT shown{};
    EXPECT_TRUE(IntersectRect(&shown, &placed, &work));
    EXPECT_GE(placed.top, work.top);
    EXPECT_GE(placed.left, work.left);
}

}  // namespace
