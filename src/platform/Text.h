// Text conversion for the few calls that take only UTF-16 (shell-link files,
// task dialogs, tool tips asking in wide form).
#pragma once

#include <string>

namespace platform::text {

// From the active code page (UTF-8 through the manifest) to UTF-16.
std::wstring Widen(const std::string& text);

// From UTF-16 back to the active code page; NULs inside the text stay.
std::string Narrow(const std::wstring& text);
std::string Narrow(const wchar_t* text, size_t length);

// Today's date in the user's short date format, as formatted (e.g. "22.02.2005").
std::string ShortDateToday();

}  // namespace platform::text
