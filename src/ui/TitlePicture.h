// The 68-pixel title picture of the program's dialogs: the title strip's
// background with a large caption and a smaller second line.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

constexpr int kTitlePictureHeight = 68;

// Paints the picture across the given width at the top of the device
// context; the height, letters and places are 96-DPI sizes scaled to dpi.
void PaintTitlePicture(HDC dc, int width, const std::string& caption, const std::string& secondLine, int dpi);

}  // namespace ui
