// Taking a startup snapshot.
#include "snapshots/StartupSnapshot.h"

#include "backup/BackupPoint.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/Xml.h"
#include "startup/StartUpFunctions.h"

namespace snapshots {

namespace files = platform::files;

namespace {

constexpr const char* kMachine = "HKEY_LOCAL_MACHINE";
constexpr const char* kUser = "HKEY_CURRENT_USER";

// What the parser reads must be what we meant to write, text for text.
bool ReadsBackEqual(const std::string& bytes, const SnapshotData& data, std::string& error) {
    std::vector<platform::xml::LeafText> leaves;
    if (!platform::xml::ParseLeafTexts(bytes, leaves, error)) return false;
    const auto expected = SnapshotLeafTexts(data);
    if (leaves.size() != expected.size()) {
        error = "The snapshot reads back with " + std::to_string(leaves.size()) + " texts instead of " +
                std::to_string(expected.size()) + ".";
        return false;
    }
    for (size_t i = 0; i < leaves.size(); ++i) {
        const std::string text = TextBetweenLineBreaks(leaves[i].text);
        if (leaves[i].tag != expected[i].first || text != expected[i].second) {
            error = "The snapshot does not read back as written: <" + expected[i].first + "> \"" +
                    expected[i].second + "\" reads as <" + leaves[i].tag + "> \"" + text + "\".";
            return false;
        }
    }
    return true;
}

}  // namespace

void AppendRunKeyEntries(SnapshotSection& section, const std::string& rootName, const std::string& suffix) {
    for (startup::RunKeyText& value : startup::ReadRunKeyTexts(rootName, section.name + suffix))
        section.entries.push_back(
            SnapshotRunEntry{std::move(value.name), std::move(value.text), rootName, suffix.empty()});
}

SnapshotData ReadStartupSnapshot(const std::string& date) {
    SnapshotData data;
    for (const std::string& name : startup::SnapshotRunKeyNames()) {
        SnapshotSection section{name, {}};
        AppendRunKeyEntries(section, kMachine, "");
        AppendRunKeyEntries(section, kUser, "");
        AppendRunKeyEntries(section, kMachine, startup::kSwitchedOffSuffix);
        AppendRunKeyEntries(section, kUser, startup::kSwitchedOffSuffix);
        data.sections.push_back(std::move(section));
    }
    for (const std::string& path : startup::StartupFolderFiles())
        data.files.push_back(
            SnapshotFileEntry{files::RemoveExtension(files::ExtractFileName(path)), files::ExtractFilePath(path)});
    data.date = date;
    return data;
}

bool WriteSnapshotFile(const std::string& path, const SnapshotData& data, std::string& error) {
    std::string bytes;
    std::string fault;
    if (!BuildSnapshotBytes(data, bytes, fault)) {
        error = "The snapshot cannot be written: " + fault;
        return false;
    }
    if (!ReadsBackEqual(bytes, data, fault)) {
        error = "The snapshot was not saved. " + fault;
        return false;
    }
    if (!backup::WriteFileAside(path, bytes, fault)) {
        error = "The snapshot could not be saved: " + fault;
        return false;
    }
    return true;
}

const char* const kSavingSnapshotText = "Saving the StartUp snapshot...";
const char* const kSnapshotNotSavedText = "The snapshot was stopped and not saved.";

bool SaveStartupSnapshot(const std::string& path, std::string& error, common::IProgressSink& progress,
                         common::StopToken stop) {
    progress.Progress(0, 2, kSavingSnapshotText);
    const SnapshotData data = ReadStartupSnapshot(platform::text::ShortDateToday());
    if (stop.StopRequested()) {
        error = kSnapshotNotSavedText;
        return false;
    }
    progress.Progress(1, 2, kSavingSnapshotText);
    if (!WriteSnapshotFile(path, data, error)) return false;
    progress.Progress(2, 2, kSavingSnapshotText);
    return true;
}

std::string SnapshotFileName(const std::string& date) { return "StartUp(" + date + ").xml"; }

}  // namespace snapshots
