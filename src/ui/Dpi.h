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

// How a placed control follows the window when its client area differs from
// the default (96-DPI) size, and when a splitter of its group moved.
enum Anchor : unsigned {
    kAnchorFixed = 0,
    kGrowRight = 1u << 0,    // the right edge follows the window's right edge
    kGrowDown = 1u << 1,     // the bottom edge follows the window's bottom edge
    kMoveRight = 1u << 2,    // moves with the right edge, width kept
    kMoveDown = 1u << 3,     // moves with the bottom edge, height kept
    kGrowSplit = 1u << 4,    // the right edge follows its group's splitter
    kFollowSplit = 1u << 5,  // moves with its group's splitter
    kShrinkSplit = 1u << 6,  // the right edge stays while the left follows the splitter
};

class DpiLayout {
public:
    int Dpi() const { return dpi_; }
    void SetDpi(int dpi) { dpi_ = dpi > 0 ? dpi : kBaseDpi; }
    int Scale(int pixels) const { return ScaleForDpi(pixels, dpi_); }
    int Unscale(int pixels) const { return MulDiv(pixels, kBaseDpi, dpi_); }

    // The client size the 96-DPI places are made for (the window's default).
    void SetBaseClient(int width, int height) { baseWidth_ = width, baseHeight_ = height; }
    // The client size the window has now, in its pixels; anchored controls
    // follow the difference to the scaled base size.
    void SetClientSize(int width, int height) { clientWidth_ = width, clientHeight_ = height; }
    SIZE ClientExtra() const;
    // How far (96-DPI pixels) a group's splitter stands from its place.
    void SetSplit(int group, int offset);
    int Split(int group) const;

    // Places the control at the 96-DPI rectangle scaled to the current DPI,
    // moved as its anchors say, and remembers it; returns the control.
    HWND Place(HWND control, int x, int y, int width, int height, unsigned anchors = kAnchorFixed, int group = -1);
    // Places every remembered control again (at the current DPI and size).
    void Apply() const;
    // The rectangle (left, top, right, bottom in the parent's pixels) the
    // layout gives the control now; empty when it was never placed.
    RECT PlaceOf(HWND control) const;

private:
    struct Entry {
        HWND control;
        RECT base;  // left, top, width, height at 96 DPI
        unsigned anchors;
        int group;
    };
    RECT Placed(const Entry& entry) const;

    int dpi_ = kBaseDpi;
    int baseWidth_ = 0, baseHeight_ = 0;
    int clientWidth_ = -1, clientHeight_ = -1;
    std::vector<std::pair<int, int>> splits_;  // group, offset
    std::vector<Entry> entries_;
};

}  // namespace ui
