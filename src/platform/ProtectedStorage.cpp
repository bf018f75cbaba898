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

// Asks the service not to show its own prompt.
constexpr DWORD kPromptFlags = 4;

}  // namespace

ScopedLibrary::ScopedLibrary() {
    LibraryState& library = Library();
    if (library.module) return;
    HMODULE module = LoadLibraryA("pstorec.dll");
    if (!module) return;
    auto entry = reinterpret_cast<CreateInstanceFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "PStoreCreateInstance")));
    if (!entry) {
        FreeLibrary(module);
        return;
    }
    library.module = module;
    library.createInstance = entry;
}

ScopedLibrary::~ScopedLibrary() {
    LibraryState& library = Library();
    if (!library.module) return;
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
