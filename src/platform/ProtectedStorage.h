// The Protected Storage service: its library, loaded once for the program's
// life, and its provider, with the seam through which tests put an
// in-process provider in the service's place.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <pstore.h>

#include <functional>

namespace platform::pstore {

// Loads "pstorec.dll" and looks up "PStoreCreateInstance" for as long as it
// lives (the program start holds one). The service is available only when
// both were found; a library without the entry is released at once.
class ScopedLibrary {
public:
    ScopedLibrary();
    ~ScopedLibrary();
    ScopedLibrary(const ScopedLibrary&) = delete;
    ScopedLibrary& operator=(const ScopedLibrary&) = delete;
    // Leaves the library loaded at the end: a worker that did not end in
    // time may still be inside one of its calls.
    void KeepLoaded() { owns_ = false; }

private:
    bool owns_ = false;  // this holder loaded the library (a second holder does nothing)
};

// True while the library and its entry are loaded, or a stand-in provider
// factory is installed.
bool Available();

// Creates the system's default provider (or the stand-in's). S_OK hands out
// a provider the caller releases; otherwise the slot is left null.
HRESULT CreateProvider(IPStore** provider);

// Installs (or, with an empty factory, removes) the stand-in for the
// service's provider.
using ProviderFactory = std::function<HRESULT(IPStore** provider)>;
void SetProviderFactory(ProviderFactory factory);

// The prompt every item read and delete passes: no window, no text, the
// service's own prompting left off. Its size is that of the structure as
// this build lays it out (a pointer-sized window and text).
PST_PROMPTINFO QuietPrompt();

}  // namespace platform::pstore
