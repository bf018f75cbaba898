// The Protected Storage connection and its enumerations.
#include "history/ProtectedStorageItems.h"

#include "platform/ProtectedStorage.h"
#include "platform/Text.h"

#include <algorithm>

namespace history {

namespace {

// How many entries each call to an enumerator asks for.
constexpr DWORD kBatch = 16;
// A provider whose enumerator never runs dry would hold the worker and fill
// memory for ever: no store of the browser's comes near this many entries.
constexpr size_t kMostEntries = 100000;

// Frees a block the service allocated for us when it goes out of scope.
struct TaskMemory {
    void* block = nullptr;
    ~TaskMemory() { CoTaskMemFree(block); }
};

// The name up to its limit'th character; a pair of surrogates counts as one
// and is never split.
std::wstring CutName(const wchar_t* name, size_t limit) {
    std::wstring whole(name);
    size_t end = 0;
    for (size_t characters = 0; characters < limit && end < whole.size(); ++characters) {
        const bool pair = IS_HIGH_SURROGATE(whole[end]) && end + 1 < whole.size() &&
                          IS_LOW_SURROGATE(whole[end + 1]);
        end += pair ? 2 : 1;
    }
    whole.resize(end);
    return whole;
}

IdList ReadIds(IEnumPStoreTypes* enumerator) {
    IdList ids;
    while (ids.ElementCount() < kMostEntries) {
        GUID batch[kBatch];
        DWORD fetched = 0;
        if (FAILED(enumerator->Next(kBatch, batch, &fetched))) break;
        fetched = std::min(fetched, kBatch);
        if (fetched == 0) break;
        for (DWORD i = 0; i < fetched; ++i) ids.Add(batch[i]);
    }
    return ids;
}

// A failing call's out-parameters are not the service's blocks: only a
// success's are given back.
std::optional<std::string> DisplayName(HRESULT result, PST_TYPEINFO* info) {
    TaskMemory owner{SUCCEEDED(result) ? info : nullptr};
    if (FAILED(result) || !info || !info->szDisplayName) return std::nullopt;
    return platform::text::Narrow(std::wstring(info->szDisplayName));
}

}  // namespace

bool ProtectedStorageConnection::IsAvailable() { return platform::pstore::Available(); }

bool ProtectedStorageConnection::Connect() {
    if (!IsAvailable()) return false;
    Disconnect();
    if (FAILED(platform::pstore::CreateProvider(provider_.Put()))) provider_.Reset();
    return Connected();
}

IdList ProtectedStorageConnection::GetTypes() const {
    if (!provider_) return {};
    platform::ComPtr<IEnumPStoreTypes> enumerator;
    if (FAILED(provider_->EnumTypes(kKey, 0, enumerator.Put())) || !enumerator) return {};
    return ReadIds(enumerator.Get());
}

IdList ProtectedStorageConnection::GetSubtypes(const GUID& type) const {
    if (!provider_) return {};
    platform::ComPtr<IEnumPStoreTypes> enumerator;
    if (FAILED(provider_->EnumSubtypes(kKey, &type, 0, enumerator.Put())) || !enumerator) return {};
    return ReadIds(enumerator.Get());
}

ItemList ProtectedStorageConnection::GetItems(const GUID& type, const GUID& subtype) const {
    ItemList items;
    if (!provider_) return items;
    platform::ComPtr<IEnumPStoreItems> enumerator;
    if (FAILED(provider_->EnumItems(kKey, &type, &subtype, 0, enumerator.Put())) || !enumerator) return items;
    for (size_t asked = 0; asked < kMostEntries; asked += kBatch) {
        LPWSTR batch[kBatch] = {};
        DWORD fetched = 0;
        if (FAILED(enumerator->Next(kBatch, batch, &fetched))) break;
        fetched = std::min(fetched, kBatch);
        if (fetched == 0) break;
        for (DWORD i = 0; i < fetched; ++i) {
            TaskMemory owner{batch[i]};
            if (batch[i]) items.Add(platform::text::Narrow(CutName(batch[i], kMaxItemNameLength)));
        }
    }
    return items;
}

std::optional<std::string> ProtectedStorageConnection::GetTypeName(const GUID& type) const {
    if (!provider_) return std::nullopt;
    PST_TYPEINFO* info = nullptr;
    const HRESULT result = provider_->GetTypeInfo(kKey, &type, &info, 0);
    return DisplayName(result, info);
}

std::optional<std::string> ProtectedStorageConnection::GetSubtypeName(const GUID& type, const GUID& subtype) const {
    if (!provider_) return std::nullopt;
    PST_TYPEINFO* info = nullptr;
    const HRESULT result = provider_->GetSubtypeInfo(kKey, &type, &subtype, &info, 0);
    return DisplayName(result, info);
}

std::optional<std::vector<BYTE>> ProtectedStorageConnection::ReadItemData(const GUID& type, const GUID& subtype,
                                                         const std::string& itemName) const {
    if (!provider_) return std::nullopt;
    const std::wstring name = platform::text::Widen(itemName);
    PST_PROMPTINFO prompt = platform::pstore::QuietPrompt();
    DWORD size = 0;
    BYTE* data = nullptr;
    const HRESULT result = provider_->ReadItem(kKey, &type, &subtype, name.c_str(), &size, &data, &prompt, 0);
    TaskMemory owner{SUCCEEDED(result) ? data : nullptr};
    if (FAILED(result) || !data) return std::nullopt;
    return std::vector<BYTE>(data, data + size);
}

bool ProtectedStorageConnection::RemoveItem(const GUID& type, const GUID& subtype, const std::string& itemName) const {
    if (!provider_) return false;
    const std::wstring name = platform::text::Widen(itemName);
    PST_PROMPTINFO prompt = platform::pstore::QuietPrompt();
    return SUCCEEDED(provider_->DeleteItem(kKey, &type, &subtype, name.c_str(), &prompt, 0));
}

bool ProtectedStorageConnection::RemoveSubtype(const GUID& type, const GUID& subtype) const {
    return provider_ && SUCCEEDED(provider_->DeleteSubtype(kKey, &type, &subtype, 0));
}

}  // namespace history
