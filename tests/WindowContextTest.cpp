// The per-window context: every window the program hooks or makes gives its
// context back when it goes, whichever window goes first.
#include "ui/CellTips.h"
#include "ui/Controls.h"
#include "ui/KeyboardLink.h"
#include "ui/Window.h"
#include "ui/WindowContext.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

HWND MakeChild(const wchar_t* className, HWND parent) {
    return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

bool Hooked(HWND window) {
    const auto hooked = ui::HookedWindows();
    return std::find(hooked.begin(), hooked.end(), window) != hooked.end();
}

TEST(WindowContext, HookedControlsGiveTheirContextsBackWhenTheyGo) {
    for (const bool controlsFirst : {true, false}) {
        SCOPED_TRACE(controlsFirst ? "the controls destroyed first" : "the top window destroyed with them");
        const HWND top = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                         GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(top, nullptr);
        const HWND list = MakeChild(WC_LISTVIEWW, top), label = MakeChild(L"STATIC", top);
        ui::AttachCellTips(list);
        ui::MakeKeyboardLink(label);
        const HWND tip = ui::CellTipWindow(list);
        ASSERT_NE(tip, nullptr);
        for (const HWND window : {list, tip, label}) EXPECT_TRUE(Hooked(window));
        {
            const ui::ListRebuild rebuild(list);
            if (controlsFirst) {
                DestroyWindow(list);
                DestroyWindow(label);
                EXPECT_FALSE(IsWindow(tip));  // the tip goes with its list
            }
            DestroyWindow(top);
        }
        for (const HWND window : {list, tip, label}) {
            EXPECT_EQ(ui::ContextOf(window), nullptr);
            EXPECT_FALSE(Hooked(window));
            EXPECT_FALSE(IsWindow(window));
        }
    }
}

TEST(WindowContext, ARebuildGuardOnAPlainListLeavesNothingBehind) {
    const HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(list, nullptr);
    {
        const ui::ListRebuild outer(list);
        { const ui::ListRebuild inner(list); }
        EXPECT_TRUE(ui::IsListRebuilding(list));
    }
    EXPECT_FALSE(ui::IsListRebuilding(list));
    EXPECT_EQ(ui::ContextOf(list), nullptr);
    DestroyWindow(list);
}

class PlainWindow : public ui::Window {
public:
    PlainWindow() {
        RegisterWindowClass("OrvContextTestWindow", nullptr, nullptr);
        CreateInstance("OrvContextTestWindow", "", WS_POPUP, 0, 0, 0, 10, 10, nullptr, nullptr);
    }
};

TEST(WindowContext, AProgramWindowIsFoundUntilItGoesEitherWay) {
    HWND handle = nullptr;
    {
        PlainWindow window;
        handle = window.Handle();
        ASSERT_NE(handle, nullptr);
        ASSERT_NE(ui::ContextOf(handle), nullptr);
        EXPECT_EQ(ui::ContextOf(handle)->window, &window);
    }
    EXPECT_EQ(ui::ContextOf(handle), nullptr);  // the object went first
    PlainWindow window;
    handle = window.Handle();
    DestroyWindow(handle);  // the window went first
    EXPECT_EQ(ui::ContextOf(handle), nullptr);
    EXPECT_EQ(window.Handle(), nullptr);
}

}  // namespace
