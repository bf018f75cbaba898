// The recycle bin, reached through the shell's late-bound call.
#include "platform/RecycleBin.h"

#include "platform/Handles.h"

namespace platform::recycle_bin {

namespace {

using EmptyRecycleBinA = HRESULT(WINAPI*)(HWND, LPCSTR, DWORD);
constexpr DWORD kNoConfirmationNoProgressNoSound = 7;

}  // namespace

bool EmptyAllDrives() {
    ModuleHandle shell(LoadLibraryA("shell32.dll"));
    if (!shell) return false;
    // The cast goes through a plain pointer: the call's real type is known
    // only by its name.
    auto emptyBin = reinterpret_cast<EmptyRecycleBinA>(
        reinterpret_cast<void*>(GetProcAddress(shell.Get(), "SHEmptyRecycleBinA")));
    if (!emptyBin) return false;
    emptyBin(nullptr, "", kNoConfirmationNoProgressNoSound);
    return true;
}

}  // namespace platform::recycle_bin
