// The control that had the focus when a window was left (a message box or a
// dialog opened over it), to give the focus back there as a dialog does.
#pragma once

#include <windows.h>

namespace ui {

class FocusMemory {
public:
    // Keeps the control with the focus now, when it is one of window's.
    void Note(HWND window) {
        const HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) kept_ = focus;
    }
    // The kept control while it is still within `within`, shown and enabled;
    // null otherwise.
    HWND Usable(HWND within) const {
        return kept_ && IsChild(within, kept_) && IsWindowVisible(kept_) && IsWindowEnabled(kept_) ? kept_ : nullptr;
    }
    void Forget() { kept_ = nullptr; }

private:
    HWND kept_ = nullptr;
};

}  // namespace ui
