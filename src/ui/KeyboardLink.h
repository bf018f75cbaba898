// A static label that acts as a link from the keyboard too.
#pragma once

#include <windows.h>

namespace ui {

// Makes a STATIC label created with SS_NOTIFY and WS_TABSTOP answer the
// keyboard as a link does: it shows a focus rectangle while it has the
// focus, and Enter or Space sends its parent the click notification
// (STN_CLICKED) a mouse click sends. The label keeps its look otherwise.
void MakeKeyboardLink(HWND label);

}  // namespace ui
