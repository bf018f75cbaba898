// The one table of what each history section runs: its lister, or the scan
// thread's bit for the Internet Explorer cache sections; its Delete of one
// item; its Delete All. Sections whose tools have not arrived have empty
// entries: they list nothing and their commands stay disabled.
#pragma once

#include <functional>
#include <string>
#include <vector>

// One listed trace: the caption and the values of the further columns.
struct HistoryRow {
    std::string caption;
    std::vector<std::string> subItems;
};

// Appends the section's traces. mask: the effective mask (sections that
// take none are given "*" and ignore it).
using HistoryLister = std::function<void(std::vector<HistoryRow>& rows, const std::string& mask)>;
// Removes the trace of one listed item: 0 done, else a result code.
using HistoryDeleteOne = std::function<int(const HistoryRow& item)>;
// Clears the section: the rows listed now (for the sections that walk them)
// and the effective mask. 0 done, else a result code.
using HistoryDeleteAll = std::function<int(const std::vector<HistoryRow>& listed, const std::string& mask)>;

// The scan thread's section bits of the Internet Explorer cache sections.
enum HistoryScanBits : unsigned char { kScanVisitedPages = 1, kScanTemporaryFiles = 2, kScanCookies = 4, kScanTypedUrls = 8 };

struct HistorySectionOperations {
    HistoryLister list;             // runs on the window thread
    unsigned char scanFlags = 0;    // the scan thread's section bit (the cache sections)
    HistoryDeleteOne deleteOne;     // empty: Delete does nothing and reports 0
    HistoryDeleteAll deleteAll;     // empty: Delete All does nothing and reports 0
    std::string headingFromLister;  // the first column of sections that name their own
    // The toolbar section: the uninstall command of a listed toolbar, empty
    // when none is known (Delete stays disabled).
    std::function<std::string(const HistoryRow& item)> uninstallCommand;
};

// The entry of a section number (an empty entry for groups and unknown numbers).
const HistorySectionOperations& HistoryOperationsOf(int section);

// The line the clipboard section shows when the clipboard holds no text.
constexpr const char* kClipboardEmptyLine = "Clipboard Empty";
