// ProgramInfoDialog: the version data of a startup entry's program, whether
// it runs, the modules of its process, and Run and Kill.
#pragma once

#include "common/FileVersionInfo.h"
#include "ui/Controls.h"
#include "ui/ModalDialog.h"

#include <functional>
#include <string>

namespace gui {

class ProgramInfoDialog : public ui::ModalDialog {
public:
    static constexpr int kClientWidth = 467;
    static constexpr int kClientHeight = 454;

    // info: the main window's version object; onClose: the StartUp page's Update.
    ProgramInfoDialog(FileVersionInfo& info, std::function<void()> onClose);

    // Describes path; active is the Active value of the selected row ("" when
    // the row has none).
    int ShowFor(HWND owner, const std::string& path, const std::string& active);

    void RunClick();
    void KillClick();
    void ShowModulesPage();
    void ShowCommonPage();

    // Components, for tests.
    HWND edtLocation = nullptr, lblActive = nullptr, pgcFileInfo = nullptr;
    HWND btnRun = nullptr, btnKill = nullptr, btnOk = nullptr;
    ui::ListView lvFileinfo, lvModules;
    bool ModulesTabVisible() const { return modulesTab_; }
    std::string ActiveText() const;

    static constexpr int kIdRun = 400, kIdKill = 401, kIdOk = IDOK;

protected:
    void CreateControls(HWND owner) override;
    void FormActivate() override;
    void FormClose(int result) override;
    bool OnCommand(int id, int code) override;
    LRESULT OnNotify(NMHDR* header) override;

private:
    void FillCommonInfo();
    void SetActive(const std::string& active);
    void SetButtons();
    void SetModulesTab(bool visible);
    void EndProgram(const std::string& location);

    FileVersionInfo& info_;
    std::function<void()> onClose_;
    std::string path_, active_;
    bool modulesTab_ = true;
};

}  // namespace gui
