// WorkProgressDialog: the window shown while a long change (a fix, a clean-up)
// runs on a worker: what it is doing, a bar, "n of m", and Stop. It closes
// when the work ends, not when Stop is pressed: Stop asks the work to end
// after the item in hand, so nothing is left half done.
#pragma once

#include "ui/ModalDialog.h"

#include <functional>
#include <string>

namespace gui {

class WorkProgressDialog : public ui::ModalDialog {
public:
    static constexpr int kClientWidth = 380;
    static constexpr int kClientHeight = 176;
    static constexpr int kIdStop = IDCANCEL;

    WorkProgressDialog(std::string caption, std::string titleCaption, std::string titleSecondLine);

    HWND lblStage = nullptr, lblCount = nullptr, pbProgress = nullptr, btnStop = nullptr;

    // Each time before it shows: what Stop does (asks the worker to end).
    void SetOnStop(std::function<void()> onStop) { onStop_ = std::move(onStop); }
    // Window thread: where the work stands.
    void ShowProgress(const std::string& stage, int done, int total);
    // The work has ended: the window closes with OK.
    void WorkEnded();
    // Stop, as the button, Esc and the close box do.
    void StopClick();
    bool StopAsked() const { return stopAsked_; }

protected:
    void CreateControls(HWND owner) override;
    void FormActivate() override;
    bool OnCommand(int id, int code) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::string caption_, titleCaption_, titleSecondLine_;
    std::function<void()> onStop_;
    bool stopAsked_ = false;
    bool ended_ = false;
};

}  // namespace gui
