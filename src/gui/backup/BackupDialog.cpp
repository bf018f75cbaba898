// BackupDialog: the BackUp/Restore dialog and the command that runs it.
#include "gui/backup/BackupDialog.h"

#include "platform/Dialogs.h"
#include "ui/CellTips.h"
#include "ui/TitlePicture.h"
#include "ui/Window.h"

#include <commctrl.h>

namespace gui {

namespace {

enum : int { kIdPages = 500, kIdRoot = 510, kIdPoints = 520 };

constexpr int kButtonWidth = 75, kButtonHeight = 25;
constexpr int kRootTop = 14, kRootStep = 26;
constexpr int kPointNameWidth = 128;  // "2026.12.07 13.05 (2)"

void TellNothingTicked(HWND owner) {
    platform::dialogs::ShowBox(owner, backup::kNoRootTickedText, ui::kApplicationTitle,
                               platform::dialogs::BoxKind::Warning);
}

void AddTab(HWND tabs, int index, const char* caption) {
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<char*>(caption);
    SendMessageA(tabs, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&tab));
}

void ShowAll(std::initializer_list<HWND> controls, bool visible) {
    for (HWND control : controls) ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

}  // namespace

int BackupDialog::ShowFor(HWND owner, const std::string& backupFolder) {
    backupFolder_ = backupFolder;
    return ShowModal(owner);
}

void BackupDialog::CreateControls(HWND owner) {
    CreateFrame("BackUp/Restore", kClientWidth, kClientHeight, owner);
    SetTitlePicture("BackUp\\Restore", "Registry");
    const int pagesTop = ui::kTitlePictureHeight + 4, pagesHeight = kClientHeight - pagesTop - 4;
    pgcBackup = AddControl(WC_TABCONTROLA, "", WS_CLIPSIBLINGS | WS_TABSTOP, 4, pagesTop, kClientWidth - 8,
                           pagesHeight, kIdPages);
    AddTab(pgcBackup, kBackupPage, "Backup");
    AddTab(pgcBackup, kRestorePage, "Restore");
    // The tab control answers in the dialog's pixels; controls are placed in
    // 96-DPI pixels.
    RECT page{0, 0, Scale(kClientWidth - 8), Scale(pagesHeight)};
    TabCtrl_AdjustRect(pgcBackup, FALSE, &page);
    const int x = 4 + Unscale(page.left), y = pagesTop + Unscale(page.top);
    const int w = Unscale(page.right - page.left), h = Unscale(page.bottom - page.top);
    const int buttonsTop = y + h - kButtonHeight - 10, okLeft = x + w - 2 * kButtonWidth - 18;
    const int cancelLeft = x + w - kButtonWidth - 10;

    HWND* boxes[] = {&CheckBox1, &CheckBox2, &CheckBox3, &CheckBox4, &CheckBox5};
    for (size_t root = 0; root < backup::kBackupRootCount; ++root)
        *boxes[root] = AddControl("BUTTON", backup::kBackupRootKeyNames[root], BS_AUTOCHECKBOX | WS_TABSTOP,
                                  x + 16, y + kRootTop + static_cast<int>(root) * kRootStep, 200, 17,
                                  kIdRoot + static_cast<int>(root));
    bbtnOK = AddControl("BUTTON", "Add", BS_DEFPUSHBUTTON | WS_TABSTOP, okLeft, buttonsTop, kButtonWidth,
                        kButtonHeight, kIdBackupOk);
    bbtnCancel = AddControl("BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, cancelLeft, buttonsTop, kButtonWidth,
                            kButtonHeight, kIdBackupCancel);

    const int listHeight = buttonsTop - y - 18;
    lvBackupPoints = ui::ListView(AddControl(WC_LISTVIEWA, "",
                                             LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER |
                                                 WS_TABSTOP,
                                             x + 8, y + 8, w - 16, listHeight, kIdPoints, WS_EX_CLIENTEDGE));
    lvBackupPoints.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    ui::AttachCellTips(lvBackupPoints.Handle());
    lvBackupPoints.AddColumn("BackUp Points", Scale(kPointNameWidth));
    lvBackupPoints.AddColumn("Description", Scale(w - 20 - kPointNameWidth) - GetSystemMetrics(SM_CXVSCROLL));
    BitBtn1 = AddControl("BUTTON", "Add", BS_PUSHBUTTON | WS_TABSTOP, okLeft, buttonsTop, kButtonWidth,
                         kButtonHeight, kIdRestoreOk);
    BitBtn2 = AddControl("BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, cancelLeft, buttonsTop, kButtonWidth,
                         kButtonHeight, kIdRestoreCancel);
    // The tab control goes below the controls of its pages, or it would
    // paint over them; they keep the order they were made in, which is the
    // Tab order (the tab control last).
    SetWindowPos(pgcBackup, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowPage(kBackupPage);
}

HWND BackupDialog::RootBox(size_t root) const {
    const HWND boxes[] = {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5};
    return root < backup::kBackupRootCount ? boxes[root] : nullptr;
}

bool BackupDialog::RootChecked(size_t root) const {
    return SendMessageA(RootBox(root), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void BackupDialog::SetRootChecked(size_t root, bool checked) {
    SendMessageA(RootBox(root), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int BackupDialog::ActivePage() const {
    return pgcBackup && TabCtrl_GetCurSel(pgcBackup) == kRestorePage ? kRestorePage : kBackupPage;
}

void BackupDialog::ShowPage(int page) {
    if (!pgcBackup) return;  // not made yet: it is made on the Backup page
    TabCtrl_SetCurSel(pgcBackup, page);
    const bool restore = page == kRestorePage;
    ShowAll({CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, bbtnOK, bbtnCancel}, !restore);
    ShowAll({lvBackupPoints.Handle(), BitBtn1, BitBtn2}, restore);
}

int BackupDialog::RowOfPoint(const std::string& name) const {
    for (int row = 0; row < lvBackupPoints.Count(); ++row)
        if (lvBackupPoints.Text(row, 0) == name) return row;
    return -1;
}

bool BackupDialog::SelectPoint(const std::string& name) {
    const int row = RowOfPoint(name);
    if (row >= 0) lvBackupPoints.Select(row);
    return row >= 0;
}

std::string BackupDialog::ListedDescription(const std::string& name) const {
    const int row = RowOfPoint(name);
    return row >= 0 ? lvBackupPoints.Text(row, 1) : std::string();
}

std::vector<std::string> BackupDialog::ListedPoints() const {
    std::vector<std::string> names;
    for (int row = 0; row < lvBackupPoints.Count(); ++row) names.push_back(lvBackupPoints.Text(row, 0));
    return names;
}

void BackupDialog::ListPoints() {
    ui::ScopedRedrawOff redrawOff(lvBackupPoints.Handle());
    lvBackupPoints.Clear();
    for (const std::string& name : backup::ListBackupPoints(backupFolder_)) {
        const int row = lvBackupPoints.AddItem(name, -1, 0);
        lvBackupPoints.SetText(row, 1, backup::BackupPointDescription(backupFolder_, name));
    }
}

void BackupDialog::FormActivate() {
    for (size_t root = 0; root < backup::kBackupRootCount; ++root) SetRootChecked(root, false);
    ListPoints();
}

void BackupDialog::FormClose(int) {
    closedPage_ = ActivePage();
    const int selected = lvBackupPoints.Selected();
    closedPoint_ = selected >= 0 ? lvBackupPoints.Text(selected, 0) : std::string();
    if (closedPage_ == kBackupPage) rootFlags_ = TickedRoots();
}

backup::BackupRootFlags BackupDialog::TickedRoots() const {
    backup::BackupRootFlags flags{};
    for (size_t root = 0; root < backup::kBackupRootCount; ++root) flags[root] = RootChecked(root);
    return flags;
}

bool BackupDialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED && code != 0) return false;
    switch (id) {
    case kIdBackupOk:
        // A point of no root would be an empty folder: the dialog stays for the ticks.
        if (!backup::AnyRootTicked(TickedRoots())) {
            TellNothingTicked(Handle());
            return true;
        }
        EndModal(IDOK);
        return true;
    case kIdRestoreOk: EndModal(IDOK); return true;
    case kIdBackupCancel:  // also Esc, on either page
    case kIdRestoreCancel: EndModal(IDCANCEL); return true;
    }
    return false;
}

LRESULT BackupDialog::OnNotify(NMHDR* header) {
    if (header->hwndFrom == pgcBackup && header->code == TCN_SELCHANGE) ShowPage(TabCtrl_GetCurSel(pgcBackup));
    return 0;
}

bool BackupDialog::PreTranslateMessage(const MSG& message) {
    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages as in a property sheet,
    // round from the last to the first; with Alt held (AltGr) the key is not ours.
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || GetKeyState(VK_CONTROL) >= 0 ||
        GetKeyState(VK_MENU) < 0)
        return false;
    const int count = TabCtrl_GetItemCount(pgcBackup);
    if (count <= 0) return true;
    const int step = GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1;
    ShowPage((ActivePage() + step) % count);
    // The focus goes with the page, unless it is on the tabs themselves.
    if (GetFocus() != pgcBackup) {
        const HWND first = FirstField();
        if (first) SetFocus(first);
    }
    return true;
}

bool ConfirmRestore(HWND owner, const std::string& backupFolder, const std::string& pointName) {
    const backup::BackupPointCheck check = backup::InspectBackupPoint(backupFolder, pointName);
    if (!check.exists) return true;
    std::string text;
    if (check.manifest == backup::ManifestState::kMissing)
        text = "The backup point " + pointName +
               " has no manifest (it was made by hand or by an earlier version), so its files cannot be checked for "
               "damage before they are written into the registry.\r\n\r\n";
    text += backup::RestoreQuestionText(pointName, backup::BackupPointRoots(backupFolder, pointName));
    return platform::dialogs::ShowBox(owner, text, ui::kApplicationTitle,
                                      platform::dialogs::BoxKind::ConfirmDefaultNo) == IDYES;
}

bool RunBackupCommand(HWND owner, BackupDialog& dialog, const std::string& backupFolder,
                      ui::WorkerPtr<BackupWorker>& worker) {
    // A second run beside the first would stop it half way (the page keeps
    // one worker), so the first one finishes.
    if (worker && !worker->Ended()) {
        platform::dialogs::ShowBox(owner, "A backup point is still being made or restored. Try again when it is done.",
                                   ui::kApplicationTitle, platform::dialogs::BoxKind::Warning);
        return false;
    }
    dialog.ShowPage(BackupDialog::kBackupPage);
    if (dialog.ShowFor(owner, backupFolder) != IDOK) return false;
    if (dialog.ClosedPage() == BackupDialog::kBackupPage) {
        if (!backup::AnyRootTicked(dialog.RootFlags())) {
            TellNothingTicked(owner);
            return false;
        }
        worker.reset(new BackupWorker(owner, BackupWorker::kMakePoint, "", backupFolder, dialog.RootFlags()));
        return true;
    }
    if (dialog.ClosedPoint().empty()) return false;
    if (!ConfirmRestore(owner, backupFolder, dialog.ClosedPoint())) return false;
    worker.reset(new BackupWorker(owner, BackupWorker::kRestorePoint, dialog.ClosedPoint(), backupFolder,
                                   dialog.RootFlags()));
    return true;
}

}  // namespace gui
