// Shared helpers: Windows and shell folders, recursive file lists, shortcut
// targets, the main module of a process and starting programs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Shell special folders by CSIDL number.
constexpr int kCsidlStartup = 7;         // the user's Startup folder
constexpr int kCsidlCommonStartup = 24;  // the all-users Startup folder
constexpr int kCsidlProgramFiles = 38;

// SHGetSpecialFolderPathA (not created); empty when there is no such folder.
std::string SpecialFolderPath(int csidl);

// The folder through its item identifier list; empty when the shell has no path.
std::string ShellFolderPath(int csidl);

// A count with its noun, one or many as the count asks: "1 root", "3 roots".
std::string Counted(size_t count, const char* one, const char* many);

// The folder with a trailing "\" ("/" counts as one too); an empty text stays empty.
std::string WithTrailingSeparator(std::string folder);

// The Windows folder as the system gives it (normally no trailing "\").
std::string WindowsDirectory();

// The system folder, always ending in "\".
std::string SystemDirectory();

// The system folder exactly as the system gives it (no separator added).
std::string RawSystemDirectory();

// Appends the full paths of every file below folder (of any length), depth
// first, in the order the file system returns them; hidden files are left out (folders,
// hidden or not, are descended into). Does nothing for a null list or an
// empty folder.
void ListFilesRecursive(const std::string& folder, std::vector<std::string>* list);

// The same, hidden files included.
void ListAllFilesRecursive(const std::string& folder, std::vector<std::string>* list);

// The target of a shell shortcut; the given path when the file is not a
// shortcut or cannot be loaded. Throws std::runtime_error when the shell-link
// object or its interfaces cannot be had or the target cannot be read.
std::string ResolveShortcut(const std::string& path);

// The path of the process's main module, or "none".
std::string MainModulePath(DWORD processId);

// Starts the command line with the show command; nothing waits for it.
bool RunProgram(const std::string& commandLine, int show);

// Whole texts equal, case ignored as the file system ignores it (ordinal,
// whatever the user's locale): how a listed path is
// compared with a running process's or a Startup folder's, and a listed caption
// found again. Compared as UTF-16, since the program's texts are UTF-8: "Ü"
// equals "ü".
bool SameCaption(const std::string& a, const std::string& b);
// The text with case folded as SameCaption ignores it (upper case, ordinal):
// texts SameCaption holds equal get equal keys, for sets and maps.
std::string CaptionKey(const std::string& text);
