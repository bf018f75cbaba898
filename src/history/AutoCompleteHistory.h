// Internet Explorer's auto-complete traces kept in Protected Storage: the
// form entries, the remembered passwords and the store's item types. Each
// operation connects on its own and lets the provider go again; where the
// service is missing they list nothing and remove nothing (result 0).
#pragma once

#include <windows.h>

#include "common/StopToken.h"
#include "history/HistorySink.h"

#include <optional>
#include <string>

namespace history {

// Result code of a removal the service refused (DeleteFailureText names the item).
constexpr int kProtectedItemRefused = 5000;

// The item's data as the lists show it: every byte from 33 to 126 as a
// character; a run of three or more other bytes gives one blank, a shorter
// run nothing. Strings of 16-bit characters, each ended by a 16-bit NUL,
// thus read as their characters with one blank after each.
std::string PrintableText(const BYTE* data, size_t count);

// Reports every item of the subtypes named subtypeName of the types named
// typeName (names compared exactly) whose data reads and whose printable
// text fits the mask: caption the item's name, one sub-value its text. With
// a part, only items whose name holds it (case ignored) are reported, under
// the name without its first occurrence. An invalid mask raises MaskError.
void ListProtectedItems(IHistorySink& sink, const std::string& mask, const std::string& typeName,
                        const std::string& subtypeName, const std::optional<std::string>& part,
                        common::StopToken stop = {});

// Auto Complete Forms: entries stored as "<ID>:StringData" (listed under the
// ID) and "<ID>:StringIndex".
void ListAutoCompleteForms(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
// Removes both items of the ID (case ignored). 0, or kProtectedItemRefused
// when the last removal tried was refused.
int RemoveFormEntry(const std::string& caption);
// Removes every form item whatever its name; 0 or kProtectedItemRefused by the last removal.
int RemoveAllForms();

// Auto Complete Passwords: the credentials of the web cache, then those of
// the mail and news servers.
void ListAutoCompletePasswords(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
// Removes the items named caption (case ignored) from the web cache's store;
// only when none went there, from the servers' store. 0 when one went (or
// the service is missing), else kProtectedItemRefused.
int RemovePassword(const std::string& caption);
// Removes every item of both stores; refusals are not reported.
int RemoveAllPasswords();

// Index.dat: the display name of every item type of the user.
void ListProtectedTypes(IHistorySink& sink, common::StopToken stop = {});
// Empties every type named caption exactly: all items of each subtype, then
// the subtype. The type itself stays. Outcomes are not examined: 0.
int RemoveProtectedType(const std::string& caption);
// Empties every type, also one whose name cannot be read. 0.
int RemoveAllProtectedTypes();

}  // namespace history
