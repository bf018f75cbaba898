// The action list: each action (name, caption, hint, shortcut, enabled,
// handler) drives its tool bar buttons, menu items and accelerator. The
// central refresh only sets enabled.
#pragma once

#include "platform/Handles.h"

#include <functional>
#include <string>
#include <vector>

namespace ui {

struct Shortcut {
    WORD key = 0;        // virtual key; 0: none
    BYTE modifiers = 0;  // FCONTROL, FSHIFT, FALT
    bool operator==(const Shortcut&) const = default;
};

constexpr int kNoPage = -1;
constexpr int kNoImage = -1;

struct Action {
    int id = 0;  // the WM_COMMAND identifier of its buttons and menu items
    std::string name;
    int page = kNoPage;  // the page whose commands it belongs to
    std::string caption;
    std::string hint;
    Shortcut shortcut;
    bool enabled = true;
    int imageIndex = kNoImage;
    std::function<void()> onExecute;
};

class ActionList {
public:
    // First command identifier of the accelerator table's entries.
    static constexpr int kShortcutCommandBase = 0x7000;

    Action& Add(Action action);
    Action* Find(int id);
    const Action* Find(int id) const;
    Action* FindByName(const std::string& name);
    const std::vector<Action>& Actions() const { return actions_; }

    bool Enabled(int id) const;
    // Sets the state and mirrors it on every registered tool bar.
    void SetEnabled(int id, bool enabled);
    void RegisterToolBar(HWND toolBar) { toolBars_.push_back(toolBar); }

    // Runs the action's handler when the action is enabled.
    bool Execute(int id);

    // One accelerator per distinct shortcut, numbered from kShortcutCommandBase.
    platform::AccelHandle BuildAccelerators() const;
    // For the accelerator command: the first enabled action with that
    // shortcut on the current page (or on no page) runs.
    bool ExecuteShortcut(int command, int currentPage);
    // The accelerator command of a shortcut, or 0 when no action has it.
    int CommandForShortcut(Shortcut shortcut) const;

private:
    std::vector<Shortcut> DistinctShortcuts() const;

    std::vector<Action> actions_;
    std::vector<HWND> toolBars_;
};

}  // namespace ui
