// Internet Explorer's auto-complete traces kept in Protected Storage, and
// the rows of their sections.
#include "history/AutoCompleteHistory.h"

#include "common/Common.h"
#include "history/HistoryFunctions.h"
#include "history/HistorySectionTable.h"
#include "history/ProtectedStorageItems.h"

#include <functional>

namespace history {
namespace {

const std::vector<HistoryColumn> kIdAndValue = {{"ID", 150}, {"Value", 0}};

// The stores of each section: type and subtype display names.
const char* const kFormsType = "Internet Explorer";
const char* const kFormsSubtype = "Internet Explorer";
const char* const kFormDataPart = ":StringData";
const char* const kFormIndexPart = ":StringIndex";
const char* const kWebCredentialsType = "WininetCacheCredentials";
const char* const kWebCredentialsSubtype = "WininetCacheCredentials";
const char* const kServerPasswordsType = "Identification";
const char* const kServerPasswordsSubtype = "INETCOMM Server Passwords";

// A run of this many bytes outside 33..126 shows as one blank.
constexpr int kRunShownAsBlank = 3;

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Where part first occurs in text, case ignored. The parts searched for are
// ASCII, so folding ASCII letters is enough, and leaves UTF-8 sequences as they are.
size_t FindIgnoringCase(const std::string& text, const std::string& part) {
    if (part.size() > text.size()) return std::string::npos;
    for (size_t at = 0; at + part.size() <= text.size(); ++at) {
        size_t i = 0;
        while (i < part.size() && AsciiLower(text[at + i]) == AsciiLower(part[i])) ++i;
        if (i == part.size()) return at;
    }
    return std::string::npos;
}

std::string WithoutFirst(std::string text, const std::string& part) {
    const size_t at = FindIgnoringCase(text, part);
    if (at != std::string::npos) text.erase(at, part.size());
    return text;
}

using ItemVisit = std::function<void(const ProtectedStorageConnection& store, const GUID& type, const GUID& subtype,
                                     const std::string& item)>;

// Visits every item name of every subtype named subtypeName of every type
// named typeName, in the service's order (every match, not only the first).
// A type or subtype whose name cannot be read is passed over: it is no store
// of that name as far as anyone can tell. False when there is no provider
// (nothing is visited).
bool WalkStore(const std::string& typeName, const std::string& subtypeName, const ItemVisit& visit,
               common::StopToken stop = {}) {
    ProtectedStorageConnection store;
    if (!store.Connect()) return false;
    for (const GUID& type : store.GetTypes()) {
        if (stop.StopRequested()) break;
        if (store.GetTypeName(type) != typeName) continue;
        for (const GUID& subtype : store.GetSubtypes(type)) {
            if (store.GetSubtypeName(type, subtype) != subtypeName) continue;
            for (const std::string& item : store.GetItems(type, subtype)) {
                if (stop.StopRequested()) return true;
                visit(store, type, subtype, item);
            }
        }
    }
    return true;
}

// Removes every item of the store; the result of the last removal tried
// (none tried: std::nullopt).
std::optional<bool> RemoveEveryItem(const std::string& typeName, const std::string& subtypeName) {
    std::optional<bool> last;
    WalkStore(typeName, subtypeName, [&](const ProtectedStorageConnection& store, const GUID& type, const GUID& subtype,
                                         const std::string& item) { last = store.RemoveItem(type, subtype, item); });
    return last;
}

// Removes every item named caption (case ignored); whether the last one
// tried went (false when none matched), or none without a provider.
std::optional<bool> RemoveNamedItems(const std::string& typeName, const std::string& subtypeName,
                                     const std::string& caption) {
    bool lastWent = false;
    const bool reached =
        WalkStore(typeName, subtypeName,
                  [&](const ProtectedStorageConnection& store, const GUID& type, const GUID& subtype, const std::string& item) {
                      if (SameCaption(item, caption)) lastWent = store.RemoveItem(type, subtype, item);
                  });
    if (!reached) return std::nullopt;
    return lastWent;
}

// Empties every subtype of the type (items first, then the subtype).
void EmptyType(const ProtectedStorageConnection& store, const GUID& type) {
    for (const GUID& subtype : store.GetSubtypes(type)) {
        for (const std::string& item : store.GetItems(type, subtype)) store.RemoveItem(type, subtype, item);
        store.RemoveSubtype(type, subtype);
    }
}

}  // namespace

std::string PrintableText(const BYTE* data, size_t count) {
    std::string text;
    int run = 0;
    for (size_t i = 0; i < count; ++i) {
        const BYTE byte = data[i];
        if (byte >= 33 && byte <= 126) {
            text.push_back(static_cast<char>(byte));
            run = 0;
        } else if (++run == kRunShownAsBlank) {
            text.push_back(' ');
        }
    }
    return text;
}

void ListProtectedItems(IHistorySink& sink, const std::string& mask, const std::string& typeName,
                        const std::string& subtypeName, const std::optional<std::string>& part,
                        common::StopToken stop) {
    LazyMask lazyMask(mask);
    WalkStore(
        typeName, subtypeName,
        [&](const ProtectedStorageConnection& store, const GUID& type, const GUID& subtype, const std::string& item) {
            if (part && FindIgnoringCase(item, *part) == std::string::npos) return;
            const std::optional<std::vector<BYTE>> data = store.ReadItemData(type, subtype, item);
            if (!data) return;
            std::string value = PrintableText(data->data(), data->size());
            if (!lazyMask.Fits(value)) return;
            sink.Add(HistoryRow{part ? WithoutFirst(item, *part) : item, {std::move(value)}, {}});
        },
        stop);
}

void ListAutoCompleteForms(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    ListProtectedItems(sink, mask, kFormsType, kFormsSubtype, std::string(kFormDataPart), stop);
}

int RemoveFormEntry(const std::string& caption) {
    int result = 0;
    WalkStore(kFormsType, kFormsSubtype,
              [&](const ProtectedStorageConnection& store, const GUID& type, const GUID& subtype, const std::string& item) {
                  if (SameCaption(caption, WithoutFirst(item, kFormDataPart)) ||
                      SameCaption(caption, WithoutFirst(item, kFormIndexPart)))
                      result = store.RemoveItem(type, subtype, item) ? 0 : kProtectedItemRefused;
              });
    return result;
}

int RemoveAllForms() {
    const std::optional<bool> last = RemoveEveryItem(kFormsType, kFormsSubtype);
    return last.value_or(true) ? 0 : kProtectedItemRefused;
}

void ListAutoCompletePasswords(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    ListProtectedItems(sink, mask, kWebCredentialsType, kWebCredentialsSubtype, std::nullopt, stop);
    if (stop.StopRequested()) return;
    ListProtectedItems(sink, mask, kServerPasswordsType, kServerPasswordsSubtype, std::nullopt, stop);
}

int RemovePassword(const std::string& caption) {
    const std::optional<bool> fromWeb = RemoveNamedItems(kWebCredentialsType, kWebCredentialsSubtype, caption);
    // Without the service there is nothing to remove, and nothing failed.
    if (!fromWeb) return 0;
    if (*fromWeb) return 0;
    // The servers' store is tried only when nothing went from the web cache's.
    const std::optional<bool> fromServers =
        RemoveNamedItems(kServerPasswordsType, kServerPasswordsSubtype, caption);
    return fromServers.value_or(true) ? 0 : kProtectedItemRefused;
}

int RemoveAllPasswords() {
    RemoveEveryItem(kWebCredentialsType, kWebCredentialsSubtype);
    RemoveEveryItem(kServerPasswordsType, kServerPasswordsSubtype);
    return 0;
}

void ListProtectedTypes(IHistorySink& sink, common::StopToken stop) {
    ProtectedStorageConnection store;
    if (!store.Connect()) return;
    for (const GUID& type : store.GetTypes()) {
        if (stop.StopRequested()) return;
        // A type whose name cannot be read would show as a blank row, and
        // its Delete could find it by no name.
        if (std::optional<std::string> name = store.GetTypeName(type)) sink.AddCaption(std::move(*name));
    }
}

int RemoveProtectedType(const std::string& caption) {
    ProtectedStorageConnection store;
    if (!store.Connect()) return 0;
    for (const GUID& type : store.GetTypes())
        if (store.GetTypeName(type) == caption) EmptyType(store, type);
    return 0;
}

int RemoveAllProtectedTypes() {
    ProtectedStorageConnection store;
    if (!store.Connect()) return 0;
    // Every type, named or not: "clear index.dat" means all of it.
    for (const GUID& type : store.GetTypes()) EmptyType(store, type);
    return 0;
}

void RegisterAutoCompleteSections(HistorySectionRegistry& sections) {
    // The listers call the service once per item (every item's data is
    // read), so they run on the worker, in its COM apartment, as Delete All does.
    sections.Register({hsAutoCompleteForms, hsInternetExplorer, 50, "Auto Complete Forms", 2},
                      {.columns = kIdAndValue,
                       .fit = ColumnFit::SecondFills,
                       .deleteAllQuestion = "Do you really want to clear ALL auto complete forms?",
                       .list = ListAutoCompleteForms,
                       .listsOnWorker = true,
                       .deleteOne = [](const HistoryRow& item) { return RemoveFormEntry(item.caption); },
                       .deleteAll = AtOnce([](const std::vector<HistoryRow>&, const std::string&) {
                           return RemoveAllForms();  // every form entry, whatever the mask
                       }),
                       .deleteAllUsesMask = false,
                       .wholeCount = CountingRows(ListAutoCompleteForms, "*")});
    sections.Register({hsAutoCompletePasswords, hsInternetExplorer, 60, "Auto Complete Passwords", 23},
                      {.columns = kIdAndValue,
                       .fit = ColumnFit::SecondFills,
                       .deleteAllQuestion = "Do you really want to clear ALL auto complete passwords?",
                       .list = ListAutoCompletePasswords,
                       .listsOnWorker = true,
                       .deleteOne = [](const HistoryRow& item) { return RemovePassword(item.caption); },
                       .deleteAll = AtOnce([](const std::vector<HistoryRow>&, const std::string&) {
                           return RemoveAllPasswords();  // every password, whatever the mask
                       }),
                       .deleteAllUsesMask = false,
                       .wholeCount = CountingRows(ListAutoCompletePasswords, "*")});
    sections.Register({hsIndexDat, hsInternetExplorer, 70, "Index.dat", 4},
                      {.heading = "Internet Explorer Index.dat File",
                       .takesMask = false,
                       .deleteAllQuestion = "Do you really want to clear index.dat?",
                       .list = [](IHistorySink& sink, const std::string&,
                                  common::StopToken stop) { ListProtectedTypes(sink, stop); },
                       .listsOnWorker = true,
                       .deleteOne = [](const HistoryRow& item) { return RemoveProtectedType(item.caption); },
                       .deleteAll = AtOnce([](const std::vector<HistoryRow>&, const std::string&) {
                           return RemoveAllProtectedTypes();
                       })});
}

}  // namespace history
