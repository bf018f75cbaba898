// The archivers' traces: WinZip's and WinRAR's recent archive lists and the
// rows of their sections.
#include "history/ArchiverHistory.h"

#include "common/Common.h"
#include "platform/RegistryKey.h"
#include "history/HistoryFunctions.h"
#include "history/HistorySectionTable.h"

#include <map>

namespace history {
using platform::RegistryKey;

const char* const kWinZipRecentKey = "Software\\Nico Mak Computing\\WinZip\\filemenu";
const char* const kWinZipValuePrefix = "filemenu";
const char* const kWinRarRecentKey = "Software\\WinRAR\\ArcHistory";

namespace {

// Delete All keeps the entries whose text has no full stop.
const char* const kArchiveMask = "*.*";
const HKEY kListRoots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};

void ListBothRoots(IHistorySink& sink, const char* key, const std::string& mask, common::StopToken stop) {
    for (HKEY root : kListRoots) ReadRecentValues(sink, root, key, nullptr, mask, stop);
}

void ClearBothRoots(const char* key) {
    for (HKEY root : kListRoots) DeleteValuesByMask(root, key, kArchiveMask, nullptr);
}

bool SameAsciiLetters(char a, char b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(a) == lower(b);
}

// The number of a value named prefix + number: decimal digits without a
// leading zero (so "filemenu01" and "01" name no entry, while "0" alone is
// WinRAR's first entry; "filemenu0" is none), small enough to count on.
bool EntryNumber(const std::string& name, const std::string& prefix, unsigned& number) {
    if (name.size() <= prefix.size() || name.size() - prefix.size() > 9) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (!SameAsciiLetters(name[i], prefix[i])) return false;
    // WinRAR's plain numbers count from 0; WinZip's "filemenu" ones from 1.
    if (name[prefix.size()] == '0' && (name.size() > prefix.size() + 1 || !prefix.empty())) return false;
    number = 0;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
        number = number * 10 + static_cast<unsigned>(name[i] - '0');
    }
    return true;
}

}  // namespace

void ListWinZip(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    ListBothRoots(sink, kWinZipRecentKey, mask, stop);
}

void ListWinRar(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    ListBothRoots(sink, kWinRarRecentKey, mask, stop);
}

void RemoveNumberedEntry(HKEY root, const std::string& key, const std::string& prefix, const std::string& text) {
    const RegistryKey registry = RegistryKey::Open({root, key}, KEY_ALL_ACCESS);
    if (!registry) return;
    const std::vector<std::string> names = registry.ValueNames();
    std::map<unsigned, std::string> entries;  // by number: the value's name as stored
    for (const std::string& name : names) {
        unsigned number = 0;
        if (EntryNumber(name, prefix, number)) entries.emplace(number, name);
    }
    // Not only 1 to the value count: after a Delete All by mask the numbers
    // have gaps, and an entry past the count would never be found.
    auto match = entries.begin();
    for (std::string data; match != entries.end(); ++match)
        if (registry.ReadText(match->second, data) && SameCaption(data, text)) break;
    if (match == entries.end()) return;

    // The entries that move up: those right after the match, without a gap
    // and each with a text. An entry beyond a gap, an empty one or a value
    // of another type ends the run and stays as it is.
    std::vector<std::string> run{match->second};
    for (auto next = std::next(match); next != entries.end() && next->first == std::prev(next)->first + 1; ++next) {
        std::string data;
        if (!registry.ReadText(next->second, data) || data.empty()) break;
        run.push_back(next->second);
    }
    for (size_t i = 0; i + 1 < run.size(); ++i) {
        // Moved as stored, so an expandable text stays expandable.
        platform::reg::RawValue value;
        if (!registry.ReadRaw(run[i + 1], value) || !registry.WriteRaw(run[i], value))
            throw platform::RegistryErrorText("Failed to set data for '" + run[i] + "'");
    }
    registry.DeleteValue(run.back());
}

void ClearWinZip() { ClearBothRoots(kWinZipRecentKey); }
void ClearWinRar() { ClearBothRoots(kWinRarRecentKey); }

void RegisterArchiverSections(HistorySectionRegistry& sections) {
    // Delete All takes the lists' own mask, not the page's: entries without
    // a full stop are no archives and stay.
    sections.Register({hsWinZipRecent, hsArchivers, 10, "WinZIP Recent File List", 39},
                      NamingFiles({.heading = "WinZip Recent File List",
                       .deleteAllQuestion = "Do you really want to delete ALL WinZip History items?",
                       .list = ListWinZip,
                       .deleteOne =
                           [](const HistoryRow& item) {
                               for (HKEY root : kListRoots)
                                   RemoveNumberedEntry(root, kWinZipRecentKey, kWinZipValuePrefix,
                                                       item.caption);
                               return 0;
                           },
                       .deleteAll = AtOnce([](const std::vector<HistoryRow>&, const std::string&) {
                           ClearWinZip();
                           return 0;
                       }),
                       .deleteAllUsesMask = false,
                       .wholeCount = CountingRows(ListWinZip, kArchiveMask)}));
    sections.Register({hsWinRarRecent, hsArchivers, 20, "WinRAR Recent File List", 40},
                      NamingFiles({.heading = "WinRAR Recent File List",
                       .deleteAllQuestion = "Do you really want to delete ALL WinRAR History items?",
                       .list = ListWinRar,
                       .deleteOne =
                           [](const HistoryRow& item) {
                               for (HKEY root : kListRoots)
                                   RemoveNumberedEntry(root, kWinRarRecentKey, "", item.caption);
                               return 0;
                           },
                       .deleteAll = AtOnce([](const std::vector<HistoryRow>&, const std::string&) {
                           ClearWinRar();
                           return 0;
                       }),
                       .deleteAllUsesMask = false,
                       .wholeCount = CountingRows(ListWinRar, kArchiveMask)}));
}

}  // namespace history
