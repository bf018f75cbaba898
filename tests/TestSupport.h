// Test helpers of the window side: the engine's helpers, plus dialogs
// answered through their seam and rows found in a list view.
#pragma once

#include "EngineTestSupport.h"
#include "shell/MainUnit.h"
#include "ui/Controls.h"
#include "ui/ModalDialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

// Every file dialog and modal dialog a test did not script fails the test
// (see InstallUnscriptedBoxAnswer for boxes).
void InstallUnscriptedDialogAnswers();
// A program start a test did not script fails the test (and starts nothing).
void InstallUnscriptedStartAnswer();
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

// Records the programs the window starts through platform::shell::StartProgram
// and starts none; the calls answer with the error given (ERROR_SUCCESS by
// default). Without one, a start fails the test (InstallUnscriptedStartAnswer).
class RecordedStarts {
public:
    explicit RecordedStarts(DWORD answer = ERROR_SUCCESS);
    ~RecordedStarts();
    RecordedStarts(const RecordedStarts&) = delete;
    RecordedStarts& operator=(const RecordedStarts&) = delete;
    struct Start {
        std::string program, arguments;
        bool operator==(const Start&) const = default;
    };
    const std::vector<Start>& Started() const { return started_; }

private:
    std::vector<Start> started_;
};

// Serves the messages waiting on this thread.
void PumpMessages();
// Serves messages until the condition holds (or about 60 s went by).
template <typename Condition>
bool PumpUntil(Condition done) {
    for (int step = 0; step < 6000 && !done(); ++step) {
        PumpMessages();
        if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return done();
}

// The main window as the program shows it, made anew for each test and
// closed after it.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { window_.reset(); }
    shell::TfrmMain& Main() { return *window_; }

    std::unique_ptr<shell::TfrmMain> window_;
};

// The index of the first row with the caption, or -1.
int RowOf(const ui::ListView& list, const std::string& caption);

}  // namespace testing_support
