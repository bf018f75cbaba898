// The window side of the test helpers: modal dialogs answered through their
// seam, and rows found in a list view.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

namespace testing_support {

namespace {

std::string ClassName(const std::type_info& type) {
    int status = 0;
    char* readable = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string name = status == 0 && readable ? readable : type.name();
    std::free(readable);
    return name;
}

class UnscriptedDialogsFail : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        InstallUnscriptedBoxAnswer();
        InstallUnscriptedDialogAnswers();
    }
};

}  // namespace

void InstallUnscriptedDialogAnswers() {
    ui::ModalDialog::SetModalHandler([](ui::ModalDialog& dialog) {
        ADD_FAILURE() << "unscripted dialog " << ClassName(typeid(dialog)) << " (caption \""
                      << ui::ControlText(dialog.Handle()) << "\")";
        return IDCANCEL;
    });
    InstallUnscriptedFileDialogAnswer();
    InstallUnscriptedStartAnswer();
}

void FailOnUnscriptedDialogs() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new UnscriptedDialogsFail);
    InstallUnscriptedBoxAnswer();
    InstallUnscriptedDialogAnswers();
}

ScopedDialogAnswers::ScopedDialogAnswers(std::function<int(ui::ModalDialog&)> modal,
                                         std::function<bool(platform::dialogs::FileDialogRequest&)> file) {
    InstallUnscriptedDialogAnswers();
    if (modal) ui::ModalDialog::SetModalHandler(std::move(modal));
    if (file) platform::dialogs::SetFileDialogHandler(std::move(file));
}

ScopedDialogAnswers::~ScopedDialogAnswers() { InstallUnscriptedDialogAnswers(); }

void FrameTest::SetUp() {
    window_ = std::make_unique<gui::MainWindow>();
    ShowWindow(window_->Handle(), SW_SHOW);
    // The first activation may arrive asynchronously under some window managers.
    window_->FormActivate(false);
    PumpMessages();
}

int RowOf(const ui::ListView& list, const std::string& caption) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Text(i, 0) == caption) return i;
    return -1;
}

}  // namespace testing_support
