// BackupDialog: the BackUp/Restore dialog (the roots to save in a new backup
// point, or the point to restore, listed with what made each) and the
// command that shows it and starts the worker. Its Add with no root ticked
// says so and stays open; Ctrl+Tab and Ctrl+Shift+Tab switch its pages.
#pragma once

#include "gui/backup/BackupWorker.h"
#include "ui/Controls.h"
#include "ui/ModalDialog.h"

#include <string>
#include <vector>

namespace gui {

class BackupDialog : public ui::ModalDialog {
public:
    static constexpr int kClientWidth = 313;
    static constexpr int kClientHeight = 290;
    enum : int { kBackupPage = 0, kRestorePage = 1 };

    // Shows the dialog over the points inside backupFolder.
    int ShowFor(HWND owner, const std::string& backupFolder);

    // The page shown, and a page shown as a click on its tab would.
    int ActivePage() const;
    void ShowPage(int page);
    // The root boxes, in the order of backup::kBackupRootKeyNames.
    bool RootChecked(size_t root) const;
    void SetRootChecked(size_t root, bool checked);
    // Selects the listed point with that caption; false when none is listed.
    bool SelectPoint(const std::string& name);
    std::vector<std::string> ListedPoints() const;
    // The description listed beside the point with that caption ("" when
    // it has none or is not listed).
    std::string ListedDescription(const std::string& name) const;

    // Recorded when the dialog closes, whatever its result: the page it was
    // closed on, the caption of the point then selected ("" for none), and
    // the box states of the last close on the Backup page.
    int ClosedPage() const { return closedPage_; }
    const std::string& ClosedPoint() const { return closedPoint_; }
    const backup::BackupRootFlags& RootFlags() const { return rootFlags_; }
    // The boxes ticked now.
    backup::BackupRootFlags TickedRoots() const;

    // Components.
    HWND pgcBackup = nullptr;
    HWND CheckBox1 = nullptr, CheckBox2 = nullptr, CheckBox3 = nullptr, CheckBox4 = nullptr, CheckBox5 = nullptr;
    HWND bbtnOK = nullptr, bbtnCancel = nullptr;
    ui::ListView lvBackupPoints;
    HWND BitBtn1 = nullptr, BitBtn2 = nullptr;

    static constexpr int kIdBackupOk = IDOK, kIdBackupCancel = IDCANCEL;
    static constexpr int kIdRestoreOk = 501, kIdRestoreCancel = 502;

protected:
    void CreateControls(HWND owner) override;
    void FormActivate() override;
    void FormClose(int result) override;
    bool OnCommand(int id, int code) override;
    LRESULT OnNotify(NMHDR* header) override;
    bool PreTranslateMessage(const MSG& message) override;

private:
    HWND RootBox(size_t root) const;
    void ListPoints();
    int RowOfPoint(const std::string& name) const;

    std::string backupFolder_;
    int closedPage_ = kBackupPage;
    std::string closedPoint_;
    backup::BackupRootFlags rootFlags_{};
};

// Before a restore: asks whether to write the point's roots over the
// registry (No the default), warning first when the point has no manifest
// (made by hand or by an earlier version) and so cannot be checked. True to
// go on (also for a point that is gone, which the restore reports).
bool ConfirmRestore(HWND owner, const std::string& backupFolder, const std::string& pointName);

// The BackUp\Restore command of the Registry page: shows the dialog on its
// Backup page and starts what the answer asks for into worker: a new point
// of the ticked roots (OK on Backup; with none ticked the user is told and
// nothing is made), or the restore of the selected point (OK on Restore,
// once the user agreed in ConfirmRestore). Nothing starts on Cancel or with
// no point selected. While the worker of an earlier command still runs, the
// user is told so and the dialog does not open. True when a worker was started.
bool RunBackupCommand(HWND owner, BackupDialog& dialog, const std::string& backupFolder,
                      ui::WorkerPtr<BackupWorker>& worker);

}  // namespace gui
