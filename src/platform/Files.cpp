// Files, folders and ini files.
#include "platform/Files.h"

#include "platform/Handles.h"
#include "platform/Text.h"

#include <algorithm>
#include <cctype>

namespace platform::files {

namespace {

constexpr DWORD kIniBufferStart = 4096;
constexpr DWORD kIniBufferLimit = 1u << 24;

// Splits a NUL-separated, double-NUL-terminated list.
std::vector<std::string> SplitMultiString(const char* data, size_t length) {
    std::vector<std::string> items;
    size_t start = 0;
    for (size_t i = 0; i < length; ++i) {
        if (data[i] == '\0') {
            if (i == start) break;
            items.emplace_back(data + start, i - start);
            start = i + 1;
        }
    }
    return items;
}

// GetPrivateProfileString with a NULL key or section returns a list; the
// buffer grows until the list fits (the API reports size - 2 when cut).
std::vector<std::string> ReadIniList(const char* section, const std::string& file) {
    for (DWORD size = kIniBufferStart; size <= kIniBufferLimit; size *= 4) {
        std::vector<char> buffer(size, '\0');
        DWORD got = section
            ? GetPrivateProfileStringA(section, nullptr, "", buffer.data(), size, file.c_str())
            : GetPrivateProfileSectionNamesA(buffer.data(), size, file.c_str());
        if (got < size - 2) return SplitMultiString(buffer.data(), got + 1);
    }
    return {};
}

// Attributes of a path of any length; INVALID_FILE_ATTRIBUTES when there is
// nothing there.
DWORD AttributesAnyLength(const std::string& path) {
    if (path.find('\0') != std::string::npos) return INVALID_FILE_ATTRIBUTES;
    if (path.size() < MAX_PATH) return GetFileAttributesA(path.c_str());
    const std::wstring wide = WidePathAnyLength(path);
    return wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
}

// The name of an open file as the object manager gives it, in the "\\?\"
// form when it is a "\??\" (DOS device) path; empty otherwise (Windows names
// a volume's device there, which no folder's final path starts with).
std::wstring ObjectDosPath(HANDLE handle) {
    using QueryObject = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryObject>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryObject")));
    if (!query) return {};
    constexpr int kObjectNameInformation = 1;
    struct Name {
        USHORT length;  // in bytes
        USHORT maximumLength;
        PWSTR buffer;
    };
    std::vector<unsigned char> data(4096);
    for (int attempt = 0; attempt < 3; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(handle, kObjectNameInformation, data.data(), static_cast<ULONG>(data.size()), &needed);
        if (status >= 0) {
            const Name* name = reinterpret_cast<const Name*>(data.data());
            const std::wstring path(name->buffer, name->length / sizeof(wchar_t));
            return path.rfind(L"\\??\\", 0) == 0 ? L"\\\\?\\" + path.substr(4) : std::wstring();
        }
        if (needed <= data.size()) return {};
        data.resize(needed);
    }
    return {};
}

DWORD LastErrorOr(DWORD fallback) {
    const DWORD code = GetLastError();
    return code != 0 ? code : fallback;
}

}  // namespace

std::wstring WidePathAnyLength(const std::string& path) {
    if (path.find('\0') != std::string::npos) return {};
    std::wstring wide = text::Widen(path);
    // A UTF-8 text is never shorter than its UTF-16 form, so a short one fits the plain calls.
    if (path.size() < MAX_PATH || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    // The "\\?\" form takes the path literally, so it is first made absolute
    // ("." and ".." resolved, "/" turned into "\").
    DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring full(needed, L'\0');
    DWORD got = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return {};
    full.resize(got);
    return full.rfind(L"\\\\", 0) == 0 ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
}

bool FileExistsAnyLength(const std::string& path) {
    DWORD attributes = AttributesAnyLength(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExistsAnyLength(const std::string& path) {
    DWORD attributes = AttributesAnyLength(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ExpandEnvironment(const std::string& text) {
    if (text.find('%') == std::string::npos) return text;
    const std::wstring wide = text::Widen(text);
    // The size asked for includes the closing NUL; the variables may change
    // between the two calls, so the second is checked again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD size = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
        if (size == 0) return text;
        std::wstring expanded(size, L'\0');
        const DWORD written = ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), size);
        if (written == 0) return text;
        if (written <= size) {
            expanded.resize(written - 1);
            return text::Narrow(expanded);
        }
    }
    return text;
}

namespace {

// A "%NAME%" left in the text: a name that starts with a letter or "_" and
// holds no separator, quote or colon. "%1" and "100% [a]" are no variables.
bool HoldsVariable(const std::string& text) {
    for (size_t open = text.find('%'); open != std::string::npos; open = text.find('%', open + 1)) {
        const size_t close = text.find('%', open + 1);
        if (close == std::string::npos) return false;
        const std::string name = text.substr(open + 1, close - open - 1);
        const unsigned char first = name.empty() ? 0 : static_cast<unsigned char>(name[0]);
        if ((isalpha(first) || first == '_' || first >= 0x80) && name.find_first_of("\\/\":") == std::string::npos)
            return true;
    }
    return false;
}

}  // namespace

bool DriveReady(char letter) {
    const std::string root = std::string(1, letter) + ":\\";
    switch (GetDriveTypeA(root.c_str())) {
    case DRIVE_FIXED:
    case DRIVE_RAMDISK:
        return true;
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM: {
        // Without this the system may ask the user to insert a disk.
        DWORD oldMode = 0;
        const bool modeSet =
            SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode) != FALSE;
        const bool ready =
            GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0) != FALSE;
        if (modeSet) SetThreadErrorMode(oldMode, nullptr);
        return ready;
    }
    default:  // DRIVE_REMOTE, DRIVE_NO_ROOT_DIR, DRIVE_UNKNOWN
        return false;
    }
}

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool CanJudgeMissing(const std::string& path) { return CanJudgeMissing(path, DriveReady); }

bool CanJudgeMissing(const std::string& path, const std::function<bool(char)>& driveReady) {
    std::string rest = ExpandEnvironment(path);
    if (HoldsVariable(rest)) return false;
    const bool separatorFirst = !rest.empty() && (rest[0] == '\\' || rest[0] == '/');
    if (separatorFirst && rest.size() > 1 && (rest[1] == '\\' || rest[1] == '/')) {
        // "\\?\C:\..." is a local path in the long form; any other
        // "\\" path (a server's share, "\\?\UNC\", a device) is not local.
        if (rest.size() < 7 || rest[2] != '?' || rest[3] != '\\' || !IsDriveLetter(rest[4]) || rest[5] != ':')
            return false;
        rest.erase(0, 4);
    }
    if (rest.size() >= 2 && IsDriveLetter(rest[0]) && rest[1] == ':') return driveReady(rest[0]);
    return true;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileSize(const std::string& path, unsigned long long& size) {
    size = 0;
    const std::wstring wide = WidePathAnyLength(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (wide.empty() || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FindEntries(const std::string& pattern, const std::function<void(const FindEntry&)>& visit) {
    WIN32_FIND_DATAA data{};
    FindHandle find(FindFirstFileA(pattern.c_str(), &data));
    if (!find) return false;
    do {
        visit(FindEntry{data.cFileName, data.dwFileAttributes});
    } while (FindNextFileA(find.Get(), &data));
    return true;
}

bool FindEntriesAnyLength(const std::string& pattern, const std::function<void(const FindEntry&)>& visit) {
    const std::wstring wide = WidePathAnyLength(pattern);
    if (wide.empty()) return false;
    WIN32_FIND_DATAW data{};
    FindHandle find(FindFirstFileW(wide.c_str(), &data));
    if (!find) return false;
    do {
        visit(FindEntry{text::Narrow(data.cFileName), data.dwFileAttributes});
    } while (FindNextFileW(find.Get(), &data));
    return true;
}

std::wstring FinalPath(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD got = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (got == 0) break;
        if (got < path.size()) {
            path.resize(got);
            return path;
        }
        path.assign(got + 1, L'\0');  // too small: got is the size needed
    }
    // Wine 8 asks for the name in a buffer of MAX_PATH characters and fails
    // with ERROR_MORE_DATA for longer paths, whatever the caller's buffer;
    // the object's name, asked directly, is its "\??\" path.
    return GetLastError() == ERROR_MORE_DATA ? ObjectDosPath(handle) : std::wstring();
}

std::wstring FolderFinalPath(const std::string& folder) {
    const std::wstring wide = WidePathAnyLength(folder);
    if (wide.empty()) return {};
    // Links are followed: the folder's files are reached through where it really is.
    FileHandle handle(CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle ? FinalPath(handle.Get()) : std::wstring();
}

bool IsLinkToAnotherFile(const std::string& path) {
    const std::wstring wide = WidePathAnyLength(path);
    if (wide.empty()) return false;
    const FileHandle file(CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return false;
    const std::wstring finalPath = FinalPath(file.Get());
    std::wstring expected = FolderFinalPath(ExtractFilePath(path));
    if (finalPath.empty() || expected.empty()) return false;
    if (expected.back() != L'\\') expected += L'\\';
    expected += text::Widen(ExtractFileName(path));
    return CompareStringOrdinal(finalPath.c_str(), static_cast<int>(finalPath.size()), expected.c_str(),
                                static_cast<int>(expected.size()), TRUE) != CSTR_EQUAL;
}

bool IsInsideFolder(const std::wstring& path, const std::wstring& folder) {
    size_t length = folder.size();
    while (length > 0 && folder[length - 1] == L'\\') --length;
    if (length == 0 || path.size() <= length + 1 || path[length] != L'\\') return false;
    return CompareStringOrdinal(path.c_str(), static_cast<int>(length), folder.c_str(), static_cast<int>(length),
                                TRUE) == CSTR_EQUAL;
}

FolderFileDelete DeleteFileInFolder(const std::string& path, const std::wstring& folderFinalPath, DWORD& error) {
    error = 0;
    const std::wstring wide = WidePathAnyLength(path);
    if (wide.empty()) {
        error = ERROR_INVALID_NAME;
        return FolderFileDelete::Failed;
    }
    // On Windows a symbolic link or junction is opened itself, so the delete
    // takes the link and never its target. Wine shows a Unix symbolic link as
    // a plain file, opens its target whatever the flag and deletes the target
    // through it (DeleteFile does the same); the final path then names the
    // target, and the check below leaves it alone when it is elsewhere.
    FileHandle file(CreateFileW(wide.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        error = LastErrorOr(ERROR_GEN_FAILURE);
        return FolderFileDelete::Failed;
    }
    if (!IsInsideFolder(FinalPath(file.Get()), folderFinalPath)) return FolderFileDelete::Outside;
    // Through the handle checked: a file put in its place meanwhile is not
    // the one that goes. A read-only file refuses (access denied).
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof(disposition))) {
        error = LastErrorOr(ERROR_GEN_FAILURE);
        return FolderFileDelete::Failed;
    }
    return FolderFileDelete::Deleted;
}

bool DeleteFileOutsideFolders(const std::string& path, const std::vector<std::wstring>& keptFolderFinalPaths) {
    for (const std::wstring& kept : keptFolderFinalPaths)
        if (kept.empty()) return false;
    const std::wstring wide = WidePathAnyLength(path);
    if (wide.empty()) return false;
    // Opened as DeleteFileInFolder opens: the final path names what the
    // delete through this handle would take (on Wine, a link's target).
    FileHandle file(CreateFileW(wide.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return false;
    const std::wstring finalPath = FinalPath(file.Get());
    if (finalPath.empty()) return false;
    // Wine opens what a link leads to: a file found elsewhere than in its
    // own folder is someone else's.
    const size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return false;
    std::string folder = path.substr(0, separator);
    if (folder.empty() || folder.back() == ':') folder += '\\';  // a drive's root
    const std::wstring ownFolder = FolderFinalPath(folder);
    if (ownFolder.empty() || !IsInsideFolder(finalPath, ownFolder)) return false;
    for (const std::wstring& kept : keptFolderFinalPaths)
        if (IsInsideFolder(finalPath, kept)) return false;
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof(disposition)) != 0;
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    const std::wstring wide = WidePathAnyLength(path);
    if (wide.empty()) return false;
    FileHandle file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char buffer[65536];
    DWORD got = 0;
    // A read that fails part way is a failure: a caller that rewrote the file
    // from what was read would lose the rest.
    for (;;) {
        if (!ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr)) return false;
        if (got == 0) return true;
        bytes.append(buffer, got);
    }
}

namespace {

bool WriteWholeFile(const std::string& path, const std::string& bytes, bool flush) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return false;
    if (written != bytes.size()) {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    return !flush || FlushFileBuffers(file.Get());
}

}  // namespace

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    return WriteWholeFile(path, bytes, false);
}

bool WriteFileBytesFlushed(const std::string& path, const std::string& bytes) {
    return WriteWholeFile(path, bytes, true);
}

FileWriteOutcome WriteNewFile(const std::string& path, const std::string& bytes) {
    return WriteNewFile(path, std::vector<std::string_view>{bytes});
}

FileWriteOutcome WriteNewFile(const std::string& path, const std::vector<std::string_view>& pieces) {
    FileWriteOutcome outcome;
    const std::wstring wide = WidePathAnyLength(path);
    if (wide.empty()) {
        outcome.error = ERROR_INVALID_NAME;
        return outcome;
    }
    // Windows refuses to replace a read-only file; Wine, run as root,
    // replaces it. Refused here alike on both.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        outcome.error = ERROR_ACCESS_DENIED;
        return outcome;
    }
    FileHandle file(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        outcome.error = GetLastError();
        return outcome;
    }
    outcome.created = true;
    // In pieces a DWORD can count.
    constexpr size_t kPiece = 64u << 20;
    for (const std::string_view bytes : pieces) {
        for (size_t done = 0; done < bytes.size();) {
            const DWORD piece = static_cast<DWORD>(std::min(kPiece, bytes.size() - done));
            DWORD written = 0;
            if (!WriteFile(file.Get(), bytes.data() + done, piece, &written, nullptr)) {
                outcome.error = GetLastError();
                return outcome;
            }
            if (written == 0) {
                outcome.error = ERROR_DISK_FULL;
                return outcome;
            }
            done += written;
        }
    }
    if (!CloseHandle(file.Release())) outcome.error = GetLastError();
    return outcome;
}

bool ReplaceFileAtomically(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return false;
    std::string line;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return true;
}

FileHandle OpenLockFile(const std::string& path, DWORD waitMs) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        FileHandle lock(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (lock) return lock;
        const DWORD reason = GetLastError();
        // A holder shows as a sharing violation; a lock file being deleted by
        // the holder that just let go refuses access for a moment. Access
        // refused with no file there is a folder we may not write: no wait.
        const bool held = reason == ERROR_SHARING_VIOLATION || (reason == ERROR_ACCESS_DENIED && FileExists(path));
        if (!held || GetTickCount64() - start >= waitMs) {
            SetLastError(reason);
            return lock;
        }
        Sleep(20);
    }
}

bool DeleteFilePath(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

std::string FullPathName(const std::string& path) {
    if (path.empty()) return {};
    DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::vector<char> buffer(size + 1, '\0');
    DWORD got = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    return got > 0 && got < buffer.size() ? std::string(buffer.data(), got) : std::string();
}

bool CreateFolderPath(const std::string& path) {
    if (path.empty() || DirectoryExists(path)) return !path.empty();
    std::string trimmed = path;
    while (trimmed.size() > 3 && (trimmed.back() == '\\' || trimmed.back() == '/'))
        trimmed.pop_back();
    size_t cut = trimmed.find_last_of("\\/");
    if (cut != std::string::npos && cut > 2) CreateFolderPath(trimmed.substr(0, cut));
    if (CreateDirectoryA(trimmed.c_str(), nullptr)) return true;
    // Keep the reason the folder could not be made for the caller's message.
    const DWORD reason = GetLastError();
    if (DirectoryExists(trimmed)) return true;
    SetLastError(reason);
    return false;
}

std::string ModuleFileName() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD got = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got < buffer.size()) return std::string(buffer.data(), got);
        buffer.resize(buffer.size() * 2);
    }
}

