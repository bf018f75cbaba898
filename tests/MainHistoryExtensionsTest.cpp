// The History page's add-on sections in process: their columns, the box of a
// helper object that cannot be cleared, the toolbars' Delete that follows
// the uninstaller, and Delete All of buttons that asks nothing.
#include "history/HistorySectionIds.h"
#include "history/ExtensionHistory.h"
#include "gui/HistoryPage.h"
#include "gui/MainWindow.h"
#include "HistoryPageFixture.h"

#include <gtest/gtest.h>

using namespace gui;
using namespace history;
using namespace testing_support;

namespace {

const HKEY kMachine = HKEY_LOCAL_MACHINE;
const std::string kPageBarId = "{0E5E0101-0000-4000-8000-0000000001B1}";

class HistoryExtensionsPageTest : public HistoryPageTest {
protected:
    // Keys made by the test go at its end: the topmost one that was new.
    void Seed(const std::string& path, const std::string& name, const std::string& text) {
        std::string top = path;
        for (size_t cut; (cut = top.rfind('\\')) != std::string::npos && !RegKeyExists(kMachine, top.substr(0, cut));)
            top = top.substr(0, cut);
        if (!RegKeyExists(kMachine, top)) keys_.Add(kMachine, top);
        SetRegString(kMachine, path, name, text);
    }
    void SeedValue(const std::string& path, const std::string& name) {
        Seed(path, name, "");
        values_.push_back(std::make_unique<ScopedRegValue>(kMachine, path, name));
    }

    ScopedRegKeys keys_;
    std::vector<std::unique_ptr<ScopedRegValue>> values_;
};

std::string ColumnCaption(HWND list, int column) {
    char text[128] = {};
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT;
    info.pszText = text;
    info.cchTextMax = sizeof(text);
    ListView_GetColumn(list, column, &info);
    return text;
}

TEST_F(HistoryExtensionsPageTest, HelperObjectWithoutClassIdCannotBeCleared) {
    const std::string key = std::string(kBrowserHelperObjectsKey) + "\\Orv Page Plain Helper";
    Seed(key, "", "");
    List(hsBrowserHelperObjects);
    ASSERT_EQ(Page().lvHsValues.ColumnCount(), 2);
    EXPECT_EQ(ColumnCaption(Page().lvHsValues.Handle(), 0), "Browser Helper Objects");
    EXPECT_EQ(ColumnCaption(Page().lvHsValues.Handle(), 1), "CLSID");
    SelectRow("Orv Page Plain Helper");
    ASSERT_TRUE(Enabled(aHsDelete));
    RecordedBoxes boxes({IDYES});
    Run(aHsDelete);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to clear Orv Page Plain Helper?");
    EXPECT_EQ(boxes.Shown()[1].text, "Can't clear item: Orv Page Plain Helper");
    EXPECT_TRUE(RegKeyExists(kMachine, key));
    EXPECT_GE(RowOf(Page().lvHsValues, "Orv Page Plain Helper"), 0);
}

// An installed program that only shares the toolbar's name is no
// uninstaller of it; its own shows its command, No the default.
TEST_F(HistoryExtensionsPageTest, ToolbarDeleteAsksToRunItsOwnUninstaller) {
    SeedValue(kToolbarsKey, kPageBarId);
    SetRegString(HKEY_CLASSES_ROOT, "CLSID\\" + kPageBarId, "", "&Orv Page Bar");
    keys_.Add(HKEY_CLASSES_ROOT, "CLSID\\" + kPageBarId);
    const std::string namesake = std::string(kUninstallKey) + "\\Orv Page Browser";
    Seed(namesake, "DisplayName", "Orv Page Bar");
    Seed(namesake, "UninstallString", "\"C:\\orvtests\\browser\\uninstall.exe\"");
    List(hsToolbars);
    SelectRow("Orv Page Bar");
    EXPECT_FALSE(Enabled(aHsDelete));  // no uninstaller of its own
    EXPECT_FALSE(Enabled(aHsDeleteAll));
    const std::string command = "\"C:\\orvtests\\no such folder\\uninstall.exe\" /remove";
    Seed(std::string(kUninstallKey) + "\\" + kPageBarId, "UninstallString", command);
    Main().RefreshView();
    ASSERT_TRUE(Enabled(aHsDelete));
    for (int answer : {IDNO, IDYES}) {
        RecordedBoxes boxes({answer});
        Run(aHsDelete);
        ASSERT_EQ(boxes.Shown().size(), answer == IDYES ? 2u : 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Run the uninstaller of Orv Page Bar?\r\n" + command);
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::ConfirmDefaultNo);
        if (answer == IDYES) {
            EXPECT_EQ(boxes.Shown()[1].text, "Can't clear item: Orv Page Bar");
        }
    }
}

TEST_F(HistoryExtensionsPageTest, ButtonsDeleteAllAsksNothingAndDeleteAsks) {
    for (const char* name : {"Orv Page Button 1", "Orv Page Button 2", "Orv Page Button 3"}) {
        const std::string key = std::string(kExtensionsKey) + "\\" + name;
        Seed(key, "ButtonText", name);
        Seed(key, "Default Visible", "Yes");
        Seed(key, "Exec", "C:\\orvtests\\button.exe");
        keys_.Add(kMachine, key);
    }
    const std::string plugin = std::string(kExtensionsKey) + "\\Orv Page Plug-in";
    Seed(plugin, "MenuText", "Orv Page Menu");
    keys_.Add(kMachine, plugin);
    List(hsButtons);
    SelectRow("Orv Page Button 1");
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDelete);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to clear Orv Page Button 1?");
    }
    EXPECT_FALSE(RegKeyExists(kMachine, std::string(kExtensionsKey) + "\\Orv Page Button 1"));
    ASSERT_TRUE(Enabled(aHsDeleteAll));
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDeleteAll);
        EXPECT_TRUE(boxes.Shown().empty());
    }
    EXPECT_EQ(RowOf(Page().lvHsValues, "Orv Page Button 2"), -1);
    EXPECT_FALSE(RegKeyExists(kMachine, std::string(kExtensionsKey) + "\\Orv Page Button 3"));
    EXPECT_TRUE(RegKeyExists(kMachine, plugin));  // a plug-in is no button
}

}  // namespace
