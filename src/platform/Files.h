// Files, folders and ini files.
#pragma once

#include "platform/Handles.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::files {

// True when a file (not a folder) exists at path.
bool FileExists(const std::string& path);
// True when a folder exists at path.
bool DirectoryExists(const std::string& path);
// The same for paths of any length: a path the ANSI calls cannot take
// (MAX_PATH characters and more) is asked for through the wide call with the
// "\\?\" prefix. A path holding a NUL names nothing and gives false, so a
// text from the registry is never tested only up to its first NUL.
bool FileExistsAnyLength(const std::string& path);
bool DirectoryExistsAnyLength(const std::string& path);
// The size of the file (not a folder) at path (any length) in bytes; false
// (size 0) when there is no such file or the system cannot tell.
bool FileSize(const std::string& path, unsigned long long& size);

// The text with its environment variables ("%NAME%") replaced as the
// system replaces them (ExpandEnvironmentStrings); a variable the process
// does not have stays as written. The text as it is when it cannot be expanded.
std::string ExpandEnvironment(const std::string& text);

// Whether a file missing at path can be told as missing at all. False for a
// path on the network (a UNC path, a device path, a drive the system calls
// remote: none is opened, so a server that does not answer holds nobody
// up), on a drive that does not exist, is not ready or has no media, and for
// a path that still holds a variable ("%NAME%") after expansion. A path
// without a drive (relative) is judged where the caller places it: true.
bool CanJudgeMissing(const std::string& path);
// The same with the drive's state told by driveReady (a caller asking about
// many paths asks each drive once).
bool CanJudgeMissing(const std::string& path, const std::function<bool(char)>& driveReady);
// Whether the drive (a letter) holds a disk that can be read: fixed disks
// and RAM disks are; a removable or optical drive only when the volume
// answers. A remote drive is never asked.
bool DriveReady(char letter);

struct FindEntry {
    std::string name;
    DWORD attributes = 0;
};
// Calls visit for every entry matching pattern (FindFirstFile/FindNextFile).
// Returns false when the search could not start.
bool FindEntries(const std::string& pattern, const std::function<void(const FindEntry&)>& visit);
// The same for patterns of any length, through the wide calls: a pattern the
// ANSI call cannot take is asked for in the "\\?\" form, and names come
// back as UTF-8 whatever their length.
bool FindEntriesAnyLength(const std::string& pattern, const std::function<void(const FindEntry&)>& visit);

// The path as the wide calls take it at any length: as it is when short,
// else absolute in the "\\?\" form. Empty for a path holding a NUL (it
// names nothing) or one the system cannot make absolute.
std::wstring WidePathAnyLength(const std::string& path);

// Where an open file or folder really is: its final path (links resolved as
// the system opened it), in the "\\?\" form of GetFinalPathNameByHandleW.
// Empty when the system cannot tell.
std::wstring FinalPath(HANDLE handle);
// The final path of the folder at path (any length); empty when it cannot
// be opened.
std::wstring FolderFinalPath(const std::string& folder);
// Whether the final path lies inside the folder's final path: below it, at
// a separator, case ignored as the file system ignores it. The folder itself
// is not inside itself; an empty folder or path holds nothing.
bool IsInsideFolder(const std::wstring& path, const std::wstring& folder);

// Whether the file at path (any length) is a link that leads to another
// file: its final path is not the final path of its folder followed by its
// name (case ignored). False when it cannot be opened or asked.
bool IsLinkToAnotherFile(const std::string& path);

// What DeleteFileInFolder did.
enum class FolderFileDelete {
    Deleted,
    Outside,  // the file really lies elsewhere (a link): left alone
    Failed,   // the system refused; the code says why
};
// Deletes the file at path (any length) only when it really lies inside the
// folder whose final path is given (FolderFinalPath). The file is opened,
// asked where it is, and deleted through that same handle, so what is
// deleted is what was checked; a folder at path is refused. error: the
// system's code when Failed, else 0.
FolderFileDelete DeleteFileInFolder(const std::string& path, const std::wstring& folderFinalPath, DWORD& error);

// Deletes the file at path (any length) only when it really lies in the
// folder that holds path and not inside one of the kept folders whose final
// paths are given (FolderFinalPath), checked and deleted through one handle
// as DeleteFileInFolder does: a link that leads elsewhere, into a kept
// folder or anywhere else, leaves its target alone. Nothing is deleted when
// a final path is unknown (empty), or path names a folder. True when deleted.
bool DeleteFileOutsideFolders(const std::string& path, const std::vector<std::wstring>& keptFolderFinalPaths);

// Reads a text file as lines (CR LF, LF or a lone CR end a line). An unreadable
// file gives false and no lines.
bool ReadTextLines(const std::string& path, std::vector<std::string>& lines);

// Whole-file read (any length of path) and write; write replaces the file.
bool ReadFileBytes(const std::string& path, std::string& bytes);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// The same, then flushed to the disk before returning, for files that must
// survive a crash once written.
bool WriteFileBytesFlushed(const std::string& path, const std::string& bytes);
// What WriteNewFile did: whether the file was created, and the system's
// code of the step that failed (0 when every byte was written).
struct FileWriteOutcome {
    bool created = false;
    DWORD error = 0;
};
// Creates the file at path (any length), replacing one of that name, writes
// the bytes and closes it. A file created but not written whole stays as
// far as it was written.
FileWriteOutcome WriteNewFile(const std::string& path, const std::string& bytes);
// The same for bytes held in pieces, written one after the other.
FileWriteOutcome WriteNewFile(const std::string& path, const std::vector<std::string_view>& pieces);
// Puts from in place of to in one step (a same-folder rename that replaces
// what is there), so readers see the old file or the new one, never a part.
bool ReplaceFileAtomically(const std::string& from, const std::string& to);

// Opens (creating it) a file that nobody else may open while the handle
// lives, and that goes away when it is closed: a lock that writers sharing a
// folder take turns on. Retries while another holds it, for up to waitMs;
// an invalid handle (with the system's reason as last error) after that.
FileHandle OpenLockFile(const std::string& path, DWORD waitMs);

bool DeleteFilePath(const std::string& path);
// The absolute form of a path (GetFullPathNameA): "." and ".." resolved,
// "/" turned into "\". Empty when the system cannot form one.
std::string FullPathName(const std::string& path);
bool CreateFolderPath(const std::string& path);  // creates every missing level

// Full path of the running executable.
std::string ModuleFileName();

// Windows profile-string reads; a missing key reads as empty.
std::string ReadIniString(const std::string& file, const std::string& section,
                          const std::string& key);
std::vector<std::string> ReadIniSectionNames(const std::string& file);
std::vector<std::string> ReadIniKeyNames(const std::string& file, const std::string& section);
// Profile-string writes. Windows maps some sections (win.ini [windows],
// system.ini [boot]) to the registry, so these go through the API as well.
bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value);
bool DeleteIniKey(const std::string& file, const std::string& section, const std::string& key);
// Whether the key is present (a present key may hold an empty text).
bool IniKeyExists(const std::string& file, const std::string& section, const std::string& key);

// Text helpers in the manner of path handling: the folder part keeps its
// trailing separator; the name part has none.
std::string ExtractFilePath(const std::string& path);
std::string ExtractFileName(const std::string& path);
std::string RemoveExtension(const std::string& fileName);

}  // namespace platform::files
