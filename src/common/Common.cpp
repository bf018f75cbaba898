// Shared helpers over folders, files, shortcuts and processes.
#include "common/Common.h"

#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "platform/Text.h"

#include <stdexcept>

namespace files = platform::files;

namespace {

void ListFiles(const std::string& folder, std::vector<std::string>& list, bool withHidden) {
    // An empty folder (a special folder the shell could not resolve) would
    // make the pattern "\*.*": the whole current drive.
    if (folder.empty()) return;
    const std::string separator = (!folder.empty() && folder.back() == '\\') ? "" : "\\";
    // The wide calls at any length: a file whose path is longer than the
    // ANSI calls take is listed (and so can be removed) like any other.
    files::FindEntriesAnyLength(folder + separator + "*.*", [&](const files::FindEntry& entry) {
        const std::string full = folder + separator + entry.name;
        if (files::FileExistsAnyLength(full)) {
            if (withHidden || !(entry.attributes & FILE_ATTRIBUTE_HIDDEN)) list.push_back(full);
        } else if (!(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) && files::DirectoryExistsAnyLength(full) &&
                   entry.name != "." && entry.name != "..") {
            // A junction or linked folder is not walked: it may lead out of
            // the folder (whose files a caller may delete) or back into it.
            ListFiles(full, list, withHidden);
        }
    });
}

}  // namespace

std::string SpecialFolderPath(int csidl) { return platform::shell::SpecialFolderPath(csidl); }

std::string ShellFolderPath(int csidl) {
    return platform::shell::FolderPathFromLocation(nullptr, csidl);
}

std::string WindowsDirectory() {
    char buffer[MAX_PATH] = {};
    UINT got = GetWindowsDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, got < MAX_PATH ? got : 0);
}

std::string RawSystemDirectory() {
    char buffer[255] = {};
    UINT got = GetSystemDirectoryA(buffer, sizeof(buffer));
    return std::string(buffer, got < sizeof(buffer) ? got : 0);
}

std::string Counted(size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string WithTrailingSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

std::string SystemDirectory() {
    std::string folder = RawSystemDirectory();
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

void ListFilesRecursive(const std::string& folder, std::vector<std::string>* list) {
    if (list) ListFiles(folder, *list, false);
}

void ListAllFilesRecursive(const std::string& folder, std::vector<std::string>* list) {
    if (list) ListFiles(folder, *list, true);
}

std::string ResolveShortcut(const std::string& path) {
    std::string target;
    HRESULT hr = platform::shell::ReadLinkTarget(path, target);
    if (FAILED(hr)) throw std::runtime_error("Cannot read the shortcut '" + path + "'");
    return hr == S_OK ? target : path;
}

std::string MainModulePath(DWORD processId) {
    std::string path;
    return platform::processes::QueryMainModulePath(processId, path) ? path : "none";
}

bool RunProgram(const std::string& commandLine, int show) {
    return platform::processes::CreateProcessWithShow(commandLine, show);
}

// The ANSI call would read the bytes in the locale's own code page rather
// than the program's UTF-8, so "Ü" would not equal "ü"; the texts go to the
// wide call converted from UTF-8 instead. Ordinal, as the file system
// compares names: no user locale's rules (a Turkish dotless i) decide which
// file or process two paths name.
std::string CaptionKey(const std::string& text) {
    std::wstring wide = platform::text::Widen(text);
    if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return platform::text::Narrow(wide);
}

bool SameCaption(const std::string& a, const std::string& b) {
    const std::wstring wideA = platform::text::Widen(a), wideB = platform::text::Widen(b);
    return CompareStringOrdinal(wideA.c_str(), static_cast<int>(wideA.size()), wideB.c_str(),
                                static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}
