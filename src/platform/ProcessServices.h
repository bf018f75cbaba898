// What a program on the engine sets up once for its whole life: OLE on its
// main thread and the Protected Storage service's library.
#pragma once

#include "platform/ProtectedStorage.h"

#include <windows.h>

namespace platform {

// Held by a program's entry for as long as it runs (the window program's
// start holds one; a console program holds one too). Made on the thread
// that stays: OLE is initialised for that thread (the shell-link objects
// and the help page need it) and uninitialised when the holder goes, after
// the library is released.
class ProcessServices {
public:
    ProcessServices();
    ~ProcessServices();
    ProcessServices(const ProcessServices&) = delete;
    ProcessServices& operator=(const ProcessServices&) = delete;

    // Work that outlived the end-of-program wait may still be inside a call
    // of the Protected Storage library: it then stays loaded at the end.
    void KeepLibrariesLoaded() { protectedStorage_.KeepLoaded(); }

    bool OleReady() const { return ole_.Ready(); }

private:
    // OLE for the holder's thread, uninitialised only when it was initialised
    // (S_FALSE, already initialised, counts too).
    class OleSession {
    public:
        OleSession();
        ~OleSession();
        OleSession(const OleSession&) = delete;
        OleSession& operator=(const OleSession&) = delete;
        bool Ready() const { return SUCCEEDED(result_); }

    private:
        HRESULT result_;
    };

    OleSession ole_;  // first: made before the library and gone after it
    pstore::ScopedLibrary protectedStorage_;
};

}  // namespace platform
