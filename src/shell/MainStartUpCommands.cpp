// TfrmMain: the editing commands of the StartUp page: Add, Delete, On/Off,
// Edit, Info, the check-box handler and moving entries by drag and drop.
#include "shell/MainUnit.h"

#include "common/Common.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"

TfrmSuAddValue& TfrmMain::frmSuAddValue() {
    if (!addValueForm_) addValueForm_ = std::make_unique<TfrmSuAddValue>();
    return *addValueForm_;
}

TfrmSuProgrammInfo& TfrmMain::frmSuProgrammInfo() {
    if (!infoForm_)
        infoForm_ = std::make_unique<TfrmSuProgrammInfo>(*versionInfo_, [this] { aSuUpdateExecute(); });
    return *infoForm_;
}

bool TfrmMain::SuRowEntry(int row, RunEntry& entry) const {
    // Name, Location, Root Key and Section; rows of other sources have fewer.
    if (row < 0 || RowSubItemCount(lvSuValues.Data(row)) < 3) return false;
    entry = RunEntry{lvSuValues.Text(row, 0), lvSuValues.Text(row, 1), lvSuValues.Text(row, 2), lvSuValues.Text(row, 3)};
    return true;
}

bool TfrmMain::SelectedSuEntry(RunEntry& entry, bool& active) const {
    const int row = lvSuValues.Selected();
    if (!SuRowEntry(row, entry)) return false;
    active = lvSuValues.Checked(row);
    return true;
}

void TfrmMain::aSuAddExecute() {
    if (CurrentPage != kPageStartUp || !actions_.Enabled(aSuUpdate)) return;
    const int position = SelectedSuPosition();
    if (position >= kSuRegistry && position <= kSuRunServiceOnce) {
        frmSuAddValue().ShowModal(Handle());
    } else if (position == kSuAutostart) {
        platform::dialogs::FileDialogRequest request;
        request.filter = kProgramFileFilter;
        if (platform::dialogs::RunFileDialog(Handle(), request)) CreateStartupShortcut(request.fileName);
    }
    aSuUpdateExecute();
}

void TfrmMain::aSuDeleteExecute() {
    if (CurrentPage != kPageStartUp) return;
    const int row = lvSuValues.Selected();
    if (row < 0) return;
    const std::string name = lvSuValues.Text(row, 0);
    const int answer = platform::dialogs::ShowBox(Handle(), "Delete " + name + "?", ui::kApplicationTitle,
                                                  platform::dialogs::BoxKind::Confirm);
    if (answer == IDYES) {
        const int position = SelectedSuPosition();
        if (position == kSuAutostart) {
            platform::files::DeleteFilePath(lvSuValues.Text(row, 1) + name + ".lnk");
        } else if (position >= kSuRegistry && position <= kSuRunServiceOnce) {
            const std::string section = lvSuValues.Text(row, 3);
            DeleteRunValue(lvSuValues.Text(row, 2), lvSuValues.Checked(row) ? section : section + kSwitchedOffSuffix,
                           name);
        }
        RelistSuSection();
    }
    aSuUpdateExecute();
}

void TfrmMain::aSuCheckExecute() {
    if (CurrentPage != kPageStartUp) return;
    const int row = lvSuValues.Selected();
    RunEntry entry;
    bool active = false;
    if (!SelectedSuEntry(entry, active)) return;
    SwitchEntry(entry, active);
    lvSuValues.SetChecked(row, !active);  // the check-box handler applies the new state
}

void TfrmMain::SuValuesTickChanged(int row) {
    RunEntry entry;
    if (SuRowEntry(row, entry)) SwitchEntry(entry, lvSuValues.Checked(row));
}

void TfrmMain::aSuEditExecute() {
    if (CurrentPage != kPageStartUp || !actions_.Enabled(aSuEdit)) return;
    const std::string commandLine = EditCommandLine(SelectedSuPosition());
    if (!commandLine.empty()) RunProgram(commandLine, SW_RESTORE);
}

void TfrmMain::aSuInfoExecute() {
    const int row = lvSuValues.Selected();
    if (CurrentPage == kPageStartUp && actions_.Enabled(aSuInfo) && row >= 0) {
        ProgramInfoPath =
            ::ProgramInfoPath(SelectedSuPosition(), lvSuValues.Text(row, 0), lvSuValues.Text(row, 1), *versionInfo_);
        const std::string active = RowSubItemCount(lvSuValues.Data(row)) >= 4 ? lvSuValues.Text(row, 4) : "";
        frmSuProgrammInfo().ShowFor(Handle(), ProgramInfoPath, active);  // its close runs Update
        return;
    }
    aSuUpdateExecute();
}

// ---- drag and drop ---------------------------------------------------------

void TfrmMain::SuBeginDrag() {
    suDragging_ = true;
    SetCapture(Handle());
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void TfrmMain::SuDragMove(POINT screen) {
    TVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(tvSuSections.Handle(), &hit.pt);
    HTREEITEM node = TreeView_HitTest(tvSuSections.Handle(), &hit);
    TreeView_SelectDropTarget(tvSuSections.Handle(), (hit.flags & TVHT_ONITEM) ? node : nullptr);
    SetCursor(LoadCursor(nullptr, node ? IDC_ARROW : IDC_NO));
}

void TfrmMain::SuEndDrag(bool drop) {
    suDragging_ = false;
    HTREEITEM target = TreeView_GetDropHilight(tvSuSections.Handle());
    TreeView_SelectDropTarget(tvSuSections.Handle(), nullptr);
    if (GetCapture() == Handle()) ReleaseCapture();
    if (drop && target) SuDropOnNode(target);
}

void TfrmMain::SuDropOnNode(HTREEITEM node) {
    RunEntry entry;
    bool active = false;
    if (!node || !SelectedSuEntry(entry, active)) return;
    const int position = static_cast<int>(tvSuSections.Data(node));
    const std::string target = tvSuSections.Caption(node);
    // Only run-key entries move, and only onto another run key: a file node
    // has no key, and a row without a root would land under HKEY_CLASSES_ROOT.
    if (position < kSuRun || position > kSuRunServiceOnce || target == entry.section) return;
    if (!IsStartupRootName(entry.rootName) || !IsRunSectionName(entry.section)) return;
    MoveRunEntry(entry, active, target);
    RelistSuSection();
    SortListAgain(lvSuValues.Handle());
    RefreshView();
}
