// A static label that acts as a link from the keyboard too.
#include "ui/KeyboardLink.h"

#include "ui/WindowContext.h"

#include <memory>
#include <vector>

namespace ui {

namespace {

void NotifyClick(HWND label) {
    SendMessageA(GetParent(label), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(label), STN_CLICKED),
                 reinterpret_cast<LPARAM>(label));
}

// Around the text, not the whole label: the label is often wider.
void DrawFocus(HWND label) {
    const int length = GetWindowTextLengthA(label);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(label, text.data(), length + 1);
    RECT client{};
    GetClientRect(label, &client);
    HDC dc = GetDC(label);
    if (!dc) return;
    const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
    RECT around = client;
    DrawTextA(dc, text.data(), length, &around, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    around.right = around.right + 2 < client.right ? around.right + 2 : client.right;
    around.bottom = client.bottom;
    DrawFocusRect(dc, &around);
    SelectObject(dc, oldFont);
    ReleaseDC(label, dc);
}

class KeyboardLinkHook final : public WindowHook {
public:
    LRESULT OnMessage(HWND label, UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_GETDLGCODE:
            // Enter must reach the label: the dialog keyboard handling would
            // make it the window's OK.
            if (lParam) {
                const auto* key = reinterpret_cast<const MSG*>(lParam);
                if (key->message == WM_KEYDOWN && key->wParam == VK_RETURN) return DLGC_WANTMESSAGE;
            }
            break;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_SPACE) {
                if (!(lParam & (1 << 30))) NotifyClick(label);  // not again while the key repeats
                return 0;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(label, nullptr, TRUE);
            break;
        case WM_PAINT: {
            const LRESULT result = Next(label, message, wParam, lParam);
            if (GetFocus() == label) DrawFocus(label);
            return result;
        }
        }
        return Next(label, message, wParam, lParam);
    }
};

}  // namespace

void MakeKeyboardLink(HWND label) {
    if (label) HookWindow(label, std::make_unique<KeyboardLinkHook>());
}

}  // namespace ui
