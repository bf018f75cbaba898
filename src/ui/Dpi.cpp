// DPI scaling of positions and sizes.
#include "ui/Dpi.h"

namespace ui {

namespace {

// Both calls arrived with Windows 10; older systems (and the headers of the
// Windows 7 target we build for) lack them, so they are looked up at run time.
template <typename Function>
Function User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (window && getDpiForWindow) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return ScreenDpi();
}

HFONT CreatePointFont(const char* face, int points, int weight, int dpi) {
    return CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

void SetFontOnChildren(HWND parent, HFONT font, bool redraw) {
    struct Request {
        HFONT font;
        BOOL redraw;
    } request{font, redraw ? TRUE : FALSE};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            const auto* r = reinterpret_cast<const Request*>(data);
            SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(r->font), r->redraw);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&request));
}

SIZE FrameSizeForClient(HWND window, int clientWidth, int clientHeight) {
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    return SIZE{(outer.right - outer.left) - client.right + clientWidth,
                (outer.bottom - outer.top) - client.bottom + clientHeight};
}

SIZE DpiLayout::ClientExtra() const {
    if (clientWidth_ < 0 || clientHeight_ < 0) return SIZE{0, 0};
    return SIZE{clientWidth_ - Scale(baseWidth_), clientHeight_ - Scale(baseHeight_)};
}

void DpiLayout::SetSplit(int group, int offset) {
    for (auto& split : splits_)
        if (split.first == group) {
            split.second = offset;
            return;
        }
    splits_.emplace_back(group, offset);
}

int DpiLayout::Split(int group) const {
    for (const auto& split : splits_)
        if (split.first == group) return split.second;
    return 0;
}

RECT DpiLayout::Placed(const Entry& entry) const {
    const SIZE extra = ClientExtra();
    const int split = Scale(Split(entry.group));
    const unsigned a = entry.anchors;
    // Edges scaled, not sizes: controls that meet at 96 DPI meet at any DPI,
    // and one that ends at the window's edge still ends there.
    int left = Scale(entry.base.left), top = Scale(entry.base.top);
    int width = Scale(entry.base.left + entry.base.right) - left;
    int height = Scale(entry.base.top + entry.base.bottom) - top;
    if (a & kGrowRight) width += extra.cx;
    if (a & kMoveRight) left += extra.cx;
    if (a & kGrowDown) height += extra.cy;
    if (a & kMoveDown) top += extra.cy;
    if (a & kGrowSplit) width += split;
    if (a & kFollowSplit) left += split;
    if (a & kShrinkSplit) width -= split;
    // A window smaller than the default (a work area too small for it)
    // squeezes what grows, down to nothing, never below.
    return RECT{left, top, left + (width > 0 ? width : 0), top + (height > 0 ? height : 0)};
}

HWND DpiLayout::Place(HWND control, int x, int y, int width, int height, unsigned anchors, int group) {
    if (!control) return control;
    entries_.push_back({control, RECT{x, y, width, height}, anchors, group});
    const RECT place = Placed(entries_.back());
    MoveWindow(control, place.left, place.top, place.right - place.left, place.bottom - place.top, FALSE);
    return control;
}

void DpiLayout::Apply() const {
    for (const Entry& entry : entries_) {
        if (!IsWindow(entry.control)) continue;
        const RECT place = Placed(entry);
        MoveWindow(entry.control, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
    }
}

RECT DpiLayout::PlaceOf(HWND control) const {
    for (const Entry& entry : entries_)
        if (entry.control == control) return Placed(entry);
    return RECT{};
}

}  // namespace ui
