// The title picture of the program's dialogs.
#include "ui/TitlePicture.h"

#include "resource.h"
#include "ui/Dpi.h"

namespace ui {

void PaintTitlePicture(HDC dc, int width, const std::string& caption, const std::string& secondLine, int dpi) {
    auto scale = [dpi](int pixels) { return ScaleForDpi(pixels, dpi); };
    HBITMAP line = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TITLELINE), IMAGE_BITMAP, 0, 0, 0));
    if (line) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, line);
        BITMAP info{};
        GetObjectA(line, sizeof(info), &info);
        StretchBlt(dc, 0, 0, width, scale(kTitlePictureHeight), source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
        DeleteObject(line);
    }
    HBRUSH accent = CreateSolidBrush(RGB(255, 162, 0));
    RECT bar{scale(16), scale(14), scale(22), scale(54)};
    FillRect(dc, &bar, accent);
    DeleteObject(accent);
    SetBkMode(dc, TRANSPARENT);
    HFONT big = CreateFontA(-scale(26), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, "Tahoma");
    HFONT small = CreateFontA(-scale(14), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, "Tahoma");
    HGDIOBJ oldFont = SelectObject(dc, big);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, scale(32), scale(10), caption.c_str(), static_cast<int>(caption.size()));
    SelectObject(dc, small);
    SetTextColor(dc, RGB(255, 162, 0));
    TextOutA(dc, scale(34), scale(40), secondLine.c_str(), static_cast<int>(secondLine.size()));
    SelectObject(dc, oldFont);
    DeleteObject(big);
    DeleteObject(small);
}

}  // namespace ui
