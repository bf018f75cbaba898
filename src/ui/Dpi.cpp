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

HWND DpiLayout::Place(HWND control, int x, int y, int width, int height) {
    if (!control) return control;
    entries_.push_back({control, RECT{x, y, width, height}});
    MoveWindow(control, Scale(x), Scale(y), Scale(width), Scale(height), FALSE);
    return control;
}

void DpiLayout::Apply() const {
    for (const Entry& entry : entries_)
        if (IsWindow(entry.control))
            MoveWindow(entry.control, Scale(entry.base.left), Scale(entry.base.top), Scale(entry.base.right),
                       Scale(entry.base.bottom), TRUE);
}

}  // namespace ui