std::string ReadIniString(const std::string& file, const std::string& section,
                          const std::string& key) {
    for (DWORD size = kIniBufferStart; size <= kIniBufferLimit; size *= 4) {
        std::vector<char> buffer(size, '\0');
        DWORD got = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                             size, file.c_str());
        if (got < size - 1) return std::string(buffer.data(), got);
    }
    return {};
}

std::vector<std::string> ReadIniSectionNames(const std::string& file) {
    return ReadIniList(nullptr, file);
}

std::vector<std::string> ReadIniKeyNames(const std::string& file, const std::string& section) {
    return ReadIniList(section.c_str(), file);
}

bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}

bool DeleteIniKey(const std::string& file, const std::string& section, const std::string& key) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str()) != 0;
}

bool IniKeyExists(const std::string& file, const std::string& section, const std::string& key) {
    // A default no value can hold tells a missing key from an empty one.
    const char sentinel[] = "\x01<absent>";
    char buffer[32] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), sentinel, buffer, sizeof(buffer), file.c_str());
    return std::string(buffer) != sentinel;
}

std::string ExtractFilePath(const std::string& path) {
    size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string ExtractFileName(const std::string& path) {
    size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string RemoveExtension(const std::string& fileName) {
    size_t dot = fileName.find_last_of(".\\:");
    if (dot == std::string::npos || fileName[dot] != '.') return fileName;
    return fileName.substr(0, dot);
}

}  // namespace platform::files
