// Window base with a per-window context and an exception barrier.
#include "ui/Window.h"

#include "platform/Dialogs.h"
#include "ui/WindowContext.h"

#include <stdexcept>

namespace ui {

Window::~Window() { DestroyHandle(); }

void Window::DestroyHandle() {
    if (!hwnd_) return;
    HWND hwnd = hwnd_;
    DropContext(hwnd);
    hwnd_ = nullptr;
    DestroyWindow(hwnd);
}

void Window::RegisterWindowClass(const char* className, HBRUSH background, HICON icon,
                                 HCURSOR cursor) {
    WNDCLASSEXA cls{};
    if (GetClassInfoExA(GetModuleHandleA(nullptr), className, &cls)) return;
    cls.cbSize = sizeof(cls);
    cls.style = CS_DBLCLKS;
    cls.lpfnWndProc = StaticProcedure;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hIcon = icon;
    cls.hCursor = cursor ? cursor : LoadCursor(nullptr, IDC_ARROW);
    cls.hbrBackground = background;
    cls.lpszClassName = className;
    RegisterClassExA(&cls);
}

HWND Window::CreateInstance(const char* className, const std::string& title, DWORD style,
                            DWORD exStyle, int x, int y, int width, int height, HWND parent,
                            HMENU menuOrId) {
    return CreateWindowExA(exStyle, className, title.c_str(), style, x, y, width, height, parent,
                           menuOrId, GetModuleHandleA(nullptr), this);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultProcedure(message, wParam, lParam);
}

LRESULT Window::DefaultProcedure(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::StaticProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<Window*>(create->lpCreateParams);
        try {
            MakeContext(hwnd).window = self;
        } catch (...) {
            return FALSE;  // no memory for the window's context: no window
        }
        self->hwnd_ = hwnd;
    }
    const WindowContext* context = ContextOf(hwnd);
    Window* self = context ? context->window : nullptr;
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        DropContext(hwnd);
        self->hwnd_ = nullptr;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        ShowExceptionBox(hwnd, error);
    } catch (...) {
        ShowExceptionBox(hwnd, std::runtime_error("Unexpected error"));
    }
    return 0;
}

void ShowExceptionBox(HWND owner, const std::exception& error) {
    platform::dialogs::ShowBox(owner, error.what(), kApplicationTitle,
                               platform::dialogs::BoxKind::ErrorCancel);
}

void MoveToNextControl(HWND window, WPARAM wParam, LPARAM lParam) {
    const HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                     : GetNextDlgTabItem(window, GetFocus(), wParam != 0);
    if (next) SetFocus(next);
}

}  // namespace ui
