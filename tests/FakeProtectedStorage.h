// An in-process Protected Storage provider for tests: real COM objects
// (the provider and its two enumerators) over a store the test fills,
// installed through platform::pstore's seam. It checks what the program
// passes (key, flags, prompt) and counts what it hands out: live objects,
// blocks not yet given back (watched through a malloc spy, so a block counts
// as given back only when CoTaskMemFree really received it), and the largest
// batch an enumerator was asked for.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <pstore.h>

#include "platform/ProtectedStorage.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace fake_pstore {

struct Item {
    std::wstring name;
    std::vector<BYTE> data;
    bool refuseDelete = false;  // the service says no
    bool unreadable = false;    // ReadItem fails
};
struct Subtype {
    GUID id;
    std::optional<std::wstring> name;  // none: GetSubtypeInfo fails
    std::vector<Item> items;
};
struct Type {
    GUID id;
    std::optional<std::wstring> name;  // none: GetTypeInfo fails
    std::vector<Subtype> subtypes;
};

// A GUID told apart by its number.
inline GUID MakeId(unsigned number) {
    GUID id{0x4f525600u + number, 0x1234, 0x5678, {0xa1, 0xb2, 0xc3, 0xd4, 0, 0, 0, 0}};
    id.Data4[7] = static_cast<BYTE>(number);
    id.Data4[6] = static_cast<BYTE>(number >> 8);
    return id;
}

// Strings of 16-bit characters, each ended by a 16-bit NUL, as the browser stores values.
inline std::vector<BYTE> WideStrings(std::initializer_list<const wchar_t*> strings) {
    std::vector<BYTE> data;
    for (const wchar_t* text : strings) {
        for (const wchar_t* c = text;; ++c) {
            data.push_back(static_cast<BYTE>(*c & 0xff));
            data.push_back(static_cast<BYTE>(*c >> 8));
            if (*c == 0) break;
        }
    }
    return data;
}

// Everything the fake holds and counts; shared by its objects.
struct Service {
    std::mutex lock;  // the program may call from its worker
    std::vector<Type> types;
    bool enumTypesFails = false;
    // Every enumerator gives full batches for ever (its entries over and over).
    bool endlessEnumerations = false;

    std::atomic<int> liveObjects{0};
    std::atomic<int> providersMade{0};
    std::atomic<int> badCalls{0};    // a key, flags or item name the program should not pass
    std::atomic<int> badPrompts{0};  // a prompt of the wrong size, flags, window or text
    std::atomic<unsigned> largestBatch{0};
    std::set<void*> outstanding;  // blocks handed out and not freed yet
    std::mutex blocksLock;

    void* Allocate(size_t size) {
        void* block = CoTaskMemAlloc(size);
        std::lock_guard<std::mutex> hold(blocksLock);
        outstanding.insert(block);
        return block;
    }
    void Freed(void* block) {
        std::lock_guard<std::mutex> hold(blocksLock);
        outstanding.erase(block);
    }
    size_t Outstanding() {
        std::lock_guard<std::mutex> hold(blocksLock);
        return outstanding.size();
    }

    Type* FindType(const GUID* id) {
        for (Type& type : types)
            if (IsEqualGUID(type.id, *id)) return &type;
        return nullptr;
    }
    Subtype* FindSubtype(const GUID* type, const GUID* subtype) {
        if (Type* found = FindType(type))
            for (Subtype& candidate : found->subtypes)
                if (IsEqualGUID(candidate.id, *subtype)) return &candidate;
        return nullptr;
    }
    std::vector<Item>::iterator FindItem(Subtype& subtype, LPCWSTR name) {
        auto item = subtype.items.begin();
        while (item != subtype.items.end() && item->name != name) ++item;
        return item;
    }
    bool PromptAccepted(const PST_PROMPTINFO* prompt) {
        const bool good = prompt && prompt->cbSize == sizeof(PST_PROMPTINFO) && prompt->dwPromptFlags == 4 &&
                          !prompt->hwndApp && prompt->szPrompt && prompt->szPrompt[0] == 0;
        if (!good) ++badPrompts;
        return good;
    }
    bool CallAccepted(PST_KEY key, DWORD flags) {
        const bool good = key == PST_KEY_CURRENT_USER && flags == 0;
        if (!good) ++badCalls;
        return good;
    }
    void Asked(DWORD batch) {
        unsigned largest = largestBatch.load();
        while (batch > largest && !largestBatch.compare_exchange_weak(largest, batch)) {
        }
    }
};

