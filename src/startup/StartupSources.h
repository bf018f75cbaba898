// The startup sources as one table of rows: each row is one node of the
// StartUp page's tree (its caption and place), the reader that lists it,
// whether it shows on this machine, and what its rows allow. The engine,
// the page, the snapshot and the report read the rows; nothing else knows
// where a source sits in the tree.
#pragma once

#include <string>
#include <vector>

namespace startup {

struct StartupListing;
struct StartupContext;

// A source's id: the tree node's data, the demo's node and a restart's
// --node argument, so it never changes once given. A new source takes the
// next free number wherever it shows in the tree.
enum SourceId : int {
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
constexpr int kNoSource = -1;  // no node chosen, or a top node's parent

// What a source's rows are, which tells a command how to act on one.
enum class SourceKind {
    Mixed,          // rows of several sources ("All")
    RunKey,         // values of run keys, with Root Key and Section
    File,           // lines of a file Windows reads at start
    StartupFolder,  // files of both Startup folders
};

// What the user may do on the source's node and rows.
struct SourceAllows {
    bool add = false;         // Add: a run key value, or a Startup-folder shortcut
    bool remove = false;      // Delete of a row
    bool onOff = false;       // the rows' ticks switch them on and off
    bool edit = false;        // Edit opens the source's file in Notepad
    bool dropTarget = false;  // a run entry dragged onto the node moves there
    bool info = false;        // Info describes a row's file
};

// Where a file source's file lies.
enum class FileFolder { None, Windows, System32, DriveC };

struct StartupSource;
// Appends the source's rows to the listing.
using SourceReader = void (*)(const StartupSource& source, StartupListing& list, const StartupContext& context);
// Whether the source holds something on this machine (its node's picture).
using SourcePresence = bool (*)(const StartupSource& source);

struct StartupSource {
    int id = kNoSource;
    const char* caption = "";
    int parent = kNoSource;  // the id of the node above, kNoSource at the top
    int order = 0;           // its place among the nodes of the same parent
    SourceKind kind = SourceKind::Mixed;
    SourceAllows allows{};
    SourceReader read = nullptr;
    // Null for a group node, whose picture shows whether it is expanded.
    SourcePresence present = nullptr;
    // A run key's name ("Run"): the key below CurrentVersion of each root.
    const char* runKey = nullptr;
    // A file source's file.
    FileFolder folder = FileFolder::None;
    const char* fileName = nullptr;
    // Whether the startup snapshot holds this run key as one of its
    // sections (the Startup folders' files it always holds). Older
    // versions refuse a snapshot with a section they do not know, so it is
    // set for a new run key only with that in mind.
    bool inSnapshot = false;
};

// Every row, in id order.
const std::vector<StartupSource>& StartupSources();
// The row of an id; for an id without one (no node chosen) a row that
// lists nothing and allows nothing.
const StartupSource& SourceOf(int id);
// The rows in the tree's order: each node after its parent, the nodes of
// one parent by their order.
std::vector<const StartupSource*> SourcesInTreeOrder();
// The rows whose parent is the id, by their order.
std::vector<const StartupSource*> ChildSources(int id);
// A node with nodes below it: its picture follows its expansion.
bool IsGroupSection(int id);

// The run keys' rows in tree order; the listing, the flags and the checks of
// a section name read them.
std::vector<const StartupSource*> RunKeySources();
// The run keys' names the startup snapshot holds, in its file's order.
std::vector<std::string> SnapshotRunKeyNames();

// The file a file source lists; empty for other sources.
std::string SourceFilePath(const StartupSource& source);

}  // namespace startup
