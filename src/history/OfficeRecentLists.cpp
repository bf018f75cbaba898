// The MS Office traces and the rows of the MS Office sections.
#include "history/OfficeRecentLists.h"

#include "common/Common.h"
#include "platform/RegistryKey.h"
#include "history/HistoryFunctions.h"
#include "history/HistoryRemovals.h"
#include "history/HistorySectionTable.h"
#include "platform/Automation.h"
#include "platform/Handles.h"

#include <utility>
#include <vector>

namespace automation = platform::automation;

namespace history {
using platform::RegistryKey;

const OfficeAutomationProgram kWordProgram{"Word.Application", true};
const OfficeAutomationProgram kExcelProgram{"Excel.Application", false};

const OfficeNumberedList kAccessList{"Access", "Access\\Settings", "MRU"};
const OfficeNumberedList kPowerPointList{"PowerPoint", "PowerPoint\\Recent File List", "File"};
const OfficeNumberedList kPublisherList{"Publisher", "Publisher\\Recent File List", "File"};

const char* const kOfficeKey = "Software\\Microsoft\\Office";
const char* const kFrontPageRecentKey = "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent Page List";

namespace {

// ---- automation ----------------------------------------------------------------

// One run of a program's automation server: made at the start, told to
// quit at the end, whatever happened in between. COM is initialised here
// for the thread the operation runs on (the window thread has it already,
// a worker too; then this only counts once more), and stays so until the
// server's last reference has gone. On a thread of the other apartment kind
// the initialisation fails but COM works; where COM cannot work at all the
// server is simply not made.
class OfficeServer {
public:
    explicit OfficeServer(const char* progId) { automation::CreateObject(progId, application_); }
    ~OfficeServer() {
        if (application_) automation::Call(application_.Get(), "Quit");
    }
    OfficeServer(const OfficeServer&) = delete;
    OfficeServer& operator=(const OfficeServer&) = delete;

    explicit operator bool() const { return static_cast<bool>(application_); }

