// Internet Explorer's add-ons on the History page: downloaded program files
// (controls installed from the web), browser helper objects, toolbars,
// buttons and other plug-ins; their listers, their removals and the
// clean-up steps those share. Listers read with read access only; removals
// open with full access, and a key they cannot open so counts as missing.
// A value that is not a string counts as absent everywhere here.
#pragma once

#include "common/StopToken.h"
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
// (an invalid mask raises EMaskException); the others take none.
//
// 9: per distribution unit, its class's display name (the unit's name when
// no class key has it); sub-value: the unit's name when it is a class id,
// else empty; source: the unit's name.
void ListDownloadedProgramFiles(IHistorySink& sink, const std::string& mask, const common::StopToken& stop = {});
// 10: per helper object, its class's display name (its key name when no
// class key has it); sub-value: the key name when it is a class id, else empty.
void ListBrowserHelperObjects(IHistorySink& sink, const std::string& mask, const common::StopToken& stop = {});
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

// Removes the downloaded program file of a row of section 9: its unit, and
// for a class id its class registrations, program identifiers, installed
// component, module usage, toolbar values and helper object; then the
// shared-DLL counts of files that are gone. Reports 0.
int DeleteDownloadedProgramFile(const HistoryRow& item);
// Removes the helper object of a row of section 10: its key, class
// registrations and program identifiers. kSomeFilesRemained when the row
// carries no class id (nothing is touched), else 0.
int DeleteBrowserHelperObject(const HistoryRow& item);
// Deletes every button whose "ButtonText" is exactly the caption.
void DeleteButtonExtension(const std::string& caption);
// Deletes every other plug-in listed under exactly the caption.
void DeleteOtherPlugin(const std::string& caption);

// The uninstall command of a toolbar: the uninstall entry named after its
// class id (case ignored), else the first whose "DisplayName" equals the
// display name (case ignored); then two toolbars known to install under
// other names ("Alexa", "Yahoo! Toolbar", exact) take their own entry's
// command over either. Empty when none is found.
std::string FindToolbarUninstaller(const std::string& classId, const std::string& displayName);
// Delete of a row of section 44: looks the command up again and starts it,
// shown normally. 0 when started or when no command is known any more;
// ERROR_FILE_NOT_FOUND when it could not be started.
int UninstallToolbar(const HistoryRow& item);

// The clean-up steps, each for one class id or unit name x. A name that is
// empty or holds a "\" names no single key: the step does nothing.
void RemoveDistributionUnit(const std::string& x);
void RemoveClassRegistration(const std::string& x);         // HKEY_CLASSES_ROOT\CLSID\x and its module
void RemoveProgramIdentifiers(const std::string& x);        // HKEY_CLASSES_ROOT\p whose p\CLSID is x
void RemoveMachineClassRegistration(const std::string& x);  // the same under HKLM\SOFTWARE\Classes
void RemoveMachineProgramIdentifiers(const std::string& x);
void RemoveInstalledComponent(const std::string& x);
void RemoveModuleUsage(const std::string& x);

// Deletes a file an add-on's registration names, only when the name is a
// full path with a drive ("/" counts as "\"), the file exists, and both its
// full path and where it really is (links followed) lie outside the Windows
// and system folders. True when deleted.
bool DeleteAddOnFile(const std::string& path);

}  // namespace history
