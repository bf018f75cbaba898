// The title strip and its four title buttons.
#include "gui/TitleStrip.h"

#include "resource.h"
#include "ui/Gdi.h"

namespace gui {

namespace {

constexpr const char* kClassName = "OrvTitleStrip";
constexpr int kButtonTop = 44;
constexpr int kButtonWidth = 129;
constexpr int kButtonHeight = 23;
constexpr int kButtonLeft[kPageCount] = {256, 391, 526, 661};
constexpr int kHotBitmaps[kPageCount] = {IDB_STARTUP_HOT, IDB_REGISTRY_HOT, IDB_HISTORY_HOT,
                                         IDB_ABOUT_HOT};
constexpr int kDisBitmaps[kPageCount] = {IDB_STARTUP_DIS, IDB_REGISTRY_DIS, IDB_HISTORY_DIS,
                                         IDB_ABOUT_DIS};

HGDIOBJ LoadPicture(int id) {
    return LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0,
                      LR_DEFAULTCOLOR);
}

void DrawBitmap(HDC target, HDC source, HGDIOBJ bitmap, int x, int y, int width, int height,
                int sourceWidth, int sourceHeight) {
    const ui::SelectedObject selected(source, bitmap);
    StretchBlt(target, x, y, width, height, source, 0, 0, sourceWidth, sourceHeight, SRCCOPY);
}

}  // namespace

TitleStrip::TitleStrip(HWND parent, int width, int dpi, std::function<void(int)> onClick)
    : width_(width), dpi_(dpi), onClick_(std::move(onClick)) {
    RegisterWindowClass(kClassName, nullptr, nullptr);
    title_.Reset(LoadPicture(IDB_TITLE));
    titleLine_.Reset(LoadPicture(IDB_TITLELINE));
    for (int page = 0; page < kPageCount; ++page) {
        Button& button = buttons_[page];
        button.hot.Reset(LoadPicture(kHotBitmaps[page]));
        button.dis.Reset(LoadPicture(kDisBitmaps[page]));
    }
    PlaceButtons();
    CreateInstance(kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, Scale(width),
                   Scale(kHeight), parent, nullptr);
}

void TitleStrip::PlaceButtons() {
    for (int page = 0; page < kPageCount; ++page)
        buttons_[page].rect = {Scale(kButtonLeft[page]), Scale(kButtonTop), Scale(kButtonLeft[page] + kButtonWidth),
                               Scale(kButtonTop + kButtonHeight)};
}

void TitleStrip::SetDpi(int dpi) {
    dpi_ = dpi;
    PlaceButtons();
    SetWindowPos(Handle(), nullptr, 0, 0, Scale(width_), Scale(kHeight), SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TitleStrip::UpdatePictures(int currentPage) {
    current_ = currentPage;
    for (int page = 0; page < kPageCount; ++page) {
        if (page == currentPage) {
            buttons_[page].hotVisible = false;
            buttons_[page].disVisible = false;
        } else {
            buttons_[page].hotVisible = true;
        }
    }
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TitleStrip::ShowDisPictures() {
    bool changed = false;
    for (int page = 0; page < kPageCount; ++page) {
        if (page == current_ || buttons_[page].disVisible) continue;
        buttons_[page].disVisible = true;
        changed = true;
    }
    if (changed) InvalidateRect(Handle(), nullptr, FALSE);
}

int TitleStrip::ButtonAt(POINT point) const {
    for (int page = 0; page < kPageCount; ++page) {
        const Button& button = buttons_[page];
        if ((button.hotVisible || button.disVisible) && PtInRect(&button.rect, point)) return page;
    }
    return -1;
}

void TitleStrip::PointerAt(POINT point) {
    const int over = ButtonAt(point);
    for (int page = 0; page < kPageCount; ++page) {
        if (page == over || page == current_ || buttons_[page].disVisible) continue;
        buttons_[page].disVisible = true;  // the pointer left this hot picture
        InvalidateRect(Handle(), &buttons_[page].rect, FALSE);
    }
    if (over >= 0 && buttons_[over].disVisible) {
        buttons_[over].disVisible = false;  // entering uncovers the hot picture
        InvalidateRect(Handle(), &buttons_[over].rect, FALSE);
    }
}

void TitleStrip::ClickAt(POINT point) {
    const int page = ButtonAt(point);
    if (page >= 0 && onClick_) onClick_(page);
}

void TitleStrip::Paint(HDC dc) {
    RECT client{};
    GetClientRect(Handle(), &client);
    const platform::GdiHandle canvas(CreateCompatibleBitmap(dc, client.right, client.bottom));
    const ui::MemoryDc bufferDc(CreateCompatibleDC(dc)), sourceDc(CreateCompatibleDC(dc));
    const ui::SelectedObject selectedCanvas(bufferDc.Get(), canvas.Get());
    const HDC buffer = bufferDc.Get(), source = sourceDc.Get();
    BITMAP info{};
    GetObjectA(titleLine_.Get(), sizeof(info), &info);
    // Scaled pictures are drawn with averaging, so they stay smooth.
    SetStretchBltMode(buffer, dpi_ == ui::kBaseDpi ? COLORONCOLOR : HALFTONE);
    SetBrushOrgEx(buffer, 0, 0, nullptr);
    DrawBitmap(buffer, source, titleLine_.Get(), 0, 0, client.right, client.bottom, info.bmWidth,
               info.bmHeight);
    GetObjectA(title_.Get(), sizeof(info), &info);
    DrawBitmap(buffer, source, title_.Get(), 0, 0, Scale(info.bmWidth), Scale(info.bmHeight), info.bmWidth,
               info.bmHeight);
    for (const Button& button : buttons_) {
        HGDIOBJ picture = button.disVisible ? button.dis.Get()
                          : button.hotVisible ? button.hot.Get()
                                              : nullptr;
        if (picture)
            DrawBitmap(buffer, source, picture, button.rect.left, button.rect.top,
                       button.rect.right - button.rect.left, button.rect.bottom - button.rect.top, kButtonWidth,
                       kButtonHeight);
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
}

LRESULT TitleStrip::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        const ui::PaintDc dc(Handle());
        Paint(dc.Get());
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: {
        if (!tracking_) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
            tracking_ = TrackMouseEvent(&track) != FALSE;
        }
        PointerAt(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    }
    case WM_MOUSELEAVE:
        tracking_ = false;
        ShowDisPictures();
        return 0;
    case WM_SETCURSOR: {
        POINT point{};
        GetCursorPos(&point);
        ScreenToClient(Handle(), &point);
        if (ButtonAt(point) >= 0) {
            SetCursor(LoadCursor(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    case WM_LBUTTONUP:
        ClickAt(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    }
    return DefaultProcedure(message, wParam, lParam);
}

}  // namespace gui
