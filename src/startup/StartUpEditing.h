// Changing startup entries: adding, deleting, switching on and off, moving
// between run keys, and the files of the Startup folders.
#pragma once

#include <windows.h>

#include <string>

namespace startup {

// A startup entry of a run key, as its list row shows it.
struct RunEntry {
    std::string name;  // the value name itself, NULs inside it included (the row's valueName)
    std::string location;
    std::string rootName;
    std::string section;
};

// The three roots whose run keys the lists show, and the five run keys.
bool IsStartupRootName(const std::string& rootName);
bool IsRunSectionName(const std::string& section);

// The key that holds the entry: "<root>\<run key>", the switched-off twin
// ("...-") when the entry is not active. Empty for an entry whose root or
// section is not one the lists show (a row of another source).
std::string RunEntryKeyPath(const RunEntry& entry, bool active);

// Why the add dialog's texts cannot be added ("" when they can): a root or
// section the lists never show, or an empty name (which would be the key's
// default value), would add an entry no list can show or remove.
std::string AddRunValueProblem(const std::string& rootName, const std::string& section, const std::string& name);

// What an add of a run value did.
enum class RunAddOutcome {
    Added,
    Exists,       // the key already holds a value of that name: left as it is
    NotWritable,  // the key could not be opened or created for writing, or refused the value
};

// Writes the value into the active key, creating the key; an existing value
// of that name is left as it is.
RunAddOutcome AddNewRunValue(const std::string& rootName, const std::string& section, const std::string& name,
                             const std::string& location);
// AddNewRunValue, true when it wrote.
bool AddRunValue(const std::string& rootName, const std::string& section, const std::string& name,
                 const std::string& location);
// What the user reads when an add wrote nothing ("" for Added): the name and
// the whole key, so the user knows which entry to look at.
std::string RunAddOutcomeText(RunAddOutcome outcome, const std::string& rootName, const std::string& section,
                              const std::string& name);

// Deletes the value from the key (a section, or a section + "-") only while
// it still holds the row's location: a row listed before another program
// put something else under that name must not delete that. Returns whether
// it deleted.
bool DeleteRunValue(const std::string& rootName, const std::string& keyName, const std::string& name,
                    const std::string& location);

// What a change of one value of a run key did.
enum class RunValueChange {
    Done,
    Changed,      // the value no longer holds what was read, or went: left as it is
    NotWritable,  // the key refused: nothing changed
};

// DeleteRunValue, telling why nothing was deleted.
RunValueChange DeleteHeldRunValue(const std::string& rootName, const std::string& keyName, const std::string& name,
                                  const std::string& location);

// Gives the value of the key (a section, or a section + "-") the new text in
// its own type (an expandable string stays expandable), only while it still
// holds heldLocation.
RunValueChange RewriteRunValue(const std::string& rootName, const std::string& keyName, const std::string& name,
                               const std::string& heldLocation, const std::string& newLocation);

// What a Delete of a run entry did.
enum class RunDeleteOutcome {
    Deleted,       // saved in a backup point, checked there, then deleted
    Changed,       // the value no longer holds the row's location, or went: left as it is
    NotWritable,   // saved, but the key refused the delete: nothing changed
    BackupFailed,  // the point could not be written or checked: nothing was deleted
    Refused,       // not even saved: the name is one a backup point cannot give back; problem says why
};

struct RunDeleteResult {
    RunDeleteOutcome outcome = RunDeleteOutcome::BackupFailed;
    std::string pointFolder;  // the point that holds the value (trailing "\"); empty when the backup failed
    std::string problem;      // when the backup failed or the delete was refused: why, a sentence for the user
};

// Deletes a run entry as the StartUp page's Delete does: its value (in the
// section's key when active, else in the "-" twin), while it still holds the
// entry's location, is first saved in the backup point named after now
// inside backupFolder and checked there, then deleted only while it still
// holds that location. A name holding a
// NUL is refused: restoring a point writes a value back through calls that
// end the name there, so the entry could not be given back, and its
// namesake would be overwritten.
RunDeleteResult DeleteRunEntryWithBackup(const RunEntry& entry, bool active, const std::string& backupFolder,
                                         const SYSTEMTIME& now);

// What switching or moving an entry did.
enum class EntryMoveOutcome {
    Moved,           // copied, type and bytes unchanged, into the target key and taken out of the source
    AlreadyInPlace,  // the registry already is as the row asks; nothing was opened for writing
    Conflict,        // nothing changed; the message says why (the list was out of date)
    NotWritable,     // a key could not be opened for writing; nothing changed, nothing to say
};

struct EntryMoveResult {
    EntryMoveOutcome outcome = EntryMoveOutcome::NotWritable;
    std::string message;          // for a Conflict: a sentence for the user; empty otherwise
    bool registryActive = false;  // the active key now holds the entry (its name with its location)
};

// Leaves the entry in the active key (active) or in its "-" twin. The value
// is moved only when the other key holds exactly the row's location and the
// target holds nothing of that name.
EntryMoveResult SwitchEntry(const RunEntry& entry, bool active);

// Moves the entry to another run key of the same root, keeping its state,
// under the same rules; registryActive then speaks of the section the entry
// is in afterwards.
EntryMoveResult MoveRunEntry(const RunEntry& entry, bool active, const std::string& toSection);

// Whether the path names a file inside one of the two Startup folders (or a
// folder below them).
bool IsInStartupFolder(const std::string& filePath);

// What a Delete of a Startup-folder file did.
enum class StartupFileOutcome {
    Deleted,
    NotInStartupFolder,  // the path is not in a Startup folder: refused
    Gone,                // nothing is there any more
    Outside,             // a link to a file outside the Startup folder: left alone
    ReadOnly,            // the file is read-only: refused, its attribute left as it is
    Failed,              // the system refused
};

struct StartupFileDeleteResult {
    StartupFileOutcome outcome = StartupFileOutcome::Failed;
    // Why the file stayed, a sentence for the user; empty when it was
    // deleted or is gone, so nothing needs saying.
    std::string problem;
    // Refused in the Startup folder of all users, which only administrators
    // may change: a restart as administrator could do it.
    bool forAdministrators = false;
};

// Deletes exactly that file, a program or a shortcut, when it lies in a
// Startup folder and really is there (a link to a file elsewhere is not
// deleted, nor its target); refuses any other path, and a read-only file.
StartupFileDeleteResult DeleteStartupFile(const std::string& filePath);

// The shortcut name for a file: its name up to and including the first "."
// followed by "lnk" ("lnk" alone for a name without a dot).
std::string StartupShortcutName(const std::string& filePath);

// Creates a shortcut to the file in the user's Startup folder. A shortcut of
// that name to the same file is replaced; one to another program, or another
// file of that name, is left alone: the result is false and problem (when
// given) says why.
bool CreateStartupShortcut(const std::string& filePath, std::string* problem = nullptr);

}  // namespace startup
