// The process's table of window contexts and the hooked controls' procedure.
#include "ui/WindowContext.h"

#include <unordered_map>
#include <utility>

namespace ui {

LRESULT Unhook(HWND control, WPARAM wParam, LPARAM lParam);

namespace {

// The contexts stay where they are while others come and go, so a
// procedure may keep its own across the messages it sends.
std::unordered_map<HWND, WindowContext>& Contexts() {
    static std::unordered_map<HWND, WindowContext> contexts;
    return contexts;
}

LRESULT CALLBACK HookedProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowContext* context = ContextOf(control);
    // Cannot happen: a control is unhooked when it goes.
    if (!context || !context->hook) return DefWindowProcW(control, message, wParam, lParam);
    if (message == WM_NCDESTROY) return Unhook(control, wParam, lParam);
    return context->hook->OnMessage(control, message, wParam, lParam);
}

}  // namespace

// The control's own procedure back in place and its context gone before
// the hook tidies up and the control hears WM_NCDESTROY.
LRESULT Unhook(HWND control, WPARAM wParam, LPARAM lParam) {
    std::unique_ptr<WindowHook> hook = std::move(ContextOf(control)->hook);
    const WNDPROC own = hook->ownProcedure_;
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    DropContext(control);
    hook.reset();
    return CallWindowProcW(own, control, WM_NCDESTROY, wParam, lParam);
}

WindowContext* ContextOf(HWND window) {
    auto& contexts = Contexts();
    const auto found = contexts.find(window);
    return found == contexts.end() ? nullptr : &found->second;
}

WindowContext& MakeContext(HWND window) { return Contexts()[window]; }

void DropContext(HWND window) { Contexts().erase(window); }

void DropContextIfEmpty(HWND window) {
    const WindowContext* context = ContextOf(window);
    if (context && !context->window && !context->hook && context->rebuildDepth == 0) DropContext(window);
}

bool HookWindow(HWND control, std::unique_ptr<WindowHook> hook) {
    if (!control || !hook) return false;
    WindowContext* context = nullptr;
    try {
        context = &MakeContext(control);
    } catch (...) {
        return false;
    }
    if (context->window || context->hook) return false;
    WindowHook& added = *hook;
    context->hook = std::move(hook);
    added.ownProcedure_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HookedProcedure)));
    if (added.ownProcedure_) return true;
    // Not a window of this program: nothing was put in front.
    context->hook.reset();
    DropContextIfEmpty(control);
    return false;
}

std::vector<HWND> HookedWindows() {
    std::vector<HWND> hooked;
    for (const auto& [window, context] : Contexts())
        if (context.hook) hooked.push_back(window);
    return hooked;
}

}  // namespace ui
