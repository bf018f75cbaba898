// The one scaling step from the program's 96-DPI pixel sizes to the DPI of
// the window, and a layout that remembers every control's 96-DPI place so
// the window can be laid out again when it moves to a monitor of another DPI.
#pragma once

#include <windows.h>

#include <vector>

namespace ui {

constexpr int kBaseDpi = 96;

// The DPI the window is shown at: the window's own where the system knows it
// (per-monitor awareness), else the screen's.
int WindowDpi(HWND window);

// The window size that gives the window a client area of the size, with
// the caption and borders the system draws for it now.
SIZE FrameSizeForClient(HWND window, int clientWidth, int clientHeight);

inline int ScaleForDpi(int pixels, int dpi) { return MulDiv(pixels, dpi, kBaseDpi); }

// A font of the face and point size as the DPI shows it.
HFONT CreatePointFont(const char* face, int points, int weight, int dpi);
// Gives every child window of the parent the font.
void SetFontOnChildren(HWND parent, HFONT font, bool redraw);

class DpiLayout {
public:
    int Dpi() const { return dpi_; }
    void SetDpi(int dpi) { dpi_ = dpi > 0 ? dpi : kBaseDpi; }
    int Scale(int pixels) const { return ScaleForDpi(pixels, dpi_); }

    // Places the control at the 96-DPI rectangle scaled to the current DPI
    // and remembers it; returns the control.
    HWND Place(HWND control, int x, int y, int width, int height);
    // Places every remembered control again at the current DPI.
    void Apply() const;

private:
    struct Entry {
        HWND control;
        RECT base;  // left, top, width, height at 96 DPI
    };
    int dpi_ = kBaseDpi;
    std::vector<Entry> entries_;
};

}  // namespace ui
