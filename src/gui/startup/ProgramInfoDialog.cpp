// ProgramInfoDialog: the program information dialog.
#include "gui/startup/ProgramInfoDialog.h"

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "startup/ProcessLookup.h"
#include "ui/CellTips.h"

namespace gui {

using namespace startup;

namespace {

constexpr int kPanelHeight = 97;  // the title picture and the file line
constexpr int kButtonPanelHeight = 43;
constexpr int kParameterWidth = 95;
constexpr DWORD kKillPause = 500;  // lets the process end before the list is read again

enum : int { kIdLocation = 402, kIdActive, kIdPages, kIdFileInfo, kIdModules };

}  // namespace

ProgramInfoDialog::ProgramInfoDialog(FileVersionInfo& info, std::function<void()> onClose)
    : info_(info), onClose_(std::move(onClose)) {}

int ProgramInfoDialog::ShowFor(HWND owner, const std::string& path, const std::string& active) {
    path_ = path;
    active_ = active;
    return ShowModal(owner);
}

void ProgramInfoDialog::CreateControls(HWND owner) {
    CreateFrame("File Info", kClientWidth, kClientHeight, owner);
    SetTitlePicture("File Info", "program and process");
    // One line whatever the font's width: a wrapped label loses its second half.
    AddControl("STATIC", "File Name:", SS_LEFTNOWORDWRAP, 8, 74, 62, 16, -1);
    edtLocation = AddControl("EDIT", "", ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP, 72, 71, 284, 21, kIdLocation,
                             WS_EX_CLIENTEDGE);
    AddControl("STATIC", "Active: ", SS_RIGHT, 364, 74, 44, 16, -1);
    lblActive = AddControl("STATIC", "", 0, 410, 74, 50, 16, kIdActive);
    const int pagesHeight = kClientHeight - kPanelHeight - kButtonPanelHeight;
    pgcFileInfo = AddControl(WC_TABCONTROLA, "", WS_CLIPSIBLINGS | WS_TABSTOP, 4, kPanelHeight, kClientWidth - 8,
                             pagesHeight, kIdPages);
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<char*>("Common Info");
    SendMessageA(pgcFileInfo, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&tab));
    // The tab control answers in the dialog's pixels; the lists are placed in
    // 96-DPI pixels like every control.
    RECT page{0, 0, Scale(kClientWidth - 8), Scale(pagesHeight)};
    TabCtrl_AdjustRect(pgcFileInfo, FALSE, &page);
    const int x = 4 + Unscale(page.left), y = kPanelHeight + Unscale(page.top);
    const int w = Unscale(page.right - page.left), h = Unscale(page.bottom - page.top);
    lvFileinfo = ui::ListView(AddControl(WC_LISTVIEWA, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP,
                                         x, y, w, h, kIdFileInfo, WS_EX_CLIENTEDGE));
    lvModules = ui::ListView(AddControl(WC_LISTVIEWA, "", LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER | WS_TABSTOP, x, y, w, h,
                                        kIdModules, WS_EX_CLIENTEDGE));
    for (ui::ListView list : {lvFileinfo, lvModules}) {
        list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        ui::AttachCellTips(list.Handle());
    }
    lvFileinfo.AddColumn("Parameter", Scale(kParameterWidth));
    lvFileinfo.AddColumn("Value", Scale(w - kParameterWidth - 4));
    lvModules.AddColumn("Modules", Scale(w - 4) - GetSystemMetrics(SM_CXVSCROLL));
    ShowWindow(lvModules.Handle(), SW_HIDE);
    const int buttonsTop = kClientHeight - kButtonPanelHeight + 10;
    btnRun = AddControl("BUTTON", "Run", BS_PUSHBUTTON | WS_TABSTOP, kClientWidth - 250, buttonsTop, 75, 25, kIdRun);
    btnKill = AddControl("BUTTON", "Kill", BS_PUSHBUTTON | WS_TABSTOP, kClientWidth - 167, buttonsTop, 75, 25, kIdKill);
    btnOk = AddControl("BUTTON", "Ok", BS_DEFPUSHBUTTON | WS_TABSTOP, kClientWidth - 84, buttonsTop, 75, 25, kIdOk);
    // The tab control goes below the lists, or it would paint over them; the
    // other controls keep the order they were made in, which is the Tab order
    // (the tab control last).
    SetWindowPos(pgcFileInfo, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetModulesTab(true);
}

std::string ProgramInfoDialog::ActiveText() const { return ui::ControlText(lblActive); }

void ProgramInfoDialog::FormActivate() {
    RECT client{};
    GetClientRect(lvFileinfo.Handle(), &client);
    lvFileinfo.SetColumnWidth(1, client.right - lvFileinfo.ColumnWidth(0));
    info_.GetInfo(path_);
    SetWindowTextA(edtLocation, info_.ParsLocation.c_str());
    ShowCommonPage();
    SetWindowTextA(lblActive, active_.c_str());
    FillCommonInfo();
    SetButtons();
}

void ProgramInfoDialog::FillCommonInfo() {
    lvFileinfo.Clear();
    const std::pair<const char*, const std::string*> rows[] = {
        {"Original File Name", &info_.OriginalFilename}, {"File Description", &info_.FileDescription},
        {"Product Name", &info_.ProductName},            {"Product Version", &info_.ProductVersion},
        {"Internal Name", &info_.Internalname},          {"Comments", &info_.Comments},
        {"Company Name", &info_.CompanyName},            {"LegalCopyright", &info_.LegalCopyright},
        {"LegalTradeMarks", &info_.LegalTradeMarks},     {"File Version", &info_.FileVersion},
        {"Major Version", &info_.MajorVersion},          {"Minor Version", &info_.MinorVersion},
        {"Release", &info_.Release},                     {"Compiled", &info_.Compiled},
        {"DirectShow", &info_.DirectShow},               {"OLE Self Registe", &info_.OLESelfRegister},
    };
    for (const auto& [parameter, value] : rows) lvFileinfo.SetText(lvFileinfo.AddItem(parameter, -1, 0), 1, *value);
    lvFileinfo.SetText(lvFileinfo.AddItem("Active", -1, 0), 1, ActiveText());
}

void ProgramInfoDialog::SetActive(const std::string& active) {
    SetWindowTextA(lblActive, active.c_str());
    const int last = lvFileinfo.Count() - 1;
    if (last >= 0) lvFileinfo.SetText(last, 1, active);
}

void ProgramInfoDialog::SetModulesTab(bool visible) {
    if (visible == modulesTab_ && TabCtrl_GetItemCount(pgcFileInfo) == (visible ? 2 : 1)) return;
    modulesTab_ = visible;
    if (visible && TabCtrl_GetItemCount(pgcFileInfo) < 2) {
        TCITEMA tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<char*>("Modules");
        SendMessageA(pgcFileInfo, TCM_INSERTITEMA, 1, reinterpret_cast<LPARAM>(&tab));
    } else if (!visible && TabCtrl_GetItemCount(pgcFileInfo) > 1) {
        TabCtrl_DeleteItem(pgcFileInfo, 1);
        ShowCommonPage();
    }
}

void ProgramInfoDialog::SetButtons() {
    const std::string active = ActiveText();
    EnableWindow(btnKill, active == "Yes");
    EnableWindow(btnRun, platform::files::FileExists(info_.ParsLocation) && active == "No");
    SetModulesTab(active != "No");
}

void ProgramInfoDialog::ShowCommonPage() {
    TabCtrl_SetCurSel(pgcFileInfo, 0);
    ShowWindow(lvModules.Handle(), SW_HIDE);
    ShowWindow(lvFileinfo.Handle(), SW_SHOW);
}

void ProgramInfoDialog::ShowModulesPage() {
    if (!modulesTab_) return;
    TabCtrl_SetCurSel(pgcFileInfo, 1);
    ShowWindow(lvFileinfo.Handle(), SW_HIDE);
    ShowWindow(lvModules.Handle(), SW_SHOW);
    lvModules.Clear();
    const DWORD id = FindProcessByName(platform::files::ExtractFileName(info_.ParsLocation));
    if (id == 0) return;
    for (const std::string& name : ProcessModuleNames(id)) lvModules.AddItem(name, -1, 0);
}

void ProgramInfoDialog::RunClick() {
    platform::shell::ShellOpen(Handle(), "open", ui::ControlText(edtLocation), SW_SHOWNORMAL);
    SetActive("Yes");
    SetButtons();
    EndModal(IDOK);
}

void ProgramInfoDialog::KillClick() {
    const std::string location = ui::ControlText(edtLocation);
    if (ActiveText() == "Yes") {
        // No is the default: Esc asks this question, and an Enter pressed
        // after it out of habit must not end the program.
        const int answer = platform::dialogs::ShowBox(Handle(), "Kill " + location + "?", ui::kApplicationTitle,
                                                      platform::dialogs::BoxKind::ConfirmDefaultNo);
        if (answer == IDYES) {
            EndProgram(location);
            SetActive("No");
        }
    }
    SetButtons();
    EndModal(IDCANCEL);
}

void ProgramInfoDialog::EndProgram(const std::string& location) {
    // Looked up only now, after the answer: while the question was open the
    // program may have ended and its identifier passed to another process.
    DWORD error = ERROR_SUCCESS;
    switch (EndProcessOfFile(location, error)) {
    case platform::processes::EndResult::Ended: Sleep(kKillPause); break;
    case platform::processes::EndResult::Failed:
        platform::dialogs::ShowBox(Handle(), platform::processes::SystemErrorText(error), ui::kApplicationTitle,
                                   platform::dialogs::BoxKind::Plain);
        Sleep(kKillPause);
        break;
    case platform::processes::EndResult::NotRunning:
        platform::dialogs::ShowBox(Handle(), "Proces " + location + " no Active!", ui::kApplicationTitle,
                                   platform::dialogs::BoxKind::Warning);
        break;
    }
}

void ProgramInfoDialog::FormClose(int) {
    if (onClose_) onClose_();
}

bool ProgramInfoDialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED && code != 0) return false;
    switch (id) {
    case kIdRun: RunClick(); return true;
    case kIdKill: KillClick(); return true;
    case kIdOk: EndModal(IDOK); return true;
    case IDCANCEL:  // Esc presses Kill, and only while it is enabled
        if (IsWindowEnabled(btnKill)) KillClick();
        return true;
    }
    return false;
}

LRESULT ProgramInfoDialog::OnNotify(NMHDR* header) {
    if (header->hwndFrom == pgcFileInfo && header->code == TCN_SELCHANGE) {
        if (TabCtrl_GetCurSel(pgcFileInfo) == 1)
            ShowModulesPage();
        else
            ShowCommonPage();
    }
    return 0;
}

}  // namespace gui