// Reference counting and the live count every fake object shares.
template <typename Interface>
class Object : public Interface {
public:
    explicit Object(std::shared_ptr<Service> service) : service_(std::move(service)) { ++service_->liveObjects; }
    virtual ~Object() { --service_->liveObjects; }

    HRESULT WINAPI QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    ULONG WINAPI AddRef() override { return ++references_; }
    ULONG WINAPI Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    std::shared_ptr<Service> service_;

private:
    std::atomic<ULONG> references_{1};
};

// The identifiers as they were when the enumeration started.
class TypeEnumerator final : public Object<IEnumPStoreTypes> {
public:
    TypeEnumerator(std::shared_ptr<Service> service, std::vector<GUID> ids)
        : Object(std::move(service)), ids_(std::move(ids)) {}
    HRESULT WINAPI Next(DWORD count, GUID* ids, DWORD* fetched) override {
        service_->Asked(count);
        DWORD given = 0;
        while (given < count && next_ < ids_.size()) {
            ids[given++] = ids_[next_++];
            if (service_->endlessEnumerations && next_ == ids_.size()) next_ = 0;
        }
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT WINAPI Skip(DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI Reset() override { return E_NOTIMPL; }
    HRESULT WINAPI Clone(IEnumPStoreTypes**) override { return E_NOTIMPL; }

private:
    std::vector<GUID> ids_;
    size_t next_ = 0;
};

// The names as they were when the enumeration started; each one a block of its own.
class ItemEnumerator final : public Object<IEnumPStoreItems> {
public:
    ItemEnumerator(std::shared_ptr<Service> service, std::vector<std::wstring> names)
        : Object(std::move(service)), names_(std::move(names)) {}
    HRESULT WINAPI Next(DWORD count, LPWSTR* names, DWORD* fetched) override {
        service_->Asked(count);
        DWORD given = 0;
        while (given < count && next_ < names_.size()) {
            const std::wstring& name = names_[next_++];
            if (service_->endlessEnumerations && next_ == names_.size()) next_ = 0;
            auto* copy = static_cast<wchar_t*>(service_->Allocate((name.size() + 1) * sizeof(wchar_t)));
            wcscpy(copy, name.c_str());
            names[given++] = copy;
        }
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT WINAPI Skip(DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI Reset() override { return E_NOTIMPL; }
    HRESULT WINAPI Clone(IEnumPStoreItems**) override { return E_NOTIMPL; }

private:
    std::vector<std::wstring> names_;
    size_t next_ = 0;
};

class Provider final : public Object<IPStore> {
public:
    explicit Provider(std::shared_ptr<Service> service) : Object(std::move(service)) {}

    HRESULT WINAPI EnumTypes(PST_KEY key, DWORD flags, IEnumPStoreTypes** enumerator) override {
        std::lock_guard<std::mutex> hold(service_->lock);
        if (!service_->CallAccepted(key, flags) || service_->enumTypesFails) return E_NOTIMPL;
        std::vector<GUID> ids;
        for (const Type& type : service_->types) ids.push_back(type.id);
        *enumerator = new TypeEnumerator(service_, std::move(ids));
        return S_OK;
    }
    HRESULT WINAPI EnumSubtypes(PST_KEY key, const GUID* type, DWORD flags, IEnumPStoreTypes** enumerator) override {
        std::lock_guard<std::mutex> hold(service_->lock);
        Type* found = service_->FindType(type);
        if (!service_->CallAccepted(key, flags) || !found) return E_INVALIDARG;
        std::vector<GUID> ids;
        for (const Subtype& subtype : found->subtypes) ids.push_back(subtype.id);
        *enumerator = new TypeEnumerator(service_, std::move(ids));
        return S_OK;
    }
    HRESULT WINAPI EnumItems(PST_KEY key, const GUID* type, const GUID* subtype, DWORD flags,
                             IEnumPStoreItems** enumerator) override {
        std::lock_guard<std::mutex> hold(service_->lock);
        Subtype* found = service_->FindSubtype(type, subtype);
        if (!service_->CallAccepted(key, flags) || !found) return E_INVALIDARG;
        std::vector<std::wstring> names;
        for (const Item& item : found->items) names.push_back(item.name);
        *enumerator = new ItemEnumerator(service_, std::move(names));
        return S_OK;
    }
    HRESULT WINAPI GetTypeInfo(PST_KEY key, const GUID* type, PPST_TYPEINFO* info, DWORD flags) override {
        std::lock_guard<std::mutex> hold(service_->lock);
        Type* found = service_->FindType(type);
        if (!service_->CallAccepted(key, flags) || !found) return E_INVALIDARG;
        return NameBlock(found->name, info);
    }
    HRESULT WINAPI GetSubtypeInfo(PST_KEY key, const GUID* type, const GUID* subtype, PPST_TYPEINFO* info,
                                  DWORD flags) override {
        std::lock_guard<std::mutex> hold(service_->lock);
        Subtype* found = service_->FindSubtype(type, subtype);
        if (!service_->CallAccepted(key, flags) || !found) return E_INVALIDARG;
        return NameBlock(found->name, info);
    }
    HRESULT WINAPI ReadItem(PST_KEY key, const GUID* type, const GUID* subtype, LPCWSTR name, DWORD* size,
                            BYTE** data, PPST_PROMPTINFO prompt, DWORD flags) override {
        std::lock_guard<std::mutex> hold(service_->lock);
        Subtype* found = service_->FindSubtype(type, subtype);
        if (!service_->CallAccepted(key, flags) || !found || !size || !data) return E_INVALIDARG;
        if (!service_->PromptAccepted(prompt)) return E_INVALIDARG;
        auto item = service_->FindItem(*found, name);
        if (item == found->items.end() || item->unreadable) return E_ACCESSDENIED;
        *size = static_cast<DWORD>(item->data.size());
        *data = static_cast<BYTE*>(service_->Allocate(item->data.size() + 1));
        std::copy(item->data.begin(), item->data.end(), *data);
        return S_OK;
    }
    HRESULT WINAPI DeleteItem(PST_KEY key, const GUID* type, const GUID* subtype, LPCWSTR name,
                              PPST_PROMPTINFO prompt, DWORD flags) override {
        std::lock_guard<std::mutex> hold(service_->lock);
        Subtype* found = service_->FindSubtype(type, subtype);
        if (!service_->CallAccepted(key, flags) || !found) return E_INVALIDARG;
        if (!service_->PromptAccepted(prompt)) return E_INVALIDARG;
        auto item = service_->FindItem(*found, name);
        if (item == found->items.end()) return E_FAIL;
        if (item->refuseDelete) return E_ACCESSDENIED;
        found->items.erase(item);
        return S_OK;
    }
    // A subtype that still holds items stays.
    HRESULT WINAPI DeleteSubtype(PST_KEY key, const GUID* type, const GUID* subtype, DWORD flags) override {
        std::lock_guard<std::mutex> hold(service_->lock);
        Type* found = service_->FindType(type);
        if (!service_->CallAccepted(key, flags) || !found) return E_INVALIDARG;
        for (auto at = found->subtypes.begin(); at != found->subtypes.end(); ++at) {
            if (!IsEqualGUID(at->id, *subtype)) continue;
            if (!at->items.empty()) return E_ACCESSDENIED;
            found->subtypes.erase(at);
            return S_OK;
        }
        return E_FAIL;
    }

    // What the program never asks for.
    HRESULT WINAPI GetInfo(PPST_PROVIDERINFO*) override { return Unexpected(); }
    HRESULT WINAPI GetProvParam(DWORD, DWORD*, BYTE**, DWORD) override { return Unexpected(); }
    HRESULT WINAPI SetProvParam(DWORD, DWORD, BYTE*, DWORD) override { return Unexpected(); }
    HRESULT WINAPI CreateType(PST_KEY, const GUID*, PPST_TYPEINFO, DWORD) override { return Unexpected(); }
    HRESULT WINAPI DeleteType(PST_KEY, const GUID*, DWORD) override { return Unexpected(); }
    HRESULT WINAPI CreateSubtype(PST_KEY, const GUID*, const GUID*, PPST_TYPEINFO, PPST_ACCESSRULESET,
                                 DWORD) override {
        return Unexpected();
    }
    HRESULT WINAPI ReadAccessRuleset(PST_KEY, const GUID*, const GUID*, PPST_ACCESSRULESET*, DWORD) override {
        return Unexpected();
    }
    HRESULT WINAPI WriteAccessRuleset(PST_KEY, const GUID*, const GUID*, PPST_ACCESSRULESET, DWORD) override {
        return Unexpected();
    }
    HRESULT WINAPI WriteItem(PST_KEY, const GUID*, const GUID*, LPCWSTR, DWORD, BYTE*, PPST_PROMPTINFO, DWORD,
                             DWORD) override {
        return Unexpected();
    }
    HRESULT WINAPI OpenItem(PST_KEY, const GUID*, const GUID*, LPCWSTR, PST_ACCESSMODE, PPST_PROMPTINFO,
                            DWORD) override {
        return Unexpected();
    }
    HRESULT WINAPI CloseItem(PST_KEY, const GUID*, const GUID*, LPCWSTR, DWORD) override { return Unexpected(); }

private:
    HRESULT Unexpected() {
        ++service_->badCalls;
        return E_NOTIMPL;
    }
    // One block: the info, then the name it points to.
    HRESULT NameBlock(const std::optional<std::wstring>& name, PPST_TYPEINFO* info) {
        if (!name) return E_FAIL;
        const size_t bytes = sizeof(PST_TYPEINFO) + (name->size() + 1) * sizeof(wchar_t);
        auto* block = static_cast<PST_TYPEINFO*>(service_->Allocate(bytes));
        block->cbSize = sizeof(PST_TYPEINFO);
        block->szDisplayName = reinterpret_cast<wchar_t*>(block + 1);
        wcscpy(block->szDisplayName, name->c_str());
        *info = block;
        return S_OK;
    }
};

// Watches every CoTaskMemFree of the process and tells the service which of
// its blocks came back. Registered once and left in place: revoking it
// waits for blocks allocated under it anyway.
class FreeSpy final : public IMallocSpy {
public:
    static FreeSpy& Instance() {
        static FreeSpy* spy = new FreeSpy;
        return *spy;
    }
    bool Registered() {
        std::call_once(once_, [this] { registered_ = SUCCEEDED(CoRegisterMallocSpy(this)); });
        return registered_;
    }
    void Watch(std::shared_ptr<Service> service) {
        std::lock_guard<std::mutex> hold(lock_);
        watched_ = std::move(service);
    }

    HRESULT WINAPI QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMallocSpy)) {
            *object = static_cast<IMallocSpy*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return 2; }
    ULONG WINAPI Release() override { return 1; }
    SIZE_T WINAPI PreAlloc(SIZE_T size) override { return size; }
    void* WINAPI PostAlloc(void* block) override { return block; }
    void* WINAPI PreFree(void* block, BOOL) override {
        std::shared_ptr<Service> service;
        {
            std::lock_guard<std::mutex> hold(lock_);
            service = watched_;
        }
        if (service && block) service->Freed(block);
        return block;
    }
    void WINAPI PostFree(BOOL) override {}
    SIZE_T WINAPI PreRealloc(void* block, SIZE_T size, void** newRequest, BOOL) override {
        *newRequest = block;
        return size;
    }
    void* WINAPI PostRealloc(void* block, BOOL) override { return block; }
    void* WINAPI PreGetSize(void* block, BOOL) override { return block; }
    SIZE_T WINAPI PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* WINAPI PreDidAlloc(void* block, BOOL) override { return block; }
    int WINAPI PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void WINAPI PreHeapMinimize() override {}
    void WINAPI PostHeapMinimize() override {}

private:
    std::once_flag once_;
    bool registered_ = false;
    std::mutex lock_;
    std::shared_ptr<Service> watched_;
};

// Puts the fake in the service's place for its lifetime; every connection
// gets a provider of its own over the one store.
class ScopedProvider {
public:
    explicit ScopedProvider(std::shared_ptr<Service> service, HRESULT refuseWith = S_OK)
        : service_(std::move(service)) {
        spyRegistered_ = FreeSpy::Instance().Registered();
        FreeSpy::Instance().Watch(service_);
        platform::pstore::SetProviderFactory([service = service_, refuseWith](IPStore** provider) -> HRESULT {
            if (FAILED(refuseWith)) return refuseWith;
            ++service->providersMade;
            *provider = new Provider(service);
            return S_OK;
        });
    }
    ~ScopedProvider() {
        platform::pstore::SetProviderFactory({});
        FreeSpy::Instance().Watch(nullptr);
    }
    ScopedProvider(const ScopedProvider&) = delete;
    ScopedProvider& operator=(const ScopedProvider&) = delete;
    bool SpyRegistered() const { return spyRegistered_; }

private:
    std::shared_ptr<Service> service_;
    bool spyRegistered_ = false;
};

}  // namespace fake_pstore
