// What the result lists' row commands do, without a window: a row's cells
// as clipboard text, and which program to start, with which argument, to
// show a registry key in the registry editor or a file in Explorer. None of
// them changes anything the program inspects.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace common {

// A program to start and its argument text, as platform::shell::StartProgram takes them.
struct ProgramStart {
    std::string program;
    std::string arguments;
    bool operator==(const ProgramStart&) const = default;
};

// Rows of cells as text: cells parted by a tab, rows ended by CR LF (the
// form spreadsheets and editors paste as a table). A tab or line break
// inside a cell becomes a space, so each row stays one line.
std::string RowsAsText(const std::vector<std::vector<std::string>>& rows);

// The registry editor's own settings key (below HKEY_CURRENT_USER) and the
// value it reads, when it starts, as the key to open.
inline constexpr char kRegistryEditorSettingsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
inline constexpr char kRegistryEditorLastKeyValue[] = "LastKey";

// A key as the editor names it: the root's full name and the rest of the
// path ("HKLM\Software" and "HKEY_LOCAL_MACHINE\Software\" give
// "HKEY_LOCAL_MACHINE\Software"). Empty when the path does not begin with a
// root's name or short name (case ignored).
std::string RegistryEditorKeyText(const std::string& keyPath);

// The node the editor's LastKey starts with, before the root: the one the
// editor last wrote there (its name differs by language and version: from
// "Computer\" up to "HKEY_..." with none), or when it wrote none, Windows'
// "Computer\" - and none under Wine, whose editor finds the root first.
std::string RegistryEditorRootNode(const std::string& lastKey, bool underWine);

// Readies the registry editor to open at the key: its LastKey value is set
// (a change of the editor's own settings only, the one way it is told where
// to open), and start receives the program to start. Returns ERROR_SUCCESS,
// ERROR_INVALID_PARAMETER when the path names no key (nothing written), or
// the system's code when the value could not be written.
DWORD PrepareRegistryEditor(const std::string& keyPath, ProgramStart& start);

// Explorer with the file or folder selected in its folder; nothing when the
// path is not a full path ("C:\..." or "\\server\...") of a file or folder
// that exists now. A network path is not probed; the long-path form and a
// closing backslash are taken off.
std::optional<ProgramStart> FileLocationStart(const std::string& path);

}  // namespace common
