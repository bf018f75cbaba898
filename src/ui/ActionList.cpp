// The action list.
#include "ui/ActionList.h"

#include <algorithm>

namespace ui {

Action& ActionList::Add(Action action) {
    actions_.push_back(std::move(action));
    return actions_.back();
}

Action* ActionList::Find(int id) {
    auto it = std::find_if(actions_.begin(), actions_.end(),
                           [id](const Action& a) { return a.id == id; });
    return it == actions_.end() ? nullptr : &*it;
}

const Action* ActionList::Find(int id) const {
    return const_cast<ActionList*>(this)->Find(id);
}

Action* ActionList::FindByName(const std::string& name) {
    auto it = std::find_if(actions_.begin(), actions_.end(),
                           [&](const Action& a) { return a.name == name; });
    return it == actions_.end() ? nullptr : &*it;
}

bool ActionList::Enabled(int id) const {
    const Action* action = Find(id);
    return action && action->enabled;
}

void ActionList::SetEnabled(int id, bool enabled) {
    Action* action = Find(id);
    if (!action) return;
    action->enabled = enabled;
    for (HWND toolBar : toolBars_)
        SendMessageA(toolBar, TB_ENABLEBUTTON, id, MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

bool ActionList::Execute(int id) {
    Action* action = Find(id);
    if (!action || !action->enabled || !action->onExecute) return false;
    action->onExecute();
    return true;
}

std::vector<Shortcut> ActionList::DistinctShortcuts() const {
    std::vector<Shortcut> shortcuts;
    for (const Action& action : actions_)
        if (action.shortcut.key &&
            std::find(shortcuts.begin(), shortcuts.end(), action.shortcut) == shortcuts.end())
            shortcuts.push_back(action.shortcut);
    return shortcuts;
}

platform::AccelHandle ActionList::BuildAccelerators() const {
    std::vector<ACCEL> table;
    const auto shortcuts = DistinctShortcuts();
    for (size_t i = 0; i < shortcuts.size(); ++i)
        table.push_back(ACCEL{static_cast<BYTE>(FVIRTKEY | shortcuts[i].modifiers),
                              shortcuts[i].key, static_cast<WORD>(kShortcutCommandBase + i)});
    if (table.empty()) return {};
    return platform::AccelHandle(CreateAcceleratorTableA(table.data(), static_cast<int>(table.size())));
}

bool ActionList::ExecuteShortcut(int command, int currentPage) {
    const auto shortcuts = DistinctShortcuts();
    const size_t index = static_cast<size_t>(command - kShortcutCommandBase);
    if (command < kShortcutCommandBase || index >= shortcuts.size()) return false;
    for (Action& action : actions_) {
        if (!(action.shortcut == shortcuts[index]) || !action.enabled) continue;
        if (action.page != kNoPage && action.page != currentPage) continue;
        return Execute(action.id);
    }
    return false;
}

int ActionList::CommandForShortcut(Shortcut shortcut) const {
    const auto shortcuts = DistinctShortcuts();
    auto it = std::find(shortcuts.begin(), shortcuts.end(), shortcut);
    return it == shortcuts.end() ? 0 : kShortcutCommandBase + static_cast<int>(it - shortcuts.begin());
}

}  // namespace ui
