// A modal window in the manner of a form's ShowModal: created on first use
// and kept, centred on its owner, the owner disabled while it shows, Tab and
// Esc handled as in dialogs. Tests answer it through SetModalHandler.
#pragma once

#include "platform/Handles.h"
#include "ui/Dpi.h"
#include "ui/FocusMemory.h"
#include "ui/Window.h"

#include <functional>
#include <string>

namespace ui {

class ModalDialog : public Window {
public:
    // The window goes first: its controls still use the font.
    ~ModalDialog() override;

    // Shows the dialog and returns its modal result (IDOK, IDCANCEL).
    int ShowModal(HWND owner);
    // Ends the modal loop with the result; the dialog hides.
    void EndModal(int result);
    // From the show until EndModal (or the close of the window).
    bool Showing() const { return showing_ && !ended_; }
    // The control that has the focus when the dialog opens: the first field
    // in the Tab order (an edit box, combo box, list, tree or check box), or
    // the first control there when it holds only buttons.
    HWND FirstField() const;

    // Stands in for the modal loop: it gets the dialog once it is ready to
    // show and returns the result (it may press the dialog's buttons, which
    // end the dialog through EndModal).
    using ModalHandler = std::function<int(ModalDialog&)>;
    static void SetModalHandler(ModalHandler handler);

protected:
    // Creates the frame window with the given client size (once). Sizes and
    // positions are 96-DPI pixels; they scale with the owner's DPI.
    void CreateFrame(const std::string& caption, int clientWidth, int clientHeight, HWND owner);
    virtual void CreateControls(HWND owner) = 0;  // on first use
    virtual void FormActivate() {}                 // each time it shows
    virtual void FormClose(int /*result*/) {}      // each time it closes
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual bool OnCommand(int id, int code) = 0;
    virtual LRESULT OnNotify(NMHDR*) { return 0; }
    // A message of the modal loop before the dialog's keyboard handling
    // (Tab, Esc, Enter) sees it; true when it was used up.
    virtual bool PreTranslateMessage(const MSG&) { return false; }

    // The 68-pixel title picture painted across the top of the dialog.
    void SetTitlePicture(const std::string& caption, const std::string& secondLine);

    HWND AddControl(const char* className, const char* text, DWORD style, int x, int y, int width, int height,
                    int id, DWORD exStyle = 0);
    HFONT Font() const { return static_cast<HFONT>(font_.Get()); }
    int Scale(int pixels) const { return layout_.Scale(pixels); }
    // A size in the dialog's pixels back in 96-DPI pixels.
    int Unscale(int pixels) const { return MulDiv(pixels, kBaseDpi, layout_.Dpi()); }

private:
    void CenterOn(HWND owner);
    void SizeFrame();
    void ApplyDpi(int dpi);

    DpiLayout layout_;
    int clientWidth_ = 0, clientHeight_ = 0;
    platform::GdiHandle font_;
    std::string titleCaption_, titleSecondLine_;
    bool showing_ = false;
    bool ended_ = false;
    FocusMemory lastFocus_;  // the control that had the focus when the dialog was left
    int result_ = IDCANCEL;
};

// The text of a control (edit, combo box, static).
std::string ControlText(HWND control);

}  // namespace ui
