// The rich edit control: its class made available, and rich text put in.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// The window class of the rich edit control, its library loaded once for the
// program's life (the class lives as long as the library does).
const char* RichEditClass();

// Replaces the control's whole content with the RTF document; false when the
// control took none of it.
bool SetRichText(HWND richEdit, const std::string& rtf);

}  // namespace ui
