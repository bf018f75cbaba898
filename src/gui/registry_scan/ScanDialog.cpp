// ScanDialog: the labels of a scan in progress and its Stop button.
#include "gui/registry_scan/ScanDialog.h"

#include "platform/Text.h"
#include "ui/TitlePicture.h"

#include <commctrl.h>

namespace gui {

namespace {

constexpr int kMargin = 10;
constexpr int kRowHeight = 22;
constexpr int kCaptionWidth = 92;

}  // namespace

void ScanDialog::CreateControls(HWND owner) {
    CreateFrame("Scan Registry Keys", kClientWidth, kClientHeight, owner);
    SetTitlePicture("Scan Keys", "from Registry");
    // Group boxes paint no inside: the window must paint under its children
    // there, as dialogs do, or the groups show whatever was on the screen.
    SetWindowLongPtrA(Handle(), GWL_STYLE, GetWindowLongPtrA(Handle(), GWL_STYLE) & ~WS_CLIPCHILDREN);
    int top = ui::kTitlePictureHeight + 8;
    AddGroup("SCANING PATH", top, 3);
    lblScanGroup = AddRow("Scan Group:", "None", top + 20);
    lblKeyScaning = AddRow("Key Scaning:", "None", top + 20 + kRowHeight);
    lblKeyScaned = AddRow("Key Scaned:", "0", top + 20 + 2 * kRowHeight);
    top += 20 + 3 * kRowHeight + 14;
    AddGroup("ERROR PATH", top, 4);
    lblRegistryPath = AddRow("Registry path:", "None", top + 20);
    lblFileName = AddRow("File Name", "None", top + 20 + kRowHeight);
    lblGuessPath = AddRow("Guess Path:", "None", top + 20 + 2 * kRowHeight);
    lblErrorsFound = AddRow("Errors Found:", "0", top + 20 + 3 * kRowHeight);
    btnStop = AddControl("BUTTON", "Stop", BS_DEFPUSHBUTTON | WS_TABSTOP, kClientWidth - 85, kClientHeight - 33, 75,
                         25, kIdStop);

    // The scanned group's caption may be cut off; its tool tip shows it whole.
    toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0,
                               0, 0, 0, Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(lblScanGroup);
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

HWND ScanDialog::AddGroup(const char* caption, int top, int rows) {
    return AddControl("BUTTON", caption, BS_GROUPBOX, kMargin, top, kClientWidth - 2 * kMargin,
                      20 + rows * kRowHeight + 4, -1);
}

HWND ScanDialog::AddRow(const char* caption, const char* value, int top) {
    AddControl("STATIC", caption, SS_LEFT, kMargin + 10, top + 2, kCaptionWidth, 16, -1);
    // SS_NOTIFY lets the tool tip see the mouse over the label; the end
    // ellipsis shows that a long key or path goes on.
    const int left = kMargin + 10 + kCaptionWidth + 4;
    return AddControl("STATIC", value, SS_LEFT | SS_NOTIFY | SS_PATHELLIPSIS | SS_NOPREFIX, left, top + 2,
                      kClientWidth - left - kMargin - 10, 16, -1);
}

void ScanDialog::SetLabel(HWND label, const std::string& text) {
    if (label) SetWindowTextA(label, text.c_str());
}

void ScanDialog::FormActivate() {
    SetLabel(lblErrorsFound, "0");
    SetLabel(lblKeyScaned, "0");
}

void ScanDialog::ShowProgress(int keysExamined, const std::string& keyText, const std::string& sectionCaption) {
    SetLabel(lblKeyScaned, std::to_string(keysExamined));
    SetLabel(lblKeyScaning, keyText);
    SetLabel(lblScanGroup, sectionCaption);
    scanGroupText_ = sectionCaption;
}

void ScanDialog::ShowProblem(const registry_scan::RegistryProblem& problem, int errorsFound) {
    SetLabel(lblErrorsFound, std::to_string(errorsFound));
    SetLabel(lblRegistryPath, problem.registryPath);
    SetLabel(lblFileName, problem.fileName);
    SetLabel(lblGuessPath, problem.guessPath);
}

void ScanDialog::ScanEnded() {
    if (Showing()) EndModal(IDOK);
}

LRESULT ScanDialog::OnNotify(NMHDR* header) {
    if (header->hwndFrom != toolTip_) return 0;
    if (header->code == TTN_GETDISPINFOA) {
        reinterpret_cast<NMTTDISPINFOA*>(header)->lpszText = const_cast<char*>(scanGroupText_.c_str());
    } else if (header->code == TTN_GETDISPINFOW) {
        scanGroupWide_ = platform::text::Widen(scanGroupText_);
        reinterpret_cast<NMTTDISPINFOW*>(header)->lpszText = scanGroupWide_.data();
    }
    return 0;
}

bool ScanDialog::OnCommand(int id, int code) {
    if (id == kIdStop && (code == BN_CLICKED || code == 0)) {
        StopClick();
        return true;
    }
    if (id == IDCANCEL) {  // Esc stops, as the button does
        StopClick();
        return true;
    }
    return false;
}

}  // namespace gui
