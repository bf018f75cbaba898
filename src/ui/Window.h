// Window base: keeps this in the window's context (ui/WindowContext) from
// WM_NCCREATE to WM_NCDESTROY and dispatches to HandleMessage behind a
// try/catch barrier, so no exception escapes into the system; the
// application's error box shows its text.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace ui {

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }

protected:
    // Registers a window class whose procedure dispatches to HandleMessage.
    static void RegisterWindowClass(const char* className, HBRUSH background, HICON icon,
                                    HCURSOR cursor = nullptr);
    HWND CreateInstance(const char* className, const std::string& title, DWORD style,
                        DWORD exStyle, int x, int y, int width, int height, HWND parent,
                        HMENU menuOrId);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Destroys the window now (a derived class calls it before its members,
    // which the controls may still use, go).
    void DestroyHandle();
    LRESULT DefaultProcedure(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// The application's default error handler: a box with the error's text.
void ShowExceptionBox(HWND owner, const std::exception& error);

// WM_NEXTDLGCTL as a dialog answers it: lParam set names the control in
// wParam, otherwise wParam says whether to go back in the Tab order (a
// multi-line edit keeps Tab and asks its parent to move the focus so).
void MoveToNextControl(HWND window, WPARAM wParam, LPARAM lParam);

// The program's title, the caption of its message boxes.
constexpr const char* kApplicationTitle = "ORV";

}  // namespace ui
