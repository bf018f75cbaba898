// The title picture of the program's dialogs.
#include "ui/TitlePicture.h"

#include "resource.h"
#include "ui/Dpi.h"
#include "ui/Gdi.h"

namespace ui {

namespace {

platform::GdiHandle TitleFont(int pixels) {
    return platform::GdiHandle(CreateFontA(-pixels, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                                           "Tahoma"));
}

void DrawTitleLine(HDC dc, int width, int height) {
    const platform::GdiHandle line(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TITLELINE), IMAGE_BITMAP, 0, 0, 0));
    if (!line) return;
    const MemoryDc source(CreateCompatibleDC(dc));
    const SelectedObject selected(source.Get(), line.Get());
    BITMAP info{};
    GetObjectA(line.Get(), sizeof(info), &info);
    StretchBlt(dc, 0, 0, width, height, source.Get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
}

void DrawLine(HDC dc, HGDIOBJ font, COLORREF colour, int x, int y, const std::string& text) {
    const SelectedObject selected(dc, font);
    SetTextColor(dc, colour);
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

void PaintTitlePicture(HDC dc, int width, const std::string& caption, const std::string& secondLine, int dpi) {
    auto scale = [dpi](int pixels) { return ScaleForDpi(pixels, dpi); };
    DrawTitleLine(dc, width, scale(kTitlePictureHeight));
    const platform::GdiHandle accent(CreateSolidBrush(RGB(255, 162, 0)));
    RECT bar{scale(16), scale(14), scale(22), scale(54)};
    FillRect(dc, &bar, static_cast<HBRUSH>(accent.Get()));
    SetBkMode(dc, TRANSPARENT);
    const platform::GdiHandle big = TitleFont(scale(26)), small = TitleFont(scale(14));
    DrawLine(dc, big.Get(), RGB(255, 255, 255), scale(32), scale(10), caption);
    DrawLine(dc, small.Get(), RGB(255, 162, 0), scale(34), scale(40), secondLine);
}

}  // namespace ui
