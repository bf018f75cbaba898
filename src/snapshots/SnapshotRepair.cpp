// The comparison's three repairs.
#include "snapshots/SnapshotRepair.h"

#include "backup/BackupPoint.h"
#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "startup/StartUpEditing.h"
#include "startup/StartUpFunctions.h"

#include <unordered_map>
#include <unordered_set>

namespace snapshots {

const char* const kRestoredText = "XMLFILE'S PARAMETRS WAS LOADED.";

namespace {

// One value of the registry: root, key and name as the registry tells
// names apart (case ignored).
std::string ValueKey(const CompareRegistryRow& row) {
    return row.root + "\\" + RowKeyName(row) + "\\" + CaptionKey(row.name);
}

const char* const kNulName =
    "Its name holds a NUL character, which a backup point cannot give back whole; it was left as it is.";
const char* const kTwice = "The snapshot holds it more than once; the first was taken.";

std::string ChangeReason(startup::RunValueChange change) {
    return change == startup::RunValueChange::Changed
               ? "It no longer holds what was read when the snapshot was compared; it was left as it is."
               : "The key refused the change (administrator rights may be needed).";
}

const char* const kNotWritten =
    "It could not be written: the key refused it, or a value of that name that is not a program line is there.";

// What a repair will do to one row.
struct Step {
    enum Kind { Delete, Rewrite, Create } kind;
    CompareRegistryRow row;     // the row reported: the present one deleted, the snapshot one written
    std::string heldLocation;   // what the value holds now (Delete, Rewrite)
    std::string registryName;   // the value's name as the registry has it (Rewrite)
};

void Fail(RepairResult& result, const CompareRegistryRow& row, const std::string& reason, bool notWritable = false) {
    result.failed.push_back({row, reason, notWritable});
}

// Saves what the steps delete or overwrite in one point, which tells what
// the command made it for; false (result telling why) when that fails, and
// then nothing may change.
bool BackUpSteps(const std::vector<Step>& steps, const std::string& backupFolder, const SYSTEMTIME& now,
                 const char* command, RepairResult& result) {
    std::vector<backup::BackupItem> items;
    for (const Step& step : steps) {
        if (step.kind == Step::Create) continue;
        const std::string name = step.kind == Step::Rewrite ? step.registryName : step.row.name;
        items.push_back({step.row.root, startup::RunKeyPath(step.row.root, RowKeyName(step.row)), false, name});
    }
    if (items.empty()) return true;
    if (backup::BackUpBeforeDelete(backupFolder, now, items, result.pointFolder, result.error,
                                   command + (": " + Counted(items.size(), "item", "items"))))
        return true;
    result.pointFolder.clear();
    result.backupFailed = true;
    return false;
}

void Carry(const Step& step, RepairResult& result) {
    const CompareRegistryRow& row = step.row;
    const std::string key = RowKeyName(row);
    if (step.kind == Step::Create) {
        if (startup::AddRunValue(row.root, key, row.name, row.location)) result.done.push_back(row);
        else Fail(result, row, kNotWritten, true);
        return;
    }
    const startup::RunValueChange change =
        step.kind == Step::Delete ? startup::DeleteHeldRunValue(row.root, key, row.name, step.heldLocation)
                                  : startup::RewriteRunValue(row.root, key, step.registryName, step.heldLocation,
                                                             row.location);
    if (change == startup::RunValueChange::Done) result.done.push_back(row);
    else Fail(result, row, ChangeReason(change), change == startup::RunValueChange::NotWritable);
}

// Carries the steps out in turn, told to progress, until a stop.
void CarrySteps(const std::vector<Step>& steps, common::IProgressSink& progress, common::StopToken stop,
                RepairResult& result) {
    const int total = static_cast<int>(steps.size());
    result.total = total;
    const std::string stage = SnapshotStageText(SnapshotStage::Repairing);
    for (int done = 0; done < total; ++done) {
        if (stop.StopRequested()) {
            result.stopped = true;
            return;
        }
        progress.Progress(done, total, stage);
        Carry(steps[static_cast<size_t>(done)], result);
        result.reached = done + 1;
    }
    progress.Progress(total, total, stage);
}

RepairResult CarryOut(const std::vector<Step>& steps, const std::string& backupFolder, const SYSTEMTIME& now,
                      const char* command, common::IProgressSink& progress, common::StopToken stop,
                      RepairResult result) {
    if (stop.StopRequested()) {  // nothing saved, nothing changed
        result.stopped = true;
        result.total = static_cast<int>(steps.size());
        return result;
    }
    progress.Progress(0, 1, SnapshotStageText(SnapshotStage::BackingUp));
    if (!BackUpSteps(steps, backupFolder, now, command, result)) return result;
    progress.Progress(1, 1, SnapshotStageText(SnapshotStage::BackingUp));
    CarrySteps(steps, progress, stop, result);
    return result;
}

}  // namespace

RepairResult RestoreAll(const CompareRows& snapshot, const CompareRows& present, const std::string& backupFolder,
                        const SYSTEMTIME& now, common::IProgressSink& progress, common::StopToken stop) {
    RepairResult result;
    std::unordered_map<std::string, const CompareRegistryRow*> presentByValue;
    for (const CompareRegistryRow& row : present.registry) presentByValue.emplace(ValueKey(row), &row);
    std::vector<Step> deletes, writes;
    std::unordered_set<std::string> wanted;
    for (const CompareRegistryRow& s : snapshot.registry) {
        const std::string value = ValueKey(s);
        if (!wanted.insert(value).second) {
            Fail(result, s, kTwice);
            continue;
        }
        const auto held = presentByValue.find(value);
        if (held == presentByValue.end()) writes.push_back({Step::Create, s, "", ""});
        else if (held->second->location != s.location)
            writes.push_back({Step::Rewrite, s, held->second->location, held->second->name});
    }
    for (const CompareRegistryRow& p : present.registry) {
        if (wanted.count(ValueKey(p))) continue;
        if (platform::reg::NameHoldsNul(p.name)) Fail(result, p, kNulName);
        else deletes.push_back({Step::Delete, p, p.location, p.name});
    }
    // Deletes first: a snapshot entry may come back under a name that differs
    // from a present one by case alone.
    deletes.insert(deletes.end(), writes.begin(), writes.end());
    // Startup files are not put back: a snapshot keeps their names only.
    result.filesLeft = DifferingFileNames(snapshot, present);
    return CarryOut(deletes, backupFolder, now, "Restore All", progress, stop, std::move(result));
}

RepairResult CreateDeleted(const CompareRows& snapshot, const CompareRows& present, common::IProgressSink& progress,
                           common::StopToken stop) {
    RepairResult result;
    // The rows the comparison reports gone: paired with no present row.
    const RowPairs pairs = PairRegistryRows(snapshot.registry, present.registry);
    std::unordered_set<std::string> handled;
    std::vector<Step> creates;
    for (size_t at = 0; at < snapshot.registry.size(); ++at) {
        if (pairs.presentOf[at] >= 0) continue;
        const CompareRegistryRow& s = snapshot.registry[at];
        if (!handled.insert(ValueKey(s)).second) Fail(result, s, kTwice);
        else creates.push_back({Step::Create, s, "", ""});
    }
    CarrySteps(creates, progress, stop, result);
    return result;
}

RepairResult DeleteCreated(const CompareRows& snapshot, const CompareRows& present, const std::string& backupFolder,
                           const SYSTEMTIME& now, common::IProgressSink& progress, common::StopToken stop) {
    RepairResult result;
    // The rows the comparison reports new: paired with no snapshot row.
    const RowPairs pairs = PairRegistryRows(snapshot.registry, present.registry);
    std::vector<Step> deletes;
    for (size_t at = 0; at < present.registry.size(); ++at) {
        if (pairs.presentPaired[at]) continue;
        const CompareRegistryRow& c = present.registry[at];
        if (c.check != "True") {
            ++result.switchedOffLeft;
            continue;
        }
        if (platform::reg::NameHoldsNul(c.name)) Fail(result, c, kNulName);
        else deletes.push_back({Step::Delete, c, c.location, c.name});
    }
    return CarryOut(deletes, backupFolder, now, "Delete Created", progress, stop, std::move(result));
}

bool MachineWideRefused(const RepairResult& result) {
    for (const RepairFailure& failure : result.failed)
        if (failure.notWritable && failure.row.root != "HKEY_CURRENT_USER") return true;
    return false;
}

std::vector<std::string> RepairFailureLines(const RepairResult& result) {
    std::vector<std::string> lines;
    for (const RepairFailure& failure : result.failed)
        lines.push_back("NOT DONE:  Parametr:  " + failure.row.name + "          (RootKey: " + failure.row.root +
                        "          Key: ...\\" + RowKeyName(failure.row) + ")  " + failure.reason);
    if (result.switchedOffLeft > 0)
        lines.push_back("NOT DELETED:  " + std::to_string(result.switchedOffLeft) +
                        " new switched-off entr" + (result.switchedOffLeft == 1 ? "y" : "ies") +
                        " (Key: ...-): they start nothing and were left as they are.");
    for (const std::string& name : result.filesLeft)
        lines.push_back("NOT RESTORED:      File:  " + name + "          (a snapshot keeps no file contents)");
    if (result.stopped) {
        lines.push_back("STOPPED:  " + std::to_string(result.reached) + " of " + std::to_string(result.total) +
                        " rows were handled; the others were left as they were. Done:");
        for (const CompareRegistryRow& row : result.done)
            lines.push_back("DONE:  Parametr:  " + row.name + "          (RootKey: " + row.root +
                            "          Key: ...\\" + RowKeyName(row) + ")");
    }
    return lines;
}

std::string RepairPointLine(const RepairResult& result) {
    if (result.pointFolder.empty()) return {};
    std::string point = result.pointFolder;
    if (!point.empty() && (point.back() == '\\' || point.back() == '/')) point.pop_back();
    return "What was deleted or overwritten is saved in the backup point " +
           platform::files::ExtractFileName(point) + ".";
}

}  // namespace snapshots
