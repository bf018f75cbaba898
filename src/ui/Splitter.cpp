// The vertical splitter.
#include "ui/Splitter.h"

namespace ui {

namespace {

constexpr const char* kClassName = "OrvSplitter";

}  // namespace

Splitter::Splitter(HWND parent, int id, std::function<void(int)> onDrag) : onDrag_(std::move(onDrag)) {
    RegisterWindowClass(kClassName, nullptr, nullptr, LoadCursor(nullptr, IDC_SIZEWE));
    CreateInstance(kClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, 0, parent,
                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
    // Above the two controls it lies over, which take the mouse otherwise.
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

Splitter::~Splitter() { DestroyHandle(); }

void Splitter::Press(int stripX) {
    grabOffset_ = stripX;
    dragging_ = true;
}

void Splitter::DragTo(int parentX) {
    if (!dragging_ || !onDrag_) return;
    RECT strip{};
    GetClientRect(Handle(), &strip);
    onDrag_(parentX - grabOffset_ + strip.right / 2);
}

void Splitter::Release() { dragging_ = false; }

LRESULT Splitter::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
        ValidateRect(Handle(), nullptr);  // the controls below show through
        return 0;
    case WM_LBUTTONDOWN:
        Press(static_cast<short>(LOWORD(lParam)));
        SetCapture(Handle());
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) {
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            MapWindowPoints(Handle(), GetParent(Handle()), &point, 1);
            DragTo(point.x);
        }
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == Handle()) ReleaseCapture();
        Release();
        return 0;
    case WM_CAPTURECHANGED:
        Release();
        return 0;
    }
    return DefaultProcedure(message, wParam, lParam);
}

}  // namespace ui
