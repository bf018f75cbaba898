// ScanDialog: the progress window of a registry scan ("Scan Registry Keys"),
// shown modally while the scan thread works; "Stop" (or Esc) closes it with OK.
#pragma once

#include "platform/Handles.h"
#include "gui/registry_scan/ScanWorker.h"
#include "ui/ModalDialog.h"

#include <string>

namespace gui {

class ScanDialog : public ui::ModalDialog, public IScanView {
public:
    static constexpr int kClientWidth = 420;
    static constexpr int kClientHeight = 336;
    static constexpr int kIdStop = IDOK;

    // The value labels, in the order of their rows.
    HWND lblScanGroup = nullptr, lblKeyScaning = nullptr, lblKeyScaned = nullptr;
    HWND lblRegistryPath = nullptr, lblFileName = nullptr, lblGuessPath = nullptr, lblErrorsFound = nullptr;
    HWND btnStop = nullptr;

    void StopClick() { EndModal(IDOK); }

    // IScanView: the labels follow the scan; the end closes the window
    // with OK when it shows.
    void ShowProgress(int keysExamined, const std::string& keyText, const std::string& sectionCaption) override;
    void ShowProblem(const registry_scan::RegistryProblem& problem, int errorsFound) override;
    void ScanEnded() override;

protected:
    void CreateControls(HWND owner) override;
    void FormActivate() override;
    bool OnCommand(int id, int code) override;
    LRESULT OnNotify(NMHDR* header) override;

private:
    HWND AddGroup(const char* caption, int top, int rows);
    HWND AddRow(const char* caption, const char* value, int top);
    void SetLabel(HWND label, const std::string& text);

    HWND toolTip_ = nullptr;  // the whole "Scan Group:" text
    std::string scanGroupText_ = "None";
    std::wstring scanGroupWide_;
};

}  // namespace gui
