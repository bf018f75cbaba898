// Message boxes and common file dialogs, with a seam through which tests
// script the answer and record what was asked.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace platform::dialogs {

// The kinds of box the program shows, each with its fixed buttons.
enum class BoxKind {
    ErrorCancel,  // error icon, a single Cancel button
    Confirm,      // question, Yes and No
    // Question, Yes and No with No the default button: for a Yes that cannot
    // be taken back (ending a process, writing over the registry), so an
    // Enter pressed out of habit answers No.
    ConfirmDefaultNo,
    ConfirmOkCancel,
    Warning,      // warning icon, OK
    Plain,        // no icon, OK
    // A change was refused for want of administrator rights: warning icon,
    // "Restart as Administrator" with the shield (IDYES) and Cancel (IDNO),
    // Cancel the default.
    ElevationOffer,
};

// The MessageBox flags (buttons, icon, default button) of a kind; the
// error box is a task dialog and has none.
UINT BoxFlags(BoxKind kind);

// Shows the box and returns the button pressed (IDYES, IDNO, IDOK, IDCANCEL).
int ShowBox(HWND owner, const std::string& text, const std::string& caption, BoxKind kind);

using BoxHandler =
    std::function<int(const std::string& text, const std::string& caption, BoxKind kind)>;
// Installs (or, with an empty handler, removes) the stand-in for message boxes.
void SetBoxHandler(BoxHandler handler);

struct FileDialogRequest {
    bool save = false;
    std::string filter;    // "Name|*.ext|Other|*.*"
    std::string fileName;  // initial name; receives the chosen one
    std::string defaultExt;
    std::string title;     // the dialog's caption; empty: the system's own ("Open", "Save As")
};
// Runs the open or save dialog. True when the user chose a file.
bool RunFileDialog(HWND owner, FileDialogRequest& request);

using FileDialogHandler = std::function<bool(FileDialogRequest& request)>;
void SetFileDialogHandler(FileDialogHandler handler);

}  // namespace platform::dialogs
