// The History page shown in a fresh main window, and the steps its tests
// take: list a section (waiting for the listing), set the mask, read and
// select rows, run a command and wait for what it started.
#pragma once

#include "TestSupport.h"
#include "gui/HistoryPage.h"
#include "gui/MainWindow.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace testing_support {

class HistoryPageTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        Main().TitleButtonClick(gui::kPageHistory);
        ASSERT_TRUE(PumpUntil([this] { return !Page().Busy(); }));
    }
    gui::HistoryPageWindow& Page() { return Main().HistoryPage(); }

    // Lists the section as a click on its node (or Update, when it is chosen) would.
    void List(int section) {
        if (Page().SelectedHsSection() == section)
            Main().ExecuteAction(gui::aHsUpdate);
        else
            Page().SelectHsSection(section);
        ASSERT_TRUE(PumpUntil([this] { return !Page().Busy(); }));
    }
    void SetMask(bool use, const std::string& text, bool whole) {
        SendMessageA(Page().cbUseMask, BM_SETCHECK, use ? BST_CHECKED : BST_UNCHECKED, 0);
        SetWindowTextA(Page().edtMask, text.c_str());
        SendMessageA(Page().cbWholeWord, BM_SETCHECK, whole ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (int i = 0; i < Page().lvHsValues.Count(); ++i) rows.push_back(Page().lvHsValues.Text(i, 0));
        return rows;
    }
    // The rows that contain the marker in any ASCII case, in list order.
    std::vector<std::string> RowsWith(const std::string& marker) {
        std::vector<std::string> rows;
        for (const std::string& row : Rows())
            if (Lower(row).find(Lower(marker)) != std::string::npos) rows.push_back(row);
        return rows;
    }
    static std::string Lower(std::string text) {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return text;
    }
    void SelectRow(const std::string& caption) {
        const int row = RowOf(Page().lvHsValues, caption);
        ASSERT_GE(row, 0) << caption;
        Page().lvHsValues.Select(row);
        Main().RefreshView();
    }
    bool Enabled(int action) { return Main().Actions().Enabled(action); }
    // Runs a command, then serves messages until the re-listing it started has ended.
    void Run(int action) {
        Main().ExecuteAction(action);
        ASSERT_TRUE(PumpUntil([this] { return !Page().Busy(); }));
    }
};

}  // namespace testing_support
