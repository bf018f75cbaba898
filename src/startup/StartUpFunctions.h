// The startup entry rows and the readers of every source, the Active state
// and the sources' presence flags. The sources themselves (the tree, what
// each allows) are the rows of StartupSources.h. Readers append to a
// StartupListing; the window shows it.
#pragma once

#include "common/FileVersionInfo.h"
#include "startup/StartUpEditing.h"
#include "platform/RegistryKey.h"
#include "startup/StartupSources.h"

#include <string>
#include <vector>

namespace startup {

// The three roots whose run keys Windows reads.
extern const char* const kRunRoots[3];

constexpr const char* kRunKeyBase = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
constexpr const char* kSwitchedOffSuffix = "-";

// prefix + "SOFTWARE\Microsoft\Windows\CurrentVersion\" + section + suffix;
// the prefix is ".Default\" under HKEY_USERS.
std::string RunKeyPath(const std::string& rootName, const std::string& section,
                       const std::string& suffix = "");

// Where a run key (a section, or a section + "-") of the root named by the
// row is: the one place the root's name becomes a key.
platform::RegistryPlace RunKeyPlace(const std::string& rootName, const std::string& keyName);

// Opens a run key for reading only, as every reader does: the machine's
// keys refuse write access to users without administrator rights, who must
// still see their entries. An invalid key when it cannot be opened.
platform::RegistryKey OpenRunKeyToRead(const std::string& rootName, const std::string& keyName);

// One named value of a run key that holds text.
struct RunKeyText {
    std::string name;  // may hold NULs (a way to hide an entry)
    std::string text;
};
// The named text values of one run key (a section, or a section + "-"), in
// the order the registry gives them, read only: the key's default value and
// values of other types are passed over whole. Empty when the key cannot be
// opened. The one reader behind the list, the snapshot and its comparison.
std::vector<RunKeyText> ReadRunKeyTexts(const std::string& rootName, const std::string& keyName);

// The file a file source lists; empty for others.
std::string SectionFilePath(int id);

// One row of lvSuValues: caption "Name", then Location, Root Key, Section and
// Active as far as the source gives them.
struct StartupRow {
    std::string caption;
    std::vector<std::string> subItems;
    bool checked = false;
    std::string iconFile;  // the file whose first icon the row shows; empty: none
    std::string filePath;  // the Startup-folder file the row stands for; empty for other rows
    // A run-key row's value name itself, which may hold NULs the caption
    // shows as "\0": commands act on this, never on the shown text. Empty
    // for rows of other sources.
    std::string valueName;
};

enum class SuPopupMenu { ValueReg, ValueFiles };

struct StartupListing {
    std::vector<StartupRow> rows;
    bool checkBoxes = false;
    SuPopupMenu popup = SuPopupMenu::ValueReg;
};

// Main-module paths of the processes running now; taken once per listing so
// every row is compared with the same snapshot.
std::vector<std::string> RunningProcessPaths();

// "Yes" when a running process's main module is the file the location
// starts, "No" when none is, "N/A" when that file does not exist.
std::string ActiveState(const std::string& location, const FileVersionInfo& info,
                        const std::vector<std::string>& runningPaths);

// What every row of one listing is resolved against, read once per listing.
struct StartupContext {
    const FileVersionInfo& info;
    std::vector<std::string> runningPaths;
    PathEnvironment folders = SystemPathEnvironment();
};

// Fills the (emptied) listing with the rows of the source and removes the
// rows with an empty Location.
void ListSection(int id, StartupListing& list, const FileVersionInfo& info);

// The sources' readers (SourceReader), each appending to the listing.
void ReadEverything(const StartupSource& source, StartupListing& list, const StartupContext& context);  // "All"
void ReadAllRunKeys(const StartupSource& source, StartupListing& list, const StartupContext& context);
// One run key under each root, its switched-off twin too.
void ReadRunKeySource(const StartupSource& source, StartupListing& list, const StartupContext& context);
// The readers of the nodes below the source, in the tree's order.
void ReadChildSources(const StartupSource& source, StartupListing& list, const StartupContext& context);
void ReadWinIni(const StartupSource& source, StartupListing& list, const StartupContext& context);
void ReadSystemIni(const StartupSource& source, StartupListing& list, const StartupContext& context);
void ReadWininitIni(const StartupSource& source, StartupListing& list, const StartupContext& context);
// A batch or configuration file's "name=value" lines.
void ReadSettingLines(const StartupSource& source, StartupListing& list, const StartupContext& context);
// A file's "lh" (load high) lines.
void ReadLoadHighLines(const StartupSource& source, StartupListing& list, const StartupContext& context);
void ReadStartupFolderSource(const StartupSource& source, StartupListing& list, const StartupContext& context);
void ReadStartupFolders(StartupListing& list, const StartupContext& context);

// The sources' presence tests (SourcePresence).
bool RunKeyHasValues(const StartupSource& source);  // under any root
bool SourceFileExists(const StartupSource& source);
bool StartupFolderHasFiles(const StartupSource& source);

// The files of both Startup folders (hidden files left out).
std::vector<std::string> StartupFolderFiles();

// Presence flag per source id: which sources hold something.
class SuSectionFlags {
public:
    bool operator[](int id) const { return id >= 0 && id < static_cast<int>(present_.size()) && present_[id]; }
    void Set(int id, bool present);

private:
    std::vector<bool> present_;
};
SuSectionFlags UpdateSectionFlags();

// Section images: 0 present, 2 absent, 1 for an expanded group node.
constexpr int kSuImagePresent = 0;
constexpr int kSuImageExpanded = 1;
constexpr int kSuImageAbsent = 2;
int SectionImage(int id, const SuSectionFlags& flags);

// The file the information dialog describes for a row of the source id:
// for a Startup-folder row the shortcut's target, for "All" the target when
// the row is a shortcut whose file exists, else the row's Location.
std::string programInfoPath(int id, const std::string& name, const std::string& location,
                            FileVersionInfo& info);
// The same for a row that knows its Startup-folder file (filePath, empty for
// other rows): a shortcut describes its target, any other file itself, so a
// program lying beside a shortcut of the same name is never mistaken for it.
std::string programInfoPath(int id, const std::string& name, const std::string& location,
                            const std::string& filePath, FileVersionInfo& info);

// Whether the file can be described: it exists, or it has version data.
bool CanDescribeFile(const std::string& path, const FileVersionInfo& info);

// The Notepad command line that edits the file of a source that allows
// Edit; empty for others.
std::string EditCommandLine(int id);

}  // namespace startup
