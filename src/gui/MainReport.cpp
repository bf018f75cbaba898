// MainWindow: the shared save dialog and the Report command. The report's
// lines come from the current page (formats/ReportFile builds them).
#include "gui/MainWindow.h"

#include "formats/ReportFile.h"
#include "platform/Files.h"
#include "platform/Processes.h"

namespace gui {

bool MainWindow::RunSaveDialog(std::string& fileName) {
    if (!fileName.empty()) dlgSave_.fileName = fileName;
    if (!platform::dialogs::RunFileDialog(Handle(), dlgSave_)) return false;
    fileName = dlgSave_.fileName;
    return true;
}

void MainWindow::WriteReport() {
    // The action keeps the last tool page's state while About is shown, so
    // F4 reaches here there too: that page has no list and asks nothing.
    if (currentPage_ < 0 || currentPage_ >= kPageCount || currentPage_ == kPageAbout || !pages_[currentPage_]) return;
    std::string fileName;
    if (!RunSaveDialog(fileName)) return;
    // Built after the dialog: the list as it is when the file is written.
    const std::optional<common::ReportBuilder> report = pages_[currentPage_]->Report();
    if (!report) return;
    const platform::files::FileWriteOutcome outcome = platform::files::WriteNewFile(fileName, report->Pieces());
    if (outcome.error == 0) return;
    const std::string reason = platform::processes::SystemErrorText(outcome.error);
    platform::dialogs::ShowBox(Handle(),
                               outcome.created ? common::ReportWriteFailureText(fileName, outcome.error, reason)
                                               : common::ReportCreateFailureText(fileName, outcome.error, reason),
                               ui::kApplicationTitle, platform::dialogs::BoxKind::ErrorCancel);
}

}  // namespace gui
