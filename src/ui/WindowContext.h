// One context per window the program keeps something for, found from the
// window's handle in the process's own table: the object behind a window of
// the program's own classes (the window base), what the program adds to a
// native control (its hook: cell tips, keyboard links), and how many rebuild
// guards hold a list.
//
// A table of the process's own rather than a window property or the
// system's subclass chain: under Wine either asks the window server at
// every message, which made a Fix All of 20,000 rows hold the window for a
// second. A hooked control gets a plain window procedure in front of its
// own, which finds its hook here.
//
// Window thread only: every window of the program lives on it.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

namespace ui {

class Window;

// What the program adds to a native control. It sees each of the control's
// messages before the control's own procedure, which Next passes them on
// to; WM_NCDESTROY it does not see: the control is then unhooked and the
// hook destroyed (its destructor tidies up) before the control's own
// procedure hears it.
class WindowHook {
public:
    WindowHook() = default;
    virtual ~WindowHook() = default;
    WindowHook(const WindowHook&) = delete;
    WindowHook& operator=(const WindowHook&) = delete;

    virtual LRESULT OnMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    LRESULT Next(HWND control, UINT message, WPARAM wParam, LPARAM lParam) const {
        return CallWindowProcW(ownProcedure_, control, message, wParam, lParam);
    }

private:
    friend bool HookWindow(HWND control, std::unique_ptr<WindowHook> hook);
    friend LRESULT Unhook(HWND control, WPARAM wParam, LPARAM lParam);
    WNDPROC ownProcedure_ = nullptr;  // the control's, restored when it goes
};

struct WindowContext {
    Window* window = nullptr;           // the object of a window of the program's own classes
    std::unique_ptr<WindowHook> hook;   // what the program added to a native control
    int rebuildDepth = 0;               // rebuild guards living on the list
};

// The window's context; nullptr when the program keeps none for it.
WindowContext* ContextOf(HWND window);

// The window's context, made empty when it has none (throws when out of memory).
WindowContext& MakeContext(HWND window);

// Forgets the window's context, whatever it keeps (nothing when none).
void DropContext(HWND window);

// Forgets the window's context once it keeps nothing.
void DropContextIfEmpty(HWND window);

// Puts the hook in front of the control's own procedure for the control's
// life. False, the hook destroyed, when the control is one of the
// program's own windows, already has a hook, or there is no memory.
bool HookWindow(HWND control, std::unique_ptr<WindowHook> hook);

// The control's hook when it is a Hook (nullptr otherwise).
template <class Hook>
Hook* HookOf(HWND control) {
    WindowContext* context = control ? ContextOf(control) : nullptr;
    return context ? dynamic_cast<Hook*>(context->hook.get()) : nullptr;
}

// Every control with a hook (the hooks may be looked up and used meanwhile).
std::vector<HWND> HookedWindows();

}  // namespace ui
