// Picture strips scaled to the display.
#include "ui/Pictures.h"

#include "platform/Handles.h"
#include "ui/Dpi.h"
#include "ui/Gdi.h"

namespace ui {

namespace {

constexpr COLORREF kMaskColour = RGB(255, 0, 255);

// Scales a picture strip with nearest-neighbour sampling, so the mask
// colour stays exact and ImageList_AddMasked can cut it out.
HBITMAP ScaleBitmap(HBITMAP source, int width, int height) {
    BITMAP info{};
    GetObjectA(source, sizeof(info), &info);
    const WindowDc screen(nullptr);
    const MemoryDc from(CreateCompatibleDC(screen.Get())), to(CreateCompatibleDC(screen.Get()));
    platform::GdiHandle scaled(CreateCompatibleBitmap(screen.Get(), width, height));
    {
        const SelectedObject selectedFrom(from.Get(), source), selectedTo(to.Get(), scaled.Get());
        SetStretchBltMode(to.Get(), COLORONCOLOR);
        StretchBlt(to.Get(), 0, 0, width, height, from.Get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    return static_cast<HBITMAP>(scaled.Release());
}

}  // namespace

HIMAGELIST LoadImageStrip(int id, int size, int dpi) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (dpi == kBaseDpi)
        return ImageList_LoadImageA(instance, MAKEINTRESOURCEA(id), size, 0, kMaskColour, IMAGE_BITMAP,
                                    LR_CREATEDIBSECTION);
    platform::GdiHandle strip(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!strip) return nullptr;
    BITMAP info{};
    GetObjectA(strip.Get(), sizeof(info), &info);
    const int scaledSize = ScaleForDpi(size, dpi);
    const int count = info.bmWidth / size;
    platform::GdiHandle scaled(ScaleBitmap(static_cast<HBITMAP>(strip.Get()), scaledSize * count, scaledSize));
    HIMAGELIST list = ImageList_Create(scaledSize, scaledSize, ILC_COLOR32 | ILC_MASK, count, 4);
    if (list) ImageList_AddMasked(list, static_cast<HBITMAP>(scaled.Get()), kMaskColour);
    return list;
}

}  // namespace ui
