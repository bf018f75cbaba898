// AddEntryDialog: the dialog that adds a program to a run key.
#include "gui/startup/AddEntryDialog.h"

#include "platform/Dialogs.h"
#include "startup/StartUpFunctions.h"
#include "ui/TitlePicture.h"

#include <vector>

namespace gui {

using namespace startup;

namespace {

enum : int { kIdSection = 301, kIdRootKey, kIdName, kIdLocation };

constexpr const char* kInitialRootKey = "HKEY_LOCAL_MACHINE";

void AddItems(HWND combo, const std::vector<const char*>& items, const char* text) {
    for (const char* item : items) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SetWindowTextA(combo, text);
}

// The run keys' names, in the tree's order.
std::vector<const char*> RunKeyNames() {
    std::vector<const char*> names;
    for (const StartupSource* source : RunKeySources()) names.push_back(source->runKey);
    return names;
}

}  // namespace

void AddEntryDialog::CreateControls(HWND owner) {
    CreateFrame("Add New Value to StartUp", kClientWidth, kClientHeight, owner);
    SetTitlePicture("Add Value", "to StartUp");
    const int top = ui::kTitlePictureHeight + 12;
    AddControl("STATIC", "Section:", SS_RIGHT, 8, top + 3, 60, 16, -1);
    cbxSection = AddControl("COMBOBOX", "", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 74, top, 140, 160,
                            kIdSection);
    AddControl("STATIC", "Root Key:", SS_RIGHT, 222, top + 3, 56, 16, -1);
    cbxRootKey = AddControl("COMBOBOX", "", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 284, top, 157, 160, kIdRootKey);
    AddControl("STATIC", "Name:", SS_RIGHT, 8, top + 33, 60, 16, -1);
    edtValueName = AddControl("EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, 74, top + 30, 367, 21, kIdName,
                              WS_EX_CLIENTEDGE);
    AddControl("STATIC", "Location:", SS_RIGHT, 8, top + 61, 60, 16, -1);
    edtValueLocation = AddControl("EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, 74, top + 58, 337, 21, kIdLocation,
                                  WS_EX_CLIENTEDGE);
    AddControl("BUTTON", "...", BS_PUSHBUTTON | WS_TABSTOP, 415, top + 57, 26, 23, kIdBrowse);
    AddControl("BUTTON", "Add", BS_DEFPUSHBUTTON | WS_TABSTOP, 285, kClientHeight - 31, 75, 23, kIdAdd);
    AddControl("BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 366, kClientHeight - 31, 75, 23, kIdCancel);
    AddItems(cbxSection, RunKeyNames(), "Run");
    AddItems(cbxRootKey, {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"}, kInitialRootKey);
}

void AddEntryDialog::AddClick() {
    const std::string root = ui::ControlText(cbxRootKey), section = ui::ControlText(cbxSection);
    const std::string name = ui::ControlText(edtValueName);
    const std::string problem = AddRunValueProblem(root, section, name);
    if (!problem.empty()) {
        platform::dialogs::ShowBox(Handle(), problem, ui::kApplicationTitle, platform::dialogs::BoxKind::Warning);
        return;
    }
    const RunAddOutcome outcome = AddNewRunValue(root, section, name, ui::ControlText(edtValueLocation));
    if (outcome == RunAddOutcome::Added) {
        EndModal(IDOK);
        return;
    }
    // Nothing was written: closing now would look like success. A machine-
    // wide key is one for administrators: the user may restart Orvelin so,
    // and the frame then closes behind this dialog.
    const std::string text = RunAddOutcomeText(outcome, root, section, name);
    if (outcome == RunAddOutcome::NotWritable && root == "HKEY_LOCAL_MACHINE" && offerElevation_) {
        if (offerElevation_(text, Handle(), platform::dialogs::BoxKind::Warning)) {
            EndModal(IDCANCEL);
            return;
        }
    } else {
        platform::dialogs::ShowBox(Handle(), text, ui::kApplicationTitle, platform::dialogs::BoxKind::Warning);
    }
    SetFocus(edtValueName);
    SendMessageA(edtValueName, EM_SETSEL, 0, -1);
}

int AddEntryDialog::ShowFor(HWND owner, const std::string& section) {
    section_ = section;
    return ShowModal(owner);
}

void AddEntryDialog::FormActivate() {
    // Each use starts afresh: a name left from the last use would be added
    // again, or refused as one the key already holds.
    SetWindowTextA(cbxSection, section_.c_str());
    SetWindowTextA(cbxRootKey, kInitialRootKey);
    SetWindowTextA(edtValueName, "");
    SetWindowTextA(edtValueLocation, "");
}

void AddEntryDialog::BrowseClick() {
    platform::dialogs::FileDialogRequest request;
    request.filter = kProgramFileFilter;
    if (platform::dialogs::RunFileDialog(Handle(), request)) SetWindowTextA(edtValueLocation, request.fileName.c_str());
}

bool AddEntryDialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED && code != 0) return false;
    switch (id) {
    case kIdAdd: AddClick(); return true;
    case kIdCancel: EndModal(IDCANCEL); return true;
    case kIdBrowse: BrowseClick(); return true;
    }
    return false;
}

}  // namespace gui
