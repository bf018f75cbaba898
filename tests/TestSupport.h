// Test helpers of the window side: the engine's helpers, plus dialogs
// answered through their seam and rows found in a list view.
#pragma once

#include "EngineTestSupport.h"
#include "gui/MainWindow.h"
#include "ui/Controls.h"
#include "ui/ModalDialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

// Every modal dialog a test did not script fails the test, as do the
// engine's prompts (InstallUnscriptedFileDialogAnswer and the others).
void InstallUnscriptedDialogAnswers();
// Adds the listener that installs these before each test (call from main).
void FailOnUnscriptedDialogs();

// Answers modal dialogs (the handler gets the dialog ready to show) and file
// dialogs for the time it lives; an empty handler leaves that kind unscripted.
class ScopedDialogAnswers {
public:
    explicit ScopedDialogAnswers(std::function<int(ui::ModalDialog&)> modal,
                                 std::function<bool(platform::dialogs::FileDialogRequest&)> file = {});
    ~ScopedDialogAnswers();
    ScopedDialogAnswers(const ScopedDialogAnswers&) = delete;
    ScopedDialogAnswers& operator=(const ScopedDialogAnswers&) = delete;
};

// The main window as the program shows it, made anew for each test and
// closed after it.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { window_.reset(); }
    gui::MainWindow& Main() { return *window_; }

    std::unique_ptr<gui::MainWindow> window_;
};

// The index of the first row with the caption, or -1.
int RowOf(const ui::ListView& list, const std::string& caption);

}  // namespace testing_support
