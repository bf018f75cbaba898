// The startup sources: the section tree, the startup entry rows and the
// readers of every source, the Active state and the section presence flags.
// Readers append to a StartupListing; the window shows it.
#pragma once

#include "common/FileVersionInfo.h"
#include "startup/StartUpEditing.h"

#include <array>
#include <string>
#include <vector>

class TRegistry;

namespace startup {

// Positions of tvSuSections in a depth-first walk.
enum SuSection : int {
    kSuAll = 0,
    kSuRegistry = 1,
    kSuRun = 2,
    kSuRunOnce = 3,
    kSuRunOnceEx = 4,
    kSuRunService = 5,
    kSuRunServiceOnce = 6,
    kSuStartUpFiles = 7,
    kSuWinIni = 8,
    kSuSystemIni = 9,
    kSuWininitIni = 10,
    kSuWinstartBat = 11,
    kSuAutoexecBat = 12,
    kSuConfigSys = 13,
    kSuDosstartBat = 14,
    kSuAutoexecNt = 15,
    kSuConfigNt = 16,
    kSuAutostart = 17,
};
constexpr int kSuSectionCount = 18;

struct SuSectionNode {
    const char* caption;
    int depth;
};
// Captions and depths of the 18 tree nodes, by position.
extern const SuSectionNode kSuSectionNodes[kSuSectionCount];

// The five run-key names, in listing order, and the three roots.
extern const char* const kRunSections[5];
extern const char* const kRunRoots[3];

constexpr const char* kRunKeyBase = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
constexpr const char* kSwitchedOffSuffix = "-";

// prefix + "SOFTWARE\Microsoft\Windows\CurrentVersion\" + section + suffix;
// the prefix is ".Default\" under HKEY_USERS.
std::string RunKeyPath(const std::string& rootName, const std::string& section,
                       const std::string& suffix = "");

// Opens a run key (a section, or a section + "-") of the root for reading
// only, as every reader does: the machine's keys refuse write access to
// users without administrator rights, who must still see their entries.
bool OpenRunKeyToRead(TRegistry& registry, const std::string& rootName, const std::string& keyName);

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

// The file a file section (positions 8 to 16) lists; empty for others.
std::string SectionFilePath(int position);

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
std::string ActiveState(const std::string& location, const TFileVersionInfo& info,
                        const std::vector<std::string>& runningPaths);

// What every row of one listing is resolved against, read once per listing.
struct StartupContext {
    const TFileVersionInfo& info;
    std::vector<std::string> runningPaths;
    PathEnvironment folders = SystemPathEnvironment();
};

// Fills the (emptied) listing with the rows of the section at position and
// removes the rows with an empty Location.
void ListSection(int position, StartupListing& list, const TFileVersionInfo& info);

// The readers, each appending to the listing.
void ReadRunKey(StartupListing& list, const std::string& rootName, const std::string& section,
                int position, const StartupContext& context);
void ReadIniFile(StartupListing& list, int iniPosition, int position,
                 const StartupContext& context);
void ReadWininitIni(StartupListing& list);
void ReadBatchFile(StartupListing& list, int position);
void ReadStartupFolders(StartupListing& list, const StartupContext& context);

// The files of both Startup folders (hidden files left out).
std::vector<std::string> StartupFolderFiles();

// Presence flag per position: which sources hold something.
using SuSectionFlags = std::array<bool, kSuSectionCount>;
SuSectionFlags UpdateSectionFlags();

// Section images: 0 present, 2 absent, 1 for an expanded group node.
constexpr int kSuImagePresent = 0;
constexpr int kSuImageExpanded = 1;
constexpr int kSuImageAbsent = 2;
bool IsGroupSection(int position);
int SectionImage(int position, const SuSectionFlags& flags);

// The file the information dialog describes for a row of the section at
// position: for "Autostart" the shortcut's target, for "All" the target when
// the row is a shortcut whose file exists, else the row's Location.
std::string ProgramInfoPath(int position, const std::string& name, const std::string& location,
                            TFileVersionInfo& info);
// The same for a row that knows its Startup-folder file (filePath, empty for
// other rows): a shortcut describes its target, any other file itself, so a
// program lying beside a shortcut of the same name is never mistaken for it.
std::string ProgramInfoPath(int position, const std::string& name, const std::string& location,
                            const std::string& filePath, TFileVersionInfo& info);

// Whether the file can be described: it exists, or it has version data.
bool CanDescribeFile(const std::string& path, const TFileVersionInfo& info);

// The Notepad command line that edits the file of a file section (8 to 16).
std::string EditCommandLine(int position);

}  // namespace startup
