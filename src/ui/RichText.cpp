// The rich edit control: its class made available, and rich text put in.
#include "ui/RichText.h"

#include "platform/Handles.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

namespace ui {

const char* RichEditClass() {
    static const platform::ModuleHandle library(LoadLibraryA("riched20.dll"));
    return RICHEDIT_CLASSA;
}

namespace {

struct StreamSource {
    const std::string* text;
    size_t offset;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const size_t count = std::min(static_cast<size_t>(std::max(wanted, 0L)), source->text->size() - source->offset);
    std::memcpy(buffer, source->text->data() + source->offset, count);
    source->offset += count;
    *given = static_cast<LONG>(count);
    return 0;
}

}  // namespace

bool SetRichText(HWND richEdit, const std::string& rtf) {
    StreamSource source{&rtf, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadStream;
    const LRESULT read = SendMessageA(richEdit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return read > 0 && stream.dwError == 0;
}

}  // namespace ui
