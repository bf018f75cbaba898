// The graphics and multimedia programs' traces: the Paint Shop Pro recent
// lists, the players' recent lists (Media Player, RealPlayer, WinDVD,
// QuickTime, Winamp), and the rows of the Graphics and Multimedia sections
// (RegisterMultimediaSections).
#pragma once

#include "common/StopToken.h"
#include "history/HistorySectionRow.h"
#include "history/HistorySink.h"

#include <string>

namespace history {

// Keys under HKEY_CURRENT_USER of Paint Shop Pro's versions 5, 7 and 8, in that order.
extern const char* const kPaintShopProKeys[3];

// Reports the texts of the three lists' values that fit the mask, in the
// keys' order (an invalid mask raises MaskError); ends early once a
// stop is asked.
void ListPaintShopPro(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});

// In all the players' listers below: values of other types than strings are
// passed over (never listed, tested, moved or deleted); a missing key, value
// or file lists nothing and removes nothing, without a word.

// Media Player: the string values of this key of the user's.
extern const char* const kMediaPlayerRecentKey;
extern const char* const kMediaPlayerOrderValue;  // "MRUList": Delete All leaves it
void ListMediaPlayer(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});

// RealPlayer: below the user's key, per version subkey, "Preferences"
// holds one subkey per recent clip ("MostRecentClips1", ...) whose default
// value is the clip. Listed version by version, clip keys in the registry's order.
extern const char* const kRealPlayerKey;
void ListRealPlayer(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
// Under every version: the first clip key, in the text order of the keys'
// names (case ignored: "...10" before "...2"), whose text equals text (whole,
// case ignored) goes; each later clip's value moves up one key and the last
// key goes. A failed write raises platform::RegistryErrorText "Failed to set data for '<clip key>'".
void RemoveRecentClip(const std::string& text);
// Every clip key of every version, with everything below it.
void ClearRealPlayerClips();

// WinDVD: the REG_SZ "LASTOPENPATH" of every subkey "DVD*" of the user's key.
// Removals (DeleteValueByDataInSubkeys) reach every subkey and every string value.
extern const char* const kInterVideoKey;
void ListWinDvd(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});

// QuickTime: the recent movies of the machine's root, then the user's.
extern const char* const kQuickTimeRecentKey;
extern const char* const kQuickTimePreferencesKey;  // its "FolderPath" names the favorites' folder
void ListQuickTime(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
// The only removal QuickTime's list has: under the user's root, then the
// machine's, every recent movie whose text holds a full stop; then under each
// root the favorites file QuickTimeFavorites.qtr of the folder its
// preferences name, when that is a full path and the file lies inside it.
void ClearQuickTimeHistory();

// Winamp: the play list winamp.m3u in the folder the default value of the
// user's key names. Only a full path names that folder: with no key, an
// empty or relative folder, there is no play list (it would otherwise be
// taken from the current drive's root or folder).
extern const char* const kWinampKey;
// The play list's path, or "" when there is none.
std::string WinampPlayListPath();
// Play lists larger than this are not read: listed and changed as if unreadable.
constexpr unsigned long long kLargestPlayList = 8ull << 20;
// Every line that is neither empty nor a "#" line (comments and
// information lines) and fits the mask, in the file's order. A file that
// cannot be read (too large, UTF-16, refused) lists nothing and gets the
// notice "The play list PATH cannot be read: REASON."; no file, nothing.
void ListWinamp(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
// Removes the first line exactly equal to text (case counts) together with
// the line before it when that is its information line ("#EXTINF..."); the
// file is written beside the list, lines ended by CR LF, and put in its
// place in one step, so the list is either the old one or the new one. No
// match, or a file that cannot be read or written: the list stays as it was.
// A list that is a link to another file stays as it is, and HistoryNotice
// "The play list PATH is a link to another file; it was left as it is." is raised.
void RemoveWinampEntry(const std::string& text);
// Deletes the play list; a link to another file stays, with the same words
// as the result's notice.
HistoryDeleteAllResult DeleteWinampPlayList();

}  // namespace history
