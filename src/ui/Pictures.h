// Picture strips of the program's resources as image lists of any DPI.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace ui {

// Loads a picture strip of square images of the 96-DPI size, scaled to the
// DPI (magenta is transparent). Null when the resource cannot be loaded.
HIMAGELIST LoadImageStrip(int id, int size, int dpi);

}  // namespace ui
