// AddEntryDialog: the dialog that adds a program to a run key.
#pragma once

#include "gui/ElevationOffer.h"
#include "ui/ModalDialog.h"

#include <string>

namespace gui {

class AddEntryDialog : public ui::ModalDialog {
public:
    static constexpr int kClientWidth = 449;
    static constexpr int kClientHeight = 197;

    HWND cbxSection = nullptr;
    HWND cbxRootKey = nullptr;
    HWND edtValueName = nullptr;
    HWND edtValueLocation = nullptr;

    // Shows the dialog empty (no name or location left from the last use)
    // with section, the run key chosen in the tree, as its key.
    int ShowFor(HWND owner, const std::string& section);

    // The "Add" button: refuses texts no list could show (with a message,
    // keeping the dialog open), else adds the value and closes with OK. A
    // name the key already holds (or a key that cannot be written) adds
    // nothing: the user is told and the dialog stays for another name.
    void AddClick();
    // Told the refusal when a machine-wide key cannot be written: offers
    // the restart as administrator over the dialog (owner), true when it
    // is under way, and then the dialog closes.
    void SetElevationOffer(ElevationOffer offer) { offerElevation_ = std::move(offer); }
    // The "..." button: a file chosen in the open dialog becomes the location.
    void BrowseClick();

    static constexpr int kIdAdd = IDOK;
    static constexpr int kIdCancel = IDCANCEL;
    static constexpr int kIdBrowse = 300;

protected:
    void CreateControls(HWND owner) override;
    void FormActivate() override;
    bool OnCommand(int id, int code) override;

private:
    std::string section_ = "Run";
    ElevationOffer offerElevation_;
};

// The filter of the program's open dialog.
constexpr const char* kProgramFileFilter = "Programm Files (*.exe)|*.exe|All Files (*.*)|*.*";

}  // namespace gui