    // The number of entries; false on an automation error.
    bool Count(long& count) const {
        platform::ComPtr<IDispatch> files;
        return SUCCEEDED(automation::GetDispatch(application_.Get(), "RecentFiles", files)) &&
               SUCCEEDED(automation::GetNumber(files.Get(), "Count", count));
    }
    // Entry number index (1-based).
    bool Entry(long index, platform::ComPtr<IDispatch>& entry) const {
        platform::ComPtr<IDispatch> files;
        return SUCCEEDED(automation::GetDispatch(application_.Get(), "RecentFiles", files)) &&
               SUCCEEDED(automation::GetDispatchAt(files.Get(), "Item", index, entry));
    }

private:
    platform::ScopedCom com_;  // first made, last gone
    platform::ComPtr<IDispatch> application_;
};

bool EntryText(const OfficeAutomationProgram& program, IDispatch* entry, std::string& text) {
    if (!program.pathAndName) return SUCCEEDED(automation::GetText(entry, "Name", text));
    std::string path, name;
    if (FAILED(automation::GetText(entry, "Path", path)) || FAILED(automation::GetText(entry, "Name", name)))
        return false;
    if (path.empty() || path.back() != '\\') path += '\\';
    text = path + name;
    return true;
}

// The number of entries the walk goes over: the count is asked twice, the
// first answer only telling whether there is anything at all. 0 when there
// is nothing or the server fails.
long EntriesToWalk(const OfficeServer& server) {
    long count = 0;
    if (!server.Count(count) || count <= 0) return 0;
    return server.Count(count) && count > 0 ? count : 0;
}

// ---- numbered lists -------------------------------------------------------------

constexpr int kNumberedEntries = 9;

// Listing asks only to read; removals need full access, or the list counts
// as missing (as the shared operations do).
template <typename Act>
void ForEachNumberedEntry(const OfficeNumberedList& list, REGSAM access, common::StopToken stop, Act act) {
    const std::string key = OfficeListKey(list);
    if (key.empty()) return;
    const RegistryKey registry = RegistryKey::Open({HKEY_CURRENT_USER, key}, access);
    if (!registry) return;
    for (int number = 1; number <= kNumberedEntries; ++number) {
        if (stop.StopRequested()) return;
        const std::string name = list.valuePrefix + std::to_string(number);
        std::string text;
        if (registry.ReadText(name, text)) act(registry, name, text);
    }
}

}  // namespace

void ListOfficeRecentFiles(const OfficeAutomationProgram& program, IHistorySink& sink, const std::string& mask,
                           common::StopToken stop) {
    LazyMask fits(mask);
    const OfficeServer server(program.progId);
    if (!server) return;
    const long count = EntriesToWalk(server);
    for (long index = 1; index <= count; ++index) {
        if (stop.StopRequested()) return;
        platform::ComPtr<IDispatch> entry;
        std::string text;
        if (!server.Entry(index, entry) || !EntryText(program, entry.Get(), text)) return;
        if (fits.Fits(text)) sink.AddCaption(std::move(text));
    }
}

void DeleteOfficeRecentFile(const OfficeAutomationProgram& program, const std::string& caption) {
    const OfficeServer server(program.progId);
    if (!server) return;
    const long count = EntriesToWalk(server);
    for (long index = 1; index <= count; ++index) {
        platform::ComPtr<IDispatch> entry;
        std::string text;
        if (!server.Entry(index, entry) || !EntryText(program, entry.Get(), text)) return;
        if (SameCaption(text, caption)) {
            automation::Call(entry.Get(), "Delete");
            return;
        }
    }
}

HistoryDeleteAllResult DeleteOfficeRecentFiles(const OfficeAutomationProgram& program, const std::string& mask,
                                               common::IProgressSink& progress, common::StopToken stop) {
    HistoryDeleteAllResult result;
    progress.Progress(0, 0, "");  // the server may take a while to start
    LazyMask fits(mask);
    const OfficeServer server(program.progId);
    if (!server) return result;
    const long count = EntriesToWalk(server);
    for (long index = count; index >= 1; --index) {
        if (stop.StopRequested()) {
            result.stopped = true;
            break;
        }
        platform::ComPtr<IDispatch> entry;
        std::string text;
        if (!server.Entry(index, entry) || !EntryText(program, entry.Get(), text)) break;
        if (fits.Fits(text) && FAILED(automation::Call(entry.Get(), "Delete"))) break;
        progress.Progress(static_cast<size_t>(count - index + 1), static_cast<size_t>(count), text);
    }
    return result;
}

std::string OfficeListKey(const OfficeNumberedList& list) {
    const RegistryKey office = RegistryKey::Open({HKEY_CURRENT_USER, kOfficeKey}, KEY_READ);
    if (!office) return {};
    const std::vector<std::string> versions = office.SubkeyNames();
    // The listing and both removals choose with the same (read) access, so a
    // removal never reaches a version other than the one that was listed.
    for (const std::string& version : versions) {
        const std::string versionKey = std::string(kOfficeKey) + "\\" + version;
        const RegistryKey registry = RegistryKey::Open({HKEY_CURRENT_USER, versionKey}, KEY_READ);
        if (!registry) continue;
        const std::vector<std::string> applications = registry.SubkeyNames();
        for (const std::string& application : applications)
            if (SameCaption(application, list.application)) return versionKey + "\\" + list.listKey;
    }
    return {};
}

void ListOfficeNumberedList(const OfficeNumberedList& list, IHistorySink& sink, const std::string& mask,
                            common::StopToken stop) {
    LazyMask fits(mask);
    ForEachNumberedEntry(list, KEY_READ, stop,
                         [&](const RegistryKey&, const std::string&, std::string& text) {
                             if (fits.Fits(text)) sink.AddCaption(std::move(text));
                         });
}

void DeleteOfficeNumberedEntry(const OfficeNumberedList& list, const std::string& caption) {
    ForEachNumberedEntry(list, KEY_ALL_ACCESS, common::StopToken(),
                         [&](const RegistryKey& registry, const std::string& name, const std::string& text) {
                             if (SameCaption(text, caption)) registry.DeleteValue(name);
                         });
}

void DeleteOfficeNumberedEntries(const OfficeNumberedList& list, const std::string& mask) {
    LazyMask fits(mask);
    ForEachNumberedEntry(list, KEY_ALL_ACCESS, common::StopToken(),
                         [&](const RegistryKey& registry, const std::string& name, const std::string& text) {
                             if (fits.Fits(text)) registry.DeleteValue(name);
                         });
}

void ListFrontPageRecent(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    ReadRecentValues(sink, HKEY_CURRENT_USER, kFrontPageRecentKey, nullptr, mask, stop);
}

// ---- the sections' rows ------------------------------------------------------------

namespace {

// Word or Excel. The listing runs on the worker: the server can take seconds
// to start, and the window stays responsive meanwhile.
HistorySectionRow AutomationSection(const OfficeAutomationProgram& program, const char* heading,
                                    const char* deleteAllQuestion) {
    const OfficeAutomationProgram* p = &program;
    return {.heading = heading,
            .deleteAllQuestion = deleteAllQuestion,
            .list = [p](IHistorySink& sink, const std::string& mask,
                        common::StopToken stop) { ListOfficeRecentFiles(*p, sink, mask, stop); },
            .listsOnWorker = true,
            .deleteOne =
                [p](const HistoryRow& item) {
                    DeleteOfficeRecentFile(*p, item.caption);
                    return 0;
                },
            .deleteAll = [p](const std::vector<HistoryRow>&, const std::string& mask,
                             common::IProgressSink& progress,
                             common::StopToken stop) { return DeleteOfficeRecentFiles(*p, mask, progress, stop); },
            .rowsNameFiles = true};
}

HistorySectionRow NumberedListSection(const OfficeNumberedList& list, const char* heading,
                                      const char* deleteAllQuestion) {
    const OfficeNumberedList* l = &list;
    return {.heading = heading,
            .deleteAllQuestion = deleteAllQuestion,
            .list = [l](IHistorySink& sink, const std::string& mask,
                        common::StopToken stop) { ListOfficeNumberedList(*l, sink, mask, stop); },
            .deleteOne =
                [l](const HistoryRow& item) {
                    DeleteOfficeNumberedEntry(*l, item.caption);
                    return 0;
                },
            .deleteAll = AtOnce([l](const std::vector<HistoryRow>&, const std::string& mask) {
                DeleteOfficeNumberedEntries(*l, mask);
                return 0;
            }),
            .rowsNameFiles = true};
}

}  // namespace

void RegisterMSOfficeSections(HistorySectionRegistry& sections) {
    sections.Register({hsMSWordRecent, hsMSOffice, 10, "MS Word Recent File List", 15},
                      AutomationSection(kWordProgram, "Microsoft Word Recent File List",
                                        "Do you really want to delete ALL MS Word History items?"));
    sections.Register({hsMSExcelRecent, hsMSOffice, 20, "MS Excel Recent File List", 8},
                      AutomationSection(kExcelProgram, "Microsoft Excel Recent File List",
                                        "Do you really want to delete ALL MS Excel History items?"));
    sections.Register({hsMSAccessRecent, hsMSOffice, 30, "MS Access Recent File List", 7},
                      NumberedListSection(kAccessList, "Microsoft Access Recent File List",
                                          "Do you really want to delete ALL MS Access History items?"));
    sections.Register({hsMSPowerPointRecent, hsMSOffice, 40, "MS Power Point Recent File List", 12},
                      NumberedListSection(kPowerPointList, "Microsoft PowerPoint Recent File List",
                                          "Do you really want to delete ALL MS Power Point History items?"));
    sections.Register({hsMSFrontPageRecent, hsMSOffice, 50, "MS Front Page Recent File List", 9},
                      RecentValuesSection("Microsoft FrontPage Recent File List",
                                          "Do you really want to delete ALL MS FrontPage History items?",
                                          ListFrontPageRecent, {kFrontPageRecentKey}));
    sections.Register({hsMSPublisherRecent, hsMSOffice, 60, "MS Publisher Recent File List", 13},
                      NumberedListSection(kPublisherList, "Microsoft Publisher Recent File List",
                                          "Do you really want to delete ALL MS Publisher History items?"));
}

}  // namespace history
