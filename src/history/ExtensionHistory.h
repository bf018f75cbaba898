// Internet Explorer's add-ons on the History page: downloaded program files
// (controls installed from the web), browser helper objects, toolbars,
// buttons and other plug-ins; their listers, their removals and the
// clean-up steps those share. Listers read with read access only; removals
// open with full access, and a key they cannot open so counts as missing.
// A value that is not a string counts as absent everywhere here.
#pragma once

#include "common/StopToken.h"
#include "history/AddOnReferences.h"
#include "history/HistorySink.h"

#include <string>

namespace history {

// Keys under HKEY_LOCAL_MACHINE.
extern const char* const kDistributionUnitsKey;  // one subkey per unit
extern const char* const kBrowserHelperObjectsKey;  // one subkey per class id
extern const char* const kToolbarsKey;              // one value per class id
extern const char* const kExtensionsKey;            // one subkey per button or plug-in
extern const char* const kInstalledComponentsKey;
extern const char* const kModuleUsageKey;  // one subkey per module file
extern const char* const kUninstallKey;
// Under HKEY_CURRENT_USER: the user's toolbars, one value per class id.
extern const char* const kUserToolbarsKey;

// What a row shows when a toolbar's module or a plug-in's command is unknown.
constexpr const char* kInfoNotAvailable = "Info not Available";

// Whether the text has the shape of a class id:
// "{????????-????-????-????-????????????}", "?" any one character.
bool HasClassIdShape(const std::string& text);

// Listers. Sections 9 and 10 report the rows whose caption fits the mask
// (an invalid mask raises MaskError); the others take none.
//
// 9: per distribution unit, its class's display name (the unit's name when
// no class key has it); sub-value: the unit's name when it is a class id,
// else empty; source: the unit's name.
void ListDownloadedProgramFiles(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
// 10: per helper object, its class's display name (its key name when no
// class key has it); sub-value: the key name when it is a class id, else empty.
void ListBrowserHelperObjects(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
// 44: per toolbar with a class key, the class's display name without a
// leading "&"; sub-values: its module (or kInfoNotAvailable) and its class id.
void ListToolbars(IHistorySink& sink);
// 45: per extension with "ButtonText", "Default Visible" and "Exec" or
// "Script": the button's text; sub-values: "Exec" (else "Script"), key name.
void ListButtons(IHistorySink& sink);
// 46: every other extension: "ButtonText", else "MenuText", else
// "CLSID = " + key name; sub-values: "Exec", else "Script", else
// kInfoNotAvailable; the key name.
void ListOtherPlugins(IHistorySink& sink);

// Every removal below deletes a file only when nothing but the add-on
// itself refers to it (AddOnReferences::UsedByOthers, the add-on's own class
// id left out); otherwise only the add-on's own registrations go. The forms
// with an AddOnReferences use that index (read once for a whole Delete All)
// and bring it up to date with what they removed; the others read one.
//
// Removes the downloaded program file of a row of section 9: its unit, and
// for a class id its class registrations, program identifiers, installed
// component, its client of the module usage keys, toolbar values and helper
// object. Reports 0.
int DeleteDownloadedProgramFile(const HistoryRow& item);
int DeleteDownloadedProgramFile(const HistoryRow& item, AddOnReferences& references);
// Removes the helper object of a row of section 10: its key, class
// registrations and program identifiers. kSomeFilesRemained when the row
// carries no class id (nothing is touched), else 0.
int DeleteBrowserHelperObject(const HistoryRow& item);
int DeleteBrowserHelperObject(const HistoryRow& item, AddOnReferences& references);
// Delete the extension key a row of section 45 or 46 names in its source,
// only while it still is a button (a plug-in) shown under the row's caption
// (compared exactly). True when the key went.
bool DeleteButtonExtension(const HistoryRow& item);
bool DeleteOtherPlugin(const HistoryRow& item);

// The uninstall command of a toolbar, from the uninstall entries that are
// surely its own: the entry named after its class id (case ignored), else
// the first whose "InstallLocation" holds its module (common::PathKey); then
// two toolbars known to install under other names ("Alexa", "Yahoo!
// Toolbar", exact) take their own entry's command over either. An entry
// that only bears the toolbar's display name may be any program's: it
// counts for nothing. Empty when none is found.
std::string FindToolbarUninstaller(const std::string& classId, const std::string& displayName,
                                   const std::string& module);
// The command a row of section 44 would run (FindToolbarUninstaller).
std::string ToolbarUninstaller(const HistoryRow& item);
// Delete of a row of section 44: looks the command up again and starts it,
// shown normally. 0 when started or when no command is known any more;
// ERROR_FILE_NOT_FOUND when it could not be started.
int UninstallToolbar(const HistoryRow& item);

// The clean-up steps, each for one class id or unit name x. A name that is
// empty or holds a "\" names no single key: the step does nothing.
//
// The unit's key and its files; each file's shared-DLL values (those the
// index names) lose one count, and a count of 1 goes.
void RemoveDistributionUnit(const std::string& x, AddOnReferences& references);
// HKEY_CLASSES_ROOT\CLSID\x and its module.
void RemoveClassRegistration(const std::string& x, const AddOnReferences& references);
void RemoveProgramIdentifiers(const std::string& x);  // HKEY_CLASSES_ROOT\p whose p\CLSID is x
// The same under HKLM\SOFTWARE\Classes.
void RemoveMachineClassRegistration(const std::string& x, const AddOnReferences& references);
void RemoveMachineProgramIdentifiers(const std::string& x);
void RemoveInstalledComponent(const std::string& x);
// x's own client value goes from every module usage key that has one; a
// key left with no client (x its only client, or its owner with none) goes
// with its file. A key x only owns while others use it stays whole.
void RemoveModuleUsage(const std::string& x, AddOnReferences& references);

// Deletes a file an add-on's registration names, only when the name is a
// full path with a drive ("/" counts as "\"), the file exists, and both its
// full path and where it really is (links followed) lie outside the Windows
// and system folders. True when deleted. It asks nothing of other users of
// the file: the removals above do.
bool DeleteAddOnFile(const std::string& path);

}  // namespace history
