// Taking a startup snapshot: the run-key entries and Startup-folder files of
// the machine now, written as a snapshot file.
#pragma once

#include "common/ProgressSink.h"
#include "common/StopToken.h"
#include "formats/SnapshotFile.h"

#include <string>

namespace snapshots {

// Appends the named text values of one run key of the root
// ("HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", or "HKEY_USERS", read under
// ".Default\") to the section: the section's own key with suffix "" (active
// entries) or its switched-off key with "-". The key is read only, so a user
// without administrator rights gets the machine's entries too; a key that
// cannot be opened adds nothing; a value that does not hold text is passed
// over whole.
void AppendRunKeyEntries(SnapshotSection& section, const std::string& rootName, const std::string& suffix);

// The five run sections, each read from the machine's key, the user's key,
// then their switched-off keys; the files of the user's then the common
// Startup folder; and the date given.
SnapshotData ReadStartupSnapshot(const std::string& date);

// Builds the file's bytes, parses them back with the XML document object
// and checks that every text reads back as it is, then writes them beside
// path and puts them in its place. False, with a sentence for the user in
// error, when any step fails; the file at path is then as it was.
bool WriteSnapshotFile(const std::string& path, const SnapshotData& data, std::string& error);

// The machine's snapshot dated today (the user's short date format) saved
// at path, as WriteSnapshotFile does. Progress: two steps (read, written) of
// kSavingSnapshotText; a stop asked while it reads writes nothing and
// returns false with kSnapshotNotSavedText.
bool SaveStartupSnapshot(const std::string& path, std::string& error,
                         common::IProgressSink& progress = common::NoProgressSink(), common::StopToken stop = {});
extern const char* const kSavingSnapshotText;
extern const char* const kSnapshotNotSavedText;

// The file name a save of the snapshot proposes: "StartUp(" + date + ").xml",
// the date as formatted (a "/" in it stays).
std::string SnapshotFileName(const std::string& date);

}  // namespace snapshots
