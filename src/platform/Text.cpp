// Text conversion between the active code page and UTF-16.
#include "platform/Text.h"

#include <windows.h>

namespace platform::text {

std::wstring Widen(const std::string& text) {
    const int count = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(count > 0 ? count : 0), L'\0');
    if (count > 0)
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), wide.data(), count);
    return wide;
}

std::string Narrow(const std::wstring& text) { return Narrow(text.data(), text.size()); }

std::string Narrow(const wchar_t* text, size_t size) {
    if (size == 0) return {};
    const int length = static_cast<int>(size);
    const int count = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(count > 0 ? count : 0), '\0');
    if (count > 0) WideCharToMultiByte(CP_ACP, 0, text, length, narrow.data(), count, nullptr, nullptr);
    return narrow;
}


std::string ShortDateToday() {
    wchar_t buffer[128];
    const int length = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, 128);
    return length > 0 ? Narrow(buffer, static_cast<size_t>(length - 1)) : std::string();
}

}  // namespace platform::text
