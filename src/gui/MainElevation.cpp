// MainWindow: a change refused for want of administrator rights, and the
// restart as administrator on the same page and selection.
#include "gui/MainWindow.h"

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "gui/RestartRequest.h"

namespace gui {

bool MainWindow::OfferElevatedRestart(const std::string& refusal, HWND owner, platform::dialogs::BoxKind otherwise) {
    namespace dialogs = platform::dialogs;
    // A box owned by the disabled frame under a dialog would enable the
    // frame again when it closes.
    if (!owner) owner = Handle();
    // Work that must not be cut off keeps the window: the restart waits
    // until it has ended, and the user is told only what was refused.
    bool busy = false;
    for (const PageWindow* page : pages_) busy = busy || (page && !page->BusyText().empty());
    // A dialog other than the one asking is open over the frame: closing the
    // frame under its modal loop would pull the window from under it.
    busy = busy || (owner == Handle() && !IsWindowEnabled(Handle()));
    if (busy || platform::shell::ProcessIsElevated()) {
        dialogs::ShowBox(owner, refusal, ui::kApplicationTitle, otherwise);
        return false;
    }
    const std::string offer = refusal +
                              "\r\n\r\nChanging it needs administrator rights. Restart Orvelin as administrator? "
                              "It opens again on this page and selection.";
    if (dialogs::ShowBox(owner, offer, ui::kApplicationTitle, dialogs::BoxKind::ElevationOffer) != IDYES)
        return false;
    RestartRequest request;
    request.previousProcess = GetCurrentProcessId();
    request.page = currentPage_;
    request.hasNode = pages_[currentPage_]->SelectedNodeData(request.node);
    request.row = pages_[currentPage_]->SelectedRowCaption();
    request.rowIndex = pages_[currentPage_]->SelectedRowIndex();
    SaveRememberedState();
    const DWORD started = platform::shell::StartProgramElevated(Handle(), platform::files::ModuleFileName(),
                                                                RestartArguments(request));
    if (started == ERROR_CANCELLED) return false;  // the user said no to Windows' own question
    if (started != ERROR_SUCCESS) {
        dialogs::ShowBox(owner,
                         "Orvelin could not be restarted as administrator: " +
                             platform::processes::SystemErrorText(started),
                         ui::kApplicationTitle, dialogs::BoxKind::Warning);
        return false;
    }
    // The new instance waits for this one to end; nothing is left to ask.
    closingForRestart_ = true;
    PostMessageA(Handle(), WM_CLOSE, 0, 0);
    return true;
}

void MainWindow::ShowAfterRestart(const RestartRequest& request) {
    if (request.page >= 0 && request.page < kPageCount) firstPage_ = request.page;
    pendingRestart_ = request;
}

}  // namespace gui
