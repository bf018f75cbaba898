// The graphics and multimedia programs' traces and their sections' rows:
// Paint Shop Pro's lists and the players' recent lists.
#include "history/PlayerHistory.h"

#include "common/Common.h"
#include "platform/RegistryKey.h"
#include "formats/Masks.h"
#include "history/HistoryFunctions.h"
#include "history/HistoryRemovals.h"
#include "history/HistorySectionTable.h"
#include "platform/Files.h"
#include "platform/Processes.h"

#include <algorithm>
#include <iterator>

namespace files = platform::files;
using platform::RegistryKey;

namespace history {

const char* const kPaintShopProKeys[3] = {
    "Software\\Jasc\\Paint Shop Pro 5\\Recent File List",
    "Software\\Jasc\\Paint Shop Pro 7\\Recent File List",
    "Software\\Jasc\\Paint Shop Pro 8\\Recent File List",
};
const char* const kMediaPlayerRecentKey = "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";
const char* const kMediaPlayerOrderValue = "MRUList";
const char* const kRealPlayerKey = "Software\\RealNetworks\\RealPlayer";
const char* const kInterVideoKey = "Software\\InterVideo";
const char* const kQuickTimeRecentKey = "SOFTWARE\\Apple Computer, Inc.\\QuickTime\\Recent Movies";
const char* const kQuickTimePreferencesKey = "SOFTWARE\\Apple Computer, Inc.\\QuickTime\\SystemPreferences";
const char* const kWinampKey = "Software\\Winamp";

namespace {

const char* const kClipKeyMask = "MostRecentClips*";
const char* const kWinDvdKeyMask = "DVD*";
const char* const kWinDvdPathValue = "LASTOPENPATH";
const char* const kQuickTimeClearMask = "*.*";
const char* const kQuickTimeFolderValue = "FolderPath";
const char* const kQuickTimeFavoritesName = "QuickTimeFavorites.qtr";
const char* const kWinampPlayListName = "winamp.m3u";
const char* const kUtf8Bom = "\xEF\xBB\xBF";

std::vector<std::string> SubkeyNames(HKEY root, const std::string& key, REGSAM access) {
    std::vector<std::string> names = RegistryKey::Open({root, key}, access).SubkeyNames();
    // A name holding a NUL would be cut short by the calls that open or
    // delete it, and reach another key: such keys are passed over.
    std::erase_if(names, [](const std::string& name) { return name.find('\0') != std::string::npos; });
    return names;
}

// A text in a key's value, when it is a string: REG_SZ, or also
// REG_EXPAND_SZ unless onlyPlain.
bool ReadText(HKEY root, const std::string& key, const std::string& name, std::string& text, bool onlyPlain = false) {
    const RegistryKey registry = RegistryKey::Open({root, key}, KEY_READ);
    if (!registry) return false;
    if (onlyPlain && registry.ValueType(name) != REG_SZ) return false;
    return registry.ReadText(name, text);
}

// A folder named from the drive's root or a share. Anything else would be
// taken from the current drive or folder, which is nobody's setting.
bool IsFullPath(const std::string& path) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (path.size() >= 3 && letter(path[0]) && path[1] == ':' && separator(path[2])) return true;
    return path.size() > 2 && separator(path[0]) && separator(path[1]);
}

// Deletes the file only when it really lies in the folder: a link placed
// there is left alone, since Wine would delete its target.
void DeleteFileOfFolder(const std::string& folder, const std::string& path) {
    if (!files::FileExists(path)) return;
    DWORD error = 0;
    files::DeleteFileInFolder(path, files::FolderFinalPath(folder), error);
}

// ---- RealPlayer ----------------------------------------------------------------

std::string PreferencesKey(const std::string& version) {
    return std::string(kRealPlayerKey) + "\\" + version + "\\Preferences";
}

std::vector<std::string> ClipKeyNames(const std::string& preferences, REGSAM access) {
    std::vector<std::string> clips;
    for (std::string& name : SubkeyNames(HKEY_CURRENT_USER, preferences, access))
        if (TextFitsMask(name, kClipKeyMask)) clips.push_back(std::move(name));
    return clips;
}

// The clip key's default value, as stored, into another clip key (made when
// missing); a clip without one leaves the other without one too.
void MoveClip(const std::string& from, const std::string& to, const std::string& toName) {
    const RegistryKey source = RegistryKey::Open({HKEY_CURRENT_USER, from}, KEY_READ);
    if (!source) return;
    platform::reg::RawValue value;
    const bool held = source.ReadRaw("", value);
    const RegistryKey target = RegistryKey::Create({HKEY_CURRENT_USER, to}, KEY_ALL_ACCESS);
    if (!target || (held ? !target.WriteRaw("", value)
                                           : target.ValueExists("") && !target.DeleteValue("")))
        throw platform::RegistryErrorText("Failed to set data for '" + toName + "'");
}

void RemoveClipOfVersion(const std::string& preferences, const std::string& text) {
    std::vector<std::string> clips = ClipKeyNames(preferences, KEY_ALL_ACCESS);
    // Positions follow the names' text order, so with ten clips or more the
    // last position is not the highest number.
    std::sort(clips.begin(), clips.end(),
              [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    const auto deleteClip = [&](const std::string& clip) {
        RegistryKey::DeleteTree({HKEY_CURRENT_USER, preferences + "\\" + clip}, KEY_ALL_ACCESS);
    };
    size_t position = 0;
    for (std::string data; position < clips.size(); ++position)
        if (ReadText(HKEY_CURRENT_USER, preferences + "\\" + clips[position], "", data) && SameCaption(data, text))
            break;
    if (position == clips.size()) return;
    deleteClip(clips[position]);
    if (position + 1 == clips.size()) return;
    for (size_t j = position; j + 1 < clips.size(); ++j)
        MoveClip(preferences + "\\" + clips[j + 1], preferences + "\\" + clips[j], clips[j]);
    deleteClip(clips.back());
}

// ---- Winamp ------------------------------------------------------------------

// The system's words for a failed read, without the closing full stop and
// line end the message carries.
std::string ReadFailureReason(DWORD error) {
    std::string text = error == 0 ? std::string() : platform::processes::SystemErrorText(error);
    while (!text.empty() && (text.back() == '.' || static_cast<unsigned char>(text.back()) <= ' ')) text.pop_back();
    return text.empty() ? "the system refused to read it" : text;
}

struct PlayList {
    std::string bom;  // a UTF-8 mark before the first line, written back as it was
    std::vector<std::string> lines;
};

// Reads the play list; false with the reason (for "cannot be read: REASON.")
// when it cannot be read or must not be written back.
bool ReadPlayList(const std::string& path, PlayList& list, std::string& reason) {
    unsigned long long size = 0;
    if (!files::FileSize(path, size)) {
        reason = "its size cannot be told";
        return false;
    }
    if (size > kLargestPlayList) {
        reason = "it is larger than 8 MB";
        return false;
    }
    if (!files::ReadTextLines(path, list.lines)) {
        reason = ReadFailureReason(GetLastError());
        return false;
    }
    // A list saved as UTF-16 (or any text holding NUL bytes) splits into
    // junk at 8-bit line ends, and writing it back would break every line:
    // it is left as unreadable.
    for (const std::string& line : list.lines)
        if (line.find('\0') != std::string::npos) {
            reason = "it holds NUL bytes (it is saved as UTF-16, or it is no text)";
            return false;
        }
    if (!list.lines.empty() && list.lines[0].rfind(kUtf8Bom, 0) == 0) {
        list.bom = kUtf8Bom;
        list.lines[0].erase(0, list.bom.size());
    }
    return true;
}

std::string CannotBeReadText(const std::string& path, const std::string& reason) {
    return "The play list " + path + " cannot be read: " + reason + ".";
}

std::string LeftAsLinkText(const std::string& path) {
    return "The play list " + path + " is a link to another file; it was left as it is.";
}

// A line naming a played file: not empty, and no comment or information line.
bool IsEntry(const std::string& line) { return !line.empty() && line[0] != '#'; }

bool IsInformationLine(const std::string& line) {
    static const std::string kTag = "#EXTINF";
    if (line.size() < kTag.size()) return false;
    for (size_t i = 0; i < kTag.size(); ++i) {
        const char c = line[i] >= 'a' && line[i] <= 'z' ? static_cast<char>(line[i] - 'a' + 'A') : line[i];
        if (c != kTag[i]) return false;
    }
    return true;
}

}  // namespace

void ListPaintShopPro(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    for (const char* key : kPaintShopProKeys) ReadRecentValues(sink, HKEY_CURRENT_USER, key, nullptr, mask, stop);
}

void ListMediaPlayer(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    ReadRecentValues(sink, HKEY_CURRENT_USER, kMediaPlayerRecentKey, nullptr, mask, stop);
}

void ListRealPlayer(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    LazyMask lazyMask(mask);
    for (const std::string& version : SubkeyNames(HKEY_CURRENT_USER, kRealPlayerKey, KEY_READ)) {
        const std::string preferences = PreferencesKey(version);
        for (const std::string& clip : ClipKeyNames(preferences, KEY_READ)) {
            if (stop.StopRequested()) return;
            std::string text;
            if (ReadText(HKEY_CURRENT_USER, preferences + "\\" + clip, "", text) && lazyMask.Fits(text))
                sink.AddCaption(std::move(text));
        }
    }
}

void RemoveRecentClip(const std::string& text) {
    for (const std::string& version : SubkeyNames(HKEY_CURRENT_USER, kRealPlayerKey, KEY_ALL_ACCESS))
        RemoveClipOfVersion(PreferencesKey(version), text);
}

void ClearRealPlayerClips() {
    for (const std::string& version : SubkeyNames(HKEY_CURRENT_USER, kRealPlayerKey, KEY_ALL_ACCESS)) {
        const std::string preferences = PreferencesKey(version);
        for (const std::string& clip : ClipKeyNames(preferences, KEY_ALL_ACCESS))
            RegistryKey::DeleteTree({HKEY_CURRENT_USER, preferences + "\\" + clip}, KEY_ALL_ACCESS);
    }
}

void ListWinDvd(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    LazyMask lazyMask(mask);
    for (const std::string& subkey : SubkeyNames(HKEY_CURRENT_USER, kInterVideoKey, KEY_READ)) {
        if (stop.StopRequested()) return;
        std::string text;
        if (TextFitsMask(subkey, kWinDvdKeyMask) &&
            ReadText(HKEY_CURRENT_USER, std::string(kInterVideoKey) + "\\" + subkey, kWinDvdPathValue, text, true) &&
            lazyMask.Fits(text))
            sink.AddCaption(std::move(text));
    }
}

void ListQuickTime(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        ReadRecentValues(sink, root, kQuickTimeRecentKey, nullptr, mask, stop);
}

void ClearQuickTimeHistory() {
    const HKEY roots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
    for (HKEY root : roots) DeleteValuesByMask(root, kQuickTimeRecentKey, kQuickTimeClearMask, nullptr);
    for (HKEY root : roots) {
        std::string folder;
        if (ReadText(root, kQuickTimePreferencesKey, kQuickTimeFolderValue, folder, true) && IsFullPath(folder))
            DeleteFileOfFolder(folder, WithTrailingSeparator(folder) + kQuickTimeFavoritesName);
    }
}

std::string WinampPlayListPath() {
    std::string folder;
    if (!ReadText(HKEY_CURRENT_USER, kWinampKey, "", folder) || !IsFullPath(folder)) return {};
    return WithTrailingSeparator(folder) + kWinampPlayListName;
}

void ListWinamp(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    const std::string path = WinampPlayListPath();
    // No play list yet is nothing to tell.
    if (path.empty() || !files::FileExistsAnyLength(path)) return;
    PlayList list;
    std::string reason;
    if (!ReadPlayList(path, list, reason)) {
        sink.Notice(CannotBeReadText(path, reason));
        return;
    }
    LazyMask lazyMask(mask);
    for (std::string& line : list.lines) {
        if (stop.StopRequested()) return;
        if (IsEntry(line) && lazyMask.Fits(line)) sink.AddCaption(std::move(line));
    }
}

void RemoveWinampEntry(const std::string& text) {
    const std::string path = WinampPlayListPath();
    PlayList list;
    std::string reason;
    if (path.empty() || !ReadPlayList(path, list, reason)) return;
    std::vector<std::string>& lines = list.lines;
    const auto found = std::find_if(lines.begin(), lines.end(),
                                    [&text](const std::string& line) { return IsEntry(line) && line == text; });
    if (found == lines.end()) return;
    // The new list would take the link's place and cut it from the list it
    // leads to.
    if (files::IsLinkToAnotherFile(path)) throw HistoryNotice(LeftAsLinkText(path));
    // The line before goes only when it describes this entry: in a list
    // without information lines it is the entry before.
    const auto first = found != lines.begin() && IsInformationLine(*std::prev(found)) ? std::prev(found) : found;
    lines.erase(first, std::next(found));
    std::string bytes = list.bom;
    for (const std::string& line : lines) bytes += line + "\r\n";
    const std::string aside = path + ".orvelin-new";
    if (files::WriteFileBytesFlushed(aside, bytes) && files::ReplaceFileAtomically(aside, path)) return;
    files::DeleteFilePath(aside);
}

HistoryDeleteAllResult DeleteWinampPlayList() {
    const std::string path = WinampPlayListPath();
    if (path.empty() || !files::FileExistsAnyLength(path)) return {};
    if (files::IsLinkToAnotherFile(path)) return {.notice = LeftAsLinkText(path)};
    DeleteFileOfFolder(files::ExtractFilePath(path), path);
    return {};
}

// ---- the sections' rows ------------------------------------------------------

void RegisterMultimediaSections(HistorySectionRegistry& sections) {
    sections.Register({hsMediaPlayerRecent, hsMultimedia, 10, "Windows Media Player Play File List", 14},
                      NamingFiles({.heading = "Windows Media Player Play File List",
                       .deleteAllQuestion = "Do you really want to delete ALL Windows Media Player History items?",
                       .list = ListMediaPlayer,
                       .deleteOne = DeleteValueIn({kMediaPlayerRecentKey}),
                       .deleteAll = AtOnce([](const std::vector<HistoryRow>&, const std::string& mask) {
                           DeleteValuesByMask(HKEY_CURRENT_USER, kMediaPlayerRecentKey, mask, kMediaPlayerOrderValue);
                           return 0;
                       })}));
    // Delete All clears every clip, whatever the mask.
    sections.Register({hsRealPlayerRecent, hsMultimedia, 20, "RealPlayer Play File List", 27},
                      NamingFiles({.heading = "RealPlayer Most Recent Clips",
                       .deleteAllQuestion = "Do you really want to delete ALL RealPlayer History items?",
                       .list = ListRealPlayer,
                       .deleteOne =
                           [](const HistoryRow& item) {
                               RemoveRecentClip(item.caption);
                               return 0;
                           },
                       .deleteAll = AtOnce([](const std::vector<HistoryRow>&, const std::string&) {
                           ClearRealPlayerClips();
                           return 0;
                       }),
                       .deleteAllUsesMask = false,
                       .wholeCount = CountingRows(ListRealPlayer, "*")}));
    // Delete All removes the listed paths one by one, wherever under the
    // program's key they are.
    sections.Register({hsWinDvdRecent, hsMultimedia, 30, "InterVideo WinDVD Play File List", 36},
                      NamingFiles({.heading = "InterVideo WinDVD Last Open Path",
                       .deleteAllQuestion = "Do you really want to delete ALL InterVideo WinDVD History items?",
                       .list = ListWinDvd,
                       .deleteOne = DeleteValueInSubkeysOf(kInterVideoKey),
                       .deleteAll = AtOnce([](const std::vector<HistoryRow>& listed, const std::string&) {
                           for (const HistoryRow& row : listed)
                               DeleteValueByDataInSubkeys(HKEY_CURRENT_USER, kInterVideoKey, row.caption);
                           return 0;
                       }),
                       .deleteAllUsesMask = false}));
    // QuickTime's list is cleared only as a whole, by Delete and Delete All alike.
    sections.Register({hsQuickTime, hsMultimedia, 40, "QuickTime Player Recent File List", 54},
                      NamingFiles({.heading = "QuickTime Recent File List",
                       .deleteAllQuestion = "Do you want to delete ALL QuickTime History items?",
                       .deleteQuestion = "You can clear only ALL QuickTime Recent File List.\r\nDo you "
                                         "want to delete ALL QuickTime History items?",
                       .deleteNeedsNoItem = true,
                       .list = ListQuickTime,
                       .deleteOne =
                           [](const HistoryRow&) {
                               ClearQuickTimeHistory();
                               return 0;
                           },
                       .deleteAll = AtOnce([](const std::vector<HistoryRow>&, const std::string&) {
                           ClearQuickTimeHistory();
                           return 0;
                       }),
                       .deleteAllUsesMask = false,
                       .wholeCount = CountingRows(ListQuickTime, kQuickTimeClearMask)}));
    // Delete All deletes the play list file, whatever the mask.
    sections.Register({hsWinAmpRecent, hsMultimedia, 50, "WinAMP Recent Play List", 55},
                      NamingFiles({.heading = "WinAMP Recent Play List",
                       .deleteAllQuestion = "Do you really want to delete WinAMP Recent Play List?",
                       .list = ListWinamp,
                       .deleteOne =
                           [](const HistoryRow& item) {
                               RemoveWinampEntry(item.caption);
                               return 0;
                           },
                       .deleteAll = [](const std::vector<HistoryRow>&, const std::string&, common::IProgressSink&,
                       common::StopToken) { return DeleteWinampPlayList(); },
                       .deleteAllUsesMask = false,
                       .wholeCount = CountingRows(ListWinamp, "*")}));
    sections.Register({hsPaintShopPro, hsMultimedia, 60, "Jasc PaintShop Pro Recent File List", 41},
                      RecentValuesSection("Jasc Paint Shop Pro Recent File List",
                                          "Do you really want to delete ALL Jasc Paint Shop Pro History items?",
                                          ListPaintShopPro, {std::begin(kPaintShopProKeys), std::end(kPaintShopProKeys)}));
}

}  // namespace history
