// A modal window with a form's ShowModal behaviour.
#include "ui/ModalDialog.h"

#include "ui/CellTips.h"
#include "ui/Gdi.h"

#include <commctrl.h>

#include "ui/TitlePicture.h"

#include <utility>
#include <vector>

namespace ui {

namespace {

constexpr const char* kDialogClass = "OrvModalDialog";

ModalDialog::ModalHandler& InstalledModalHandler() {
    static ModalDialog::ModalHandler handler;
    return handler;
}

// A control the user types into or chooses in; push buttons and tab
// controls only lead somewhere.
bool IsField(HWND control) {
    char name[32] = {};
    GetClassNameA(control, name, sizeof(name));
    if (lstrcmpiA(name, "Button") == 0) {
        const LONG_PTR type = GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK;
        return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
               type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    }
    for (const char* field : {"Edit", "ComboBox", "ListBox", WC_LISTVIEWA, WC_TREEVIEWA, "RichEdit20A",
                              "RichEdit20W", "RICHEDIT50W"})
        if (lstrcmpiA(name, field) == 0) return true;
    return false;
}

constexpr DWORD kFrameStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFrameExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

}  // namespace

ModalDialog::~ModalDialog() { DestroyHandle(); }

void ModalDialog::SetModalHandler(ModalHandler handler) { InstalledModalHandler() = std::move(handler); }

std::string ControlText(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(control, buffer.data(), length + 1);
    return buffer.data();
}

void ModalDialog::CreateFrame(const std::string& caption, int clientWidth, int clientHeight, HWND owner) {
    RegisterWindowClass(kDialogClass, GetSysColorBrush(COLOR_BTNFACE), nullptr);
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    layout_.SetDpi(WindowDpi(owner));
    // Created near its size, then sized exactly once the system's frame can be measured.
    CreateInstance(kDialogClass, caption, kFrameStyle, kFrameExStyle, 0, 0, Scale(clientWidth) + 16,
                   Scale(clientHeight) + 40, owner, nullptr);
    SizeFrame();
    font_.Reset(CreatePointFont("Tahoma", 8, FW_NORMAL, layout_.Dpi()));
}

void ModalDialog::SizeFrame() {
    const SIZE size = FrameSizeForClient(Handle(), Scale(clientWidth_), Scale(clientHeight_));
    SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ModalDialog::ApplyDpi(int dpi) {
    if (dpi <= 0 || dpi == layout_.Dpi()) return;
    layout_.SetDpi(dpi);
    SizeFrame();
    layout_.Apply();
    platform::GdiHandle oldFont = std::move(font_);
    font_.Reset(CreatePointFont("Tahoma", 8, FW_NORMAL, dpi));
    SetFontOnChildren(Handle(), Font(), true);
    InvalidateRect(Handle(), nullptr, TRUE);
}

HWND ModalDialog::AddControl(const char* className, const char* text, DWORD style, int x, int y, int width,
                             int height, int id, DWORD exStyle) {
    HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, Handle(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                   nullptr);
    layout_.Place(control, x, y, width, height);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    return control;
}

void ModalDialog::SetTitlePicture(const std::string& caption, const std::string& secondLine) {
    titleCaption_ = caption;
    titleSecondLine_ = secondLine;
}

void ModalDialog::CenterOn(HWND owner) {
    RECT ownerRect{}, own{};
    if (owner) GetWindowRect(owner, &ownerRect);
    else SystemParametersInfoA(SPI_GETWORKAREA, 0, &ownerRect, 0);
    GetWindowRect(Handle(), &own);
    const int width = own.right - own.left, height = own.bottom - own.top;
    SetWindowPos(Handle(), nullptr, ownerRect.left + (ownerRect.right - ownerRect.left - width) / 2,
                 ownerRect.top + (ownerRect.bottom - ownerRect.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND ModalDialog::FirstField() const {
    // The Tab order skips hidden and disabled controls, as the keyboard does.
    const HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE);
    for (HWND control = first; control;) {
        if (IsField(control)) return control;
        control = GetNextDlgTabItem(Handle(), control, FALSE);
        if (control == first) break;
    }
    return first;
}

int ModalDialog::ShowModal(HWND owner) {
    if (!Handle()) CreateControls(owner);
    CenterOn(owner);
    ended_ = false;
    result_ = IDCANCEL;
    showing_ = true;
    lastFocus_.Forget();  // each show starts on the first field
    FormActivate();
    if (auto& handler = InstalledModalHandler()) {
        const int answer = handler(*this);
        if (!ended_) result_ = answer;
    } else {
        if (owner) EnableWindow(owner, FALSE);
        ShowWindow(Handle(), SW_SHOW);
        MSG message{};
        bool quit = false;
        while (!ended_) {
            if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
                quit = true;
                break;
            }
            if (PreTranslateMessage(message) || IsDialogMessageA(Handle(), &message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (owner) EnableWindow(owner, TRUE);
        ShowWindow(Handle(), SW_HIDE);
        if (owner) SetActiveWindow(owner);
        if (quit) PostQuitMessage(static_cast<int>(message.wParam));
    }
    showing_ = false;
    // A tip of the dialog's lists is topmost and would outlive the dialog.
    PopCellTips();
    FormClose(result_);
    return result_;
}

void ModalDialog::EndModal(int result) {
    result_ = result;
    ended_ = true;
    // GetMessage serves a sent message without returning; a posted one wakes
    // the modal loop so it sees the end (a worker's step may end the dialog).
    if (Handle()) PostMessageA(Handle(), WM_NULL, 0, 0);
}

LRESULT ModalDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
        break;
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_CLOSE:
        EndModal(IDCANCEL);
        return 0;
    case WM_CANCELMODE:
        // A message box over the dialog disables it first, which takes the
        // focus away before the dialog is left.
        lastFocus_.Note(Handle());
        break;
    case WM_ACTIVATE:
        // As a dialog does: the focus opens on the first field and comes
        // back where it was after another window (a message box) was on top.
        // The default would give it to the frame, where no key does anything.
        if (LOWORD(wParam) == WA_INACTIVE) {
            lastFocus_.Note(Handle());
            return 0;
        }
        if (!HIWORD(wParam)) {
            const HWND last = lastFocus_.Usable(Handle());
            const HWND target = last ? last : FirstField();
            SetFocus(target ? target : Handle());
            return 0;
        }
        break;
    case WM_NEXTDLGCTL:
        MoveToNextControl(Handle(), wParam, lParam);
        return 0;
    case WM_DESTROY:
        // Destroyed with its owner (the main window closing): the modal loop
        // must not outlive the window it serves.
        if (showing_ && !ended_) {
            ended_ = true;
            PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
        }
        break;
    case 0x02E0:  // WM_DPICHANGED: moved to a display of another DPI
        ApplyDpi(HIWORD(wParam));
        return 0;
    case WM_PAINT:
        if (!titleCaption_.empty()) {
            const PaintDc dc(Handle());
            RECT client{};
            GetClientRect(Handle(), &client);
            PaintTitlePicture(dc.Get(), client.right, titleCaption_, titleSecondLine_, layout_.Dpi());
            return 0;
        }
        break;
    }
    return DefaultProcedure(message, wParam, lParam);
}

}  // namespace ui
