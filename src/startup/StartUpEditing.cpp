// Changing startup entries and the files of the Startup folders.
#include "startup/StartUpEditing.h"

#include "backup/BackupPoint.h"
#include "common/Common.h"
#include "common/RegistryFunctions.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "startup/StartUpFunctions.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace files = platform::files;

namespace startup {

namespace {

namespace reg = platform::reg;

// Writing needs only to read, set and delete values; asking for no more lets
// a key whose security grants just that be changed too.
constexpr REGSAM kWriteAccess = KEY_QUERY_VALUE | KEY_SET_VALUE;

using platform::RegistryKey;
using platform::RegistryPlace;

RegistryKey OpenRunKeyToWrite(const RegistryPlace& place, bool create) {
    return create ? RegistryKey::Create(place, kWriteAccess) : RegistryKey::Open(place, kWriteAccess);
}

// What a key holds under an entry's name.
struct HeldValue {
    bool present = false;
    reg::RawValue raw;
};

HeldValue ReadHeld(const RegistryKey& registry, const std::string& name) {
    HeldValue held;
    // A value that exists but cannot be read is still there: it must stop a
    // move into its key, never be taken for a free place.
    held.present = registry.ValueExists(name);
    if (held.present && !registry.ReadRaw(name, held.raw)) held.raw = {};
    return held;
}

// Read only, as every reader does (OpenRunKeyToRead).
HeldValue ReadHeld(const RegistryPlace& place, const std::string& name) {
    const RegistryKey registry = RegistryKey::OpenReadOnly(place);
    return registry ? ReadHeld(registry, name) : HeldValue{};
}

// Whether the value is the entry: a string whose text is the row's location.
bool HoldsLocation(const HeldValue& held, const std::string& location) {
    std::string text;
    return held.present && reg::RawValueText(held.raw, text) && text == location;
}

// The held value as the user would recognise it in a message.
std::string Described(const HeldValue& held) {
    std::string text;
    return reg::RawValueText(held.raw, text) ? text : "a value that is not a program line";
}

// What to do with an entry, given what the source and the target key hold.
enum class Plan { InPlace, Move, DropSourceCopy, TargetDiffers, SourceDiffers, SourceGone, TypesDiffer };

Plan PlanMove(const HeldValue& source, const HeldValue& target, const std::string& location) {
    const bool sourceHolds = HoldsLocation(source, location);
    if (HoldsLocation(target, location)) {
        if (!sourceHolds) return Plan::InPlace;
        // Two copies of the line: the source's goes only when it is the same
        // to the byte (an expandable one is not the same as a plain one).
        const bool same = source.raw.type == target.raw.type && source.raw.data == target.raw.data;
        return same ? Plan::DropSourceCopy : Plan::TypesDiffer;
    }
    if (target.present) return Plan::TargetDiffers;
    if (!source.present) return Plan::SourceGone;
    return sourceHolds ? Plan::Move : Plan::SourceDiffers;
}

// One move of an entry's value from one key of its root to another.
struct MoveRequest {
    const RunEntry& entry;
    std::string fromKey, toKey;
    std::string action;  // "switch 'X' off", "move 'X' to Run": how messages name it
    RegistryPlace from = RunKeyPlace(entry.rootName, fromKey), to = RunKeyPlace(entry.rootName, toKey);
};

std::string KeyShown(const RunEntry& entry, const std::string& keyName) {
    return keyName + " (" + entry.rootName + ")";
}

EntryMoveResult Refused(const MoveRequest& request, Plan plan, const HeldValue& source, const HeldValue& target) {
    std::string why;
    if (plan == Plan::TargetDiffers)
        why = KeyShown(request.entry, request.toKey) + " already holds a different program under this name (" +
              Described(target) + ").";
    else if (plan == Plan::TypesDiffer)
        why = KeyShown(request.entry, request.toKey) + " already holds the same line under this name, stored "
              "differently (" + Described(target) + "); both were left as they are.";
    else if (plan == Plan::SourceDiffers)
        why = KeyShown(request.entry, request.fromKey) + " now holds a different program under this name (" +
              Described(source) + ").";
    else
        why = "it is no longer in " + KeyShown(request.entry, request.fromKey) + ".";
    return {EntryMoveOutcome::Conflict, "Cannot " + request.action + ": " + why, false};
}

// Copies the source's value, type and bytes unchanged, into the target and
// takes it out of the source; puts things back when the source refuses.
bool CarryOver(const RegistryKey& source, const RegistryKey& target, const std::string& name, const HeldValue& value) {
    if (!target.WriteRaw(name, value.raw)) return false;
    if (source.DeleteValue(name)) return true;
    target.DeleteValue(name);
    return false;
}

// The result of a plan that needs no writing; none for a plan that does.
std::optional<EntryMoveResult> WithoutWriting(const MoveRequest& request, Plan plan, const HeldValue& source,
                                              const HeldValue& target) {
    if (plan == Plan::InPlace) return EntryMoveResult{EntryMoveOutcome::AlreadyInPlace, "", false};
    if (plan == Plan::Move || plan == Plan::DropSourceCopy) return std::nullopt;
    return Refused(request, plan, source, target);
}

// Opens the keys for writing and carries the plan out, after checking again
// under the write handles: another program may have changed the keys since
// they were read.
EntryMoveResult Apply(const MoveRequest& request, Plan plan) {
    const RunEntry& entry = request.entry;
    const RegistryKey sourceKey = OpenRunKeyToWrite(request.from, false);
    RegistryKey targetKey;
    if (sourceKey && plan != Plan::DropSourceCopy) targetKey = OpenRunKeyToWrite(request.to, true);
    const bool writable = sourceKey && (plan == Plan::DropSourceCopy || targetKey);
    if (!writable) return {EntryMoveOutcome::NotWritable, "", false};
    const HeldValue source = ReadHeld(sourceKey, entry.name);
    const HeldValue target = plan == Plan::Move ? ReadHeld(targetKey, entry.name)
                                                : ReadHeld(request.to, entry.name);
    const Plan now = PlanMove(source, target, entry.location);
    if (now != plan)
        return WithoutWriting(request, now, source, target).value_or(EntryMoveResult{EntryMoveOutcome::NotWritable, "", false});
    const bool done = plan == Plan::DropSourceCopy ? sourceKey.DeleteValue(entry.name)
                                                   : CarryOver(sourceKey, targetKey, entry.name, source);
    return {done ? EntryMoveOutcome::Moved : EntryMoveOutcome::NotWritable, "", false};
}

// Decides with read access alone, so a request the registry already meets
// never opens a key for writing (the list re-applies a row's state whenever
// it is selected).
EntryMoveResult MoveValue(const MoveRequest& request) {
    const RunEntry& entry = request.entry;
    const HeldValue source = ReadHeld(request.from, entry.name);
    const HeldValue target = ReadHeld(request.to, entry.name);
    Plan plan = PlanMove(source, target, entry.location);
    if (request.fromKey == request.toKey)  // one key: nothing to move, only to check
        plan = HoldsLocation(target, entry.location) ? Plan::InPlace
                                                     : (target.present ? Plan::SourceDiffers : Plan::SourceGone);
    if (auto settled = WithoutWriting(request, plan, source, target)) return *settled;
    return Apply(request, plan);
}

// Whether the active key of the section holds the entry now.
bool ActiveHolds(const RunEntry& entry, const std::string& section) {
    return HoldsLocation(ReadHeld(RunKeyPlace(entry.rootName, section), entry.name), entry.location);
}

bool IsRunEntry(const RunEntry& entry) {
    return IsStartupRootName(entry.rootName) && IsRunSectionName(entry.section);
}

// The Startup folders' files and folders lie below these, as absolute paths
// ending in "\"; a folder the shell does not know is left out.
std::vector<std::string> StartupFolderPrefixes() {
    std::vector<std::string> prefixes;
    for (int csidl : {kCsidlStartup, kCsidlCommonStartup}) {
        std::string folder = files::FullPathName(SpecialFolderPath(csidl));
        if (folder.empty()) continue;
        if (folder.back() != '\\') folder += '\\';
        prefixes.push_back(folder);
    }
    return prefixes;
}

// The Startup folder (as its prefix) that holds the absolute path by its
// text; empty for none.
std::string StartupFolderHolding(const std::string& fullPath) {
    for (const std::string& prefix : StartupFolderPrefixes())
        if (fullPath.size() > prefix.size() && SameCaption(fullPath.substr(0, prefix.size()), prefix)) return prefix;
    return {};
}

// Deletes the value only while it holds the row's location.
RunDeleteOutcome DeleteHeldValue(const RegistryPlace& place, const std::string& name, const std::string& location) {
    if (!HoldsLocation(ReadHeld(place, name), location)) return RunDeleteOutcome::Changed;
    const RegistryKey registry = OpenRunKeyToWrite(place, false);
    if (!registry) return RunDeleteOutcome::NotWritable;
    // Checked again under the write handle: the value may have changed since.
    if (!HoldsLocation(ReadHeld(registry, name), location)) return RunDeleteOutcome::Changed;
    return registry.DeleteValue(name) ? RunDeleteOutcome::Deleted : RunDeleteOutcome::NotWritable;
}

// 'text', built by appending: GCC 12 warns falsely (-Wrestrict) on the
// same made with operator+ from a literal.
std::string Quoted(const std::string& text) {
    std::string quoted(1, '\'');
    quoted += text;
    quoted += '\'';
    return quoted;
}

// Why a shortcut to the file may not be written at linkPath ("" when it may):
// only a shortcut to the same file is replaced.
std::string ShortcutPlaceProblem(const std::string& linkPath, const std::string& filePath) {
    if (!files::FileExists(linkPath)) return {};
    const std::string name = Quoted(files::ExtractFileName(linkPath));
    std::string target;
    if (platform::shell::ReadLinkTarget(linkPath, target) != S_OK)
        return "The Startup folder already holds a file named " + name + " that is not a shortcut; it was left as it is.";
    if (SameCaption(target, filePath)) return {};
    return "The Startup folder already holds the shortcut " + name + " to another program (" + target +
           "); it was left as it is.";
}

}  // namespace

bool IsStartupRootName(const std::string& rootName) {
    return std::find(std::begin(kRunRoots), std::end(kRunRoots), rootName) != std::end(kRunRoots);
}

bool IsRunSectionName(const std::string& section) {
    for (const StartupSource* source : RunKeySources())
        if (section == source->runKey) return true;
    return false;
}

std::string RunEntryKeyPath(const RunEntry& entry, bool active) {
    if (!IsStartupRootName(entry.rootName) || !IsRunSectionName(entry.section)) return {};
    return entry.rootName + "\\" + RunKeyPath(entry.rootName, entry.section, active ? "" : kSwitchedOffSuffix);
}

std::string AddRunValueProblem(const std::string& rootName, const std::string& section, const std::string& name) {
    if (!IsStartupRootName(rootName))
        return "'" + rootName + "' is not a root key whose programs Windows starts. "
               "Choose HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE or HKEY_USERS.";
    if (!IsRunSectionName(section))
        return "'" + section + "' is not a startup section. "
               "Choose Run, RunOnce, RunOnceEx, RunService or RunServiceOnce.";
    if (name.empty()) return "Please enter a Name for the new value.";
    return {};
}

RunAddOutcome AddNewRunValue(const std::string& rootName, const std::string& section, const std::string& name,
                             const std::string& location) {
    const RegistryPlace place = RunKeyPlace(rootName, section);
    {
        // Looked at for reading first: a name a read-only key holds is still
        // taken, and that is what the user must hear.
        if (RegistryKey::OpenReadOnly(place).ValueExists(name)) return RunAddOutcome::Exists;
    }
    const RegistryKey registry = OpenRunKeyToWrite(place, true);
    if (!registry) return RunAddOutcome::NotWritable;
    if (registry.ValueExists(name)) return RunAddOutcome::Exists;
    try {
        registry.WriteString(name, location);
        return RunAddOutcome::Added;
    } catch (const platform::RegistryErrorText&) {
        return RunAddOutcome::NotWritable;  // the key refused the value: nothing was written
    }
}

bool AddRunValue(const std::string& rootName, const std::string& section, const std::string& name,
                 const std::string& location) {
    return AddNewRunValue(rootName, section, name, location) == RunAddOutcome::Added;
}

std::string RunAddOutcomeText(RunAddOutcome outcome, const std::string& rootName, const std::string& section,
                              const std::string& name) {
    const std::string key = rootName + "\\" + RunKeyPath(rootName, section);
    switch (outcome) {
    case RunAddOutcome::Added: break;
    case RunAddOutcome::Exists: return name + " already exists in " + key + "; nothing was added.";
    case RunAddOutcome::NotWritable: return key + " could not be written; nothing was added.";
    }
    return {};
}

bool DeleteRunValue(const std::string& rootName, const std::string& keyName, const std::string& name,
                    const std::string& location) {
    return DeleteHeldValue(RunKeyPlace(rootName, keyName), name, location) == RunDeleteOutcome::Deleted;
}

RunValueChange DeleteHeldRunValue(const std::string& rootName, const std::string& keyName, const std::string& name,
                                  const std::string& location) {
    switch (DeleteHeldValue(RunKeyPlace(rootName, keyName), name, location)) {
    case RunDeleteOutcome::Deleted: return RunValueChange::Done;
    case RunDeleteOutcome::Changed: return RunValueChange::Changed;
    default: return RunValueChange::NotWritable;
    }
}

RunValueChange RewriteRunValue(const std::string& rootName, const std::string& keyName, const std::string& name,
                               const std::string& heldLocation, const std::string& newLocation) {
    const RegistryPlace place = RunKeyPlace(rootName, keyName);
    if (!HoldsLocation(ReadHeld(place, name), heldLocation)) return RunValueChange::Changed;
    const RegistryKey registry = OpenRunKeyToWrite(place, false);
    if (!registry) return RunValueChange::NotWritable;
    // Checked again under the write handle: the value may have changed since.
    const HeldValue held = ReadHeld(registry, name);
    if (!HoldsLocation(held, heldLocation)) return RunValueChange::Changed;
    return registry.WriteRaw(name, reg::TextRawValue(held.raw.type, newLocation)) ? RunValueChange::Done
                                                                                       : RunValueChange::NotWritable;
}

RunDeleteResult DeleteRunEntryWithBackup(const RunEntry& entry, bool active, const std::string& backupFolder,
                                         const SYSTEMTIME& now) {
    RunDeleteResult result;
    if (reg::NameHoldsNul(entry.name)) {
        result.outcome = RunDeleteOutcome::Refused;
        result.problem = "Its name holds a NUL character, and a backup point would give it back under the name cut "
                         "short there, over another entry. Switch it off instead: that keeps it, unstarted.";
        return result;
    }
    const std::string keyName = active ? entry.section : entry.section + kSwitchedOffSuffix;
    // Changed or gone since it was listed: nothing to delete, so nothing is
    // saved (a gone value would fail the backup and be told as that).
    const RegistryPlace place = RunKeyPlace(entry.rootName, keyName);
    if (!HoldsLocation(ReadHeld(place, entry.name), entry.location)) {
        result.outcome = RunDeleteOutcome::Changed;
        return result;
    }

    const backup::BackupItem item{entry.rootName, place.path, false, entry.name};
    if (!backup::BackUpBeforeDelete(backupFolder, now, {item}, result.pointFolder, result.problem,
                                       "StartUp Delete: " + entry.name)) {
        result.pointFolder.clear();
        return result;
    }
    result.outcome = DeleteHeldValue(place, entry.name, entry.location);
    return result;
}

EntryMoveResult SwitchEntry(const RunEntry& entry, bool active) {
    if (!IsRunEntry(entry)) return {};
    const std::string on = entry.section, off = entry.section + kSwitchedOffSuffix;
    EntryMoveResult result = MoveValue(MoveRequest{entry, active ? off : on, active ? on : off,
                                                   "switch '" + ShownValueName(entry.name) + "' " + (active ? "on" : "off")});
    result.registryActive = ActiveHolds(entry, entry.section);
    return result;
}

EntryMoveResult MoveRunEntry(const RunEntry& entry, bool active, const std::string& toSection) {
    if (!IsRunEntry(entry) || !IsRunSectionName(toSection)) return {};
    const std::string suffix = active ? "" : kSwitchedOffSuffix;
    EntryMoveResult result = MoveValue(MoveRequest{entry, entry.section + suffix, toSection + suffix,
                                                   "move '" + ShownValueName(entry.name) + "' to " + toSection});
    const bool moved = result.outcome == EntryMoveOutcome::Moved || result.outcome == EntryMoveOutcome::AlreadyInPlace;
    result.registryActive = ActiveHolds(entry, moved ? toSection : entry.section);
    return result;
}

bool IsInStartupFolder(const std::string& filePath) {
    return !StartupFolderHolding(files::FullPathName(filePath)).empty();
}

StartupFileDeleteResult DeleteStartupFile(const std::string& filePath) {
    const std::string name = Quoted(files::ExtractFileName(filePath));
    const std::string full = files::FullPathName(filePath);
    const std::string folder = StartupFolderHolding(full);
    if (folder.empty())
        return {StartupFileOutcome::NotInStartupFolder, name + " was not deleted: it is not in a Startup folder."};
    const DWORD attributes = GetFileAttributesW(files::WidePathAnyLength(full).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {StartupFileOutcome::Gone, ""};
    // Read-only marks a file someone meant to keep: it is not made writable to delete it.
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return {StartupFileOutcome::ReadOnly,
                name + " was not deleted: the file is read-only. Clear its read-only attribute first if it should go."};
    DWORD error = 0;
    switch (files::DeleteFileInFolder(full, files::FolderFinalPath(folder), error)) {
        case files::FolderFileDelete::Deleted: return {StartupFileOutcome::Deleted, ""};
        case files::FolderFileDelete::Outside:
            return {StartupFileOutcome::Outside,
                    name + " was left alone: it is a link to a file outside the Startup folder."};
        case files::FolderFileDelete::Failed: break;
    }
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {StartupFileOutcome::Gone, ""};
    const std::string common = files::FullPathName(SpecialFolderPath(kCsidlCommonStartup));
    const bool inCommonFolder = !common.empty() && SameCaption(folder, common + (common.back() == '\\' ? "" : "\\"));
    return {StartupFileOutcome::Failed, name + " was not deleted: " + platform::processes::SystemErrorText(error),
            error == ERROR_ACCESS_DENIED && inCommonFolder};
}

std::string StartupShortcutName(const std::string& filePath) {
    const std::string name = files::ExtractFileName(filePath);
    const size_t dot = name.find('.');
    return (dot == std::string::npos ? std::string() : name.substr(0, dot + 1)) + "lnk";
}

bool CreateStartupShortcut(const std::string& filePath, std::string* problem) {
    const std::string folder = SpecialFolderPath(kCsidlStartup);
    const std::string linkPath = folder + "\\" + StartupShortcutName(filePath);
    std::string why = folder.empty() ? "The Startup folder could not be found." : ShortcutPlaceProblem(linkPath, filePath);
    if (why.empty()) {
        platform::shell::LinkFields fields;
        fields.target = filePath;
        fields.description = filePath;
        fields.workingDirectory = files::ExtractFilePath(filePath);
        if (platform::shell::WriteLink(linkPath, fields) != S_OK)
            why = "The shortcut " + Quoted(files::ExtractFileName(linkPath)) + " could not be written to the Startup folder.";
    }
    if (problem) *problem = why;
    return why.empty();
}

}  // namespace startup
