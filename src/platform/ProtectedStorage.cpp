// The Protected Storage service's library and provider.
#include "platform/ProtectedStorage.h"

#include <utility>

namespace platform::pstore {

namespace {

using CreateInstanceFn = HRESULT(WINAPI*)(IPStore** provider, PST_PROVIDERID* providerId, void* reserved,
                                          DWORD flags);

// Written by the program start before any window exists and after the last
// one has gone; read by the sections in between.
struct LibraryState {
    HMODULE module = nullptr;
    CreateInstanceFn createInstance = nullptr;
};

LibraryState& Library() {
    static LibraryState state;
    return state;
}

ProviderFactory& InstalledFactory() {
    static ProviderFactory factory;
    return factory;
}

// The prompt flags every read and delete passes (4; the header names only
// 1, always prompt, and 2, never prompt).
constexpr DWORD kPromptFlags = 4;

}  // namespace

ScopedLibrary::ScopedLibrary() {
    LibraryState& library = Library();
    if (library.module) return;
    // From the system folder only: a copy beside the program is not loaded.
    HMODULE module = LoadLibraryExA("pstorec.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return;
    auto entry = reinterpret_cast<CreateInstanceFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "PStoreCreateInstance")));
    if (!entry) {
        FreeLibrary(module);
        return;
    }
    library.module = module;
    library.createInstance = entry;
    owns_ = true;
}

ScopedLibrary::~ScopedLibrary() {
    LibraryState& library = Library();
    if (!owns_ || !library.module) return;
    FreeLibrary(std::exchange(library.module, nullptr));
    library.createInstance = nullptr;
}

bool Available() { return InstalledFactory() || Library().createInstance != nullptr; }

HRESULT CreateProvider(IPStore** provider) {
    *provider = nullptr;
    HRESULT result = E_NOTIMPL;
    if (auto& factory = InstalledFactory())
        result = factory(provider);
    else if (CreateInstanceFn create = Library().createInstance)
        result = create(provider, nullptr, nullptr, 0);
    // Whatever a failing call left in the slot is no provider.
    if (FAILED(result)) *provider = nullptr;
    if (SUCCEEDED(result) && !*provider) result = E_POINTER;
    return result;
}

void SetProviderFactory(ProviderFactory factory) { InstalledFactory() = std::move(factory); }

PST_PROMPTINFO QuietPrompt() {
    PST_PROMPTINFO prompt{};
    prompt.cbSize = sizeof(PST_PROMPTINFO);
    prompt.dwPromptFlags = kPromptFlags;
    prompt.hwndApp = nullptr;
    prompt.szPrompt = L"";
    return prompt;
}

}  // namespace platform::pstore
