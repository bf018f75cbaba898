// Message boxes and common file dialogs.
#include "platform/Dialogs.h"

#include <commctrl.h>
#include <commdlg.h>

#include <utility>
#include "platform/Text.h"

#include <vector>

namespace platform::dialogs {

namespace {

BoxHandler& InstalledBoxHandler() {
    static BoxHandler handler;
    return handler;
}

FileDialogHandler& InstalledFileDialogHandler() {
    static FileDialogHandler handler;
    return handler;
}

using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// The task dialog of Common Controls 6, or null where it is missing (looked
// up, so the program still starts on a system without it).
TaskDialogIndirectFn TaskDialogFunction() {
    HMODULE comctl = GetModuleHandleA("comctl32.dll");
    return comctl ? reinterpret_cast<TaskDialogIndirectFn>(
                        reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")))
                  : nullptr;
}

// A message box cannot offer Cancel alone; the task dialog of Common
// Controls 6 can. Falls back to an OK box where it is missing.
int ShowErrorCancel(HWND owner, const std::string& text, const std::string& caption) {
    const TaskDialogIndirectFn taskDialog = TaskDialogFunction();
    if (!taskDialog) {
        MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
        return IDCANCEL;
    }
    const std::wstring wideText = platform::text::Widen(text), wideCaption = platform::text::Widen(caption);
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.dwCommonButtons = TDCBF_CANCEL_BUTTON;
    config.pszWindowTitle = wideCaption.c_str();
    config.pszMainIcon = TD_ERROR_ICON;
    config.pszContent = wideText.c_str();
    int button = IDCANCEL;
    if (FAILED(taskDialog(&config, &button, nullptr, nullptr)))
        MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
    return IDCANCEL;
}

// The elevation offer: a task dialog, since a message box can neither name
// its button nor show the shield on it. A message box with Yes and No
// stands in where task dialogs are missing.
HRESULT CALLBACK ShieldTheRestartButton(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR) {
    if (notification == TDN_CREATED) SendMessageW(dialog, TDM_SET_BUTTON_ELEVATION_REQUIRED_STATE, IDYES, TRUE);
    return S_OK;
}

int ShowElevationOffer(HWND owner, const std::string& text, const std::string& caption) {
    const TaskDialogIndirectFn taskDialog = TaskDialogFunction();
    const auto fallback = [&] {
        return MessageBoxA(owner, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
    };
    if (!taskDialog) return fallback();
    const std::wstring wideText = platform::text::Widen(text), wideCaption = platform::text::Widen(caption);
    const TASKDIALOG_BUTTON restart{IDYES, L"Restart as Administrator"};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.dwCommonButtons = TDCBF_CANCEL_BUTTON;
    config.cButtons = 1;
    config.pButtons = &restart;
    config.nDefaultButton = IDCANCEL;
    config.pszWindowTitle = wideCaption.c_str();
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszContent = wideText.c_str();
    config.pfCallback = ShieldTheRestartButton;
    int button = IDCANCEL;
    if (FAILED(taskDialog(&config, &button, nullptr, nullptr))) return fallback();
    return button == IDYES ? IDYES : IDNO;
}

// "A|*.a|B|*.b" → "A\0*.a\0B\0*.b\0\0".
std::string DialogFilter(const std::string& filter) {
    std::string result = filter;
    for (char& c : result)
        if (c == '|') c = '\0';
    result.push_back('\0');
    result.push_back('\0');
    return result;
}

}  // namespace

UINT BoxFlags(BoxKind kind) {
    switch (kind) {
    case BoxKind::ErrorCancel: return 0;
    case BoxKind::Confirm: return MB_YESNO | MB_ICONQUESTION;
    case BoxKind::ConfirmDefaultNo: return MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
    case BoxKind::ConfirmOkCancel: return MB_OKCANCEL | MB_ICONQUESTION;
    case BoxKind::Warning: return MB_OK | MB_ICONWARNING;
    case BoxKind::Plain: return MB_OK;
    case BoxKind::ElevationOffer: return 0;
    }
    return MB_OK;
}

int ShowBox(HWND owner, const std::string& text, const std::string& caption, BoxKind kind) {
    if (auto& handler = InstalledBoxHandler()) return handler(text, caption, kind);
    if (kind == BoxKind::ErrorCancel) return ShowErrorCancel(owner, text, caption);
    if (kind == BoxKind::ElevationOffer) return ShowElevationOffer(owner, text, caption);
    return MessageBoxA(owner, text.c_str(), caption.c_str(), BoxFlags(kind));
}

void SetBoxHandler(BoxHandler handler) { InstalledBoxHandler() = std::move(handler); }

bool RunFileDialog(HWND owner, FileDialogRequest& request) {
    if (auto& handler = InstalledFileDialogHandler()) return handler(request);
    std::string filter = DialogFilter(request.filter);
    std::vector<char> name(32768, '\0');
    request.fileName.copy(name.data(), name.size() - 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrDefExt = request.defaultExt.empty() ? nullptr : request.defaultExt.c_str();
    ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY |
                (request.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    BOOL chosen = request.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (chosen) request.fileName = name.data();
    return chosen != 0;
}

void SetFileDialogHandler(FileDialogHandler handler) {
    InstalledFileDialogHandler() = std::move(handler);
}

}  // namespace platform::dialogs
