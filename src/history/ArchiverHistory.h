// The archivers' traces: WinZip's and WinRAR's recent archive lists, kept
// as numbered values under the user's and the machine's roots.
#pragma once

#include "common/StopToken.h"
#include "history/HistorySink.h"

#include <windows.h>

#include <string>

namespace history {

// The list keys, under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE alike, and
// the prefix their values' numbers follow.
extern const char* const kWinZipRecentKey;
extern const char* const kWinZipValuePrefix;  // "filemenu": filemenu1, filemenu2, ...
extern const char* const kWinRarRecentKey;    // values "1", "2", ...

// Reports the texts of the list's values that fit the mask, the user's
// first, then the machine's.
void ListWinZip(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
void ListWinRar(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});

// Removes the first entry (by number) of root\key whose text equals text
// (whole, case ignored). Entries are the string values named prefix +
// number (0 or 1, 2, ... without a leading zero; the prefix's case ignored); numbers may have gaps. The
// entries after the removed one move up one place each as long as their
// numbers follow on without a gap and each holds a non-empty text; the last
// of that run goes. So an entry never moves across a gap, no empty text is
// ever written, and values of other types stay where they are. A moved
// entry keeps its type. A failed write raises platform::RegistryErrorText
// "Failed to set data for '<name>'" (entries moved so far stay moved).
void RemoveNumberedEntry(HKEY root, const std::string& key, const std::string& prefix, const std::string& text);

// Delete All of the lists: under the user's root, then the machine's, every
// value whose text holds a full stop (the fixed mask "*.*"), whatever mask
// the page has.
void ClearWinZip();
void ClearWinRar();

}  // namespace history
