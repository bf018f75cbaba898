// WorkProgressDialog: the labels, the bar and Stop of a long change in progress.
#include "gui/WorkProgressDialog.h"

#include "ui/TitlePicture.h"

#include <commctrl.h>

namespace gui {

namespace {

constexpr int kMargin = 12;
constexpr int kBarRange = 1000;

}  // namespace

WorkProgressDialog::WorkProgressDialog(std::string caption, std::string titleCaption, std::string titleSecondLine)
    : caption_(std::move(caption)),
      titleCaption_(std::move(titleCaption)),
      titleSecondLine_(std::move(titleSecondLine)) {}

void WorkProgressDialog::CreateControls(HWND owner) {
    CreateFrame(caption_, kClientWidth, kClientHeight, owner);
    SetTitlePicture(titleCaption_, titleSecondLine_);
    int top = ui::kTitlePictureHeight + 8;
    lblStage = AddControl("STATIC", "", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, kMargin, top,
                          kClientWidth - 2 * kMargin, 16, -1);
    top += 20;
    pbProgress = AddControl(PROGRESS_CLASSA, "", 0, kMargin, top, kClientWidth - 2 * kMargin, 16, -1);
    SendMessageA(pbProgress, PBM_SETRANGE32, 0, kBarRange);
    top += 22;
    lblCount = AddControl("STATIC", "", SS_LEFT | SS_NOPREFIX, kMargin, top, 200, 16, -1);
    btnStop = AddControl("BUTTON", "Stop", BS_DEFPUSHBUTTON | WS_TABSTOP, kClientWidth - 85, kClientHeight - 33, 75,
                         25, kIdStop);
}

void WorkProgressDialog::FormActivate() {
    stopAsked_ = false;
    ended_ = false;
    SetWindowTextA(lblStage, "");
    SetWindowTextA(lblCount, "");
    SendMessageA(pbProgress, PBM_SETPOS, 0, 0);
    EnableWindow(btnStop, TRUE);
    SetWindowTextA(btnStop, "Stop");
}

void WorkProgressDialog::ShowProgress(const std::string& stage, int done, int total) {
    if (!Handle()) return;
    if (!stopAsked_) SetWindowTextA(lblStage, stage.c_str());
    const std::string count = total > 0 ? std::to_string(done) + " of " + std::to_string(total) : std::string();
    SetWindowTextA(lblCount, count.c_str());
    const int position = total > 0 ? MulDiv(done, kBarRange, total) : 0;
    SendMessageA(pbProgress, PBM_SETPOS, position, 0);
}

void WorkProgressDialog::WorkEnded() {
    ended_ = true;
    if (Showing()) EndModal(IDOK);
}

void WorkProgressDialog::StopClick() {
    if (stopAsked_ || ended_) return;
    stopAsked_ = true;
    EnableWindow(btnStop, FALSE);
    SetWindowTextA(lblStage, "Stopping after the item in hand...");
    if (onStop_) onStop_();
}

bool WorkProgressDialog::OnCommand(int id, int code) {
    // Esc comes as IDCANCEL: it stops, as the button does.
    if (id == kIdStop && (code == BN_CLICKED || code == 0)) {
        StopClick();
        return true;
    }
    return false;
}

LRESULT WorkProgressDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // The close box stops the work too; the window stays until it has ended.
    if (message == WM_CLOSE) {
        StopClick();
        return 0;
    }
    return ModalDialog::HandleMessage(message, wParam, lParam);
}

}  // namespace gui
