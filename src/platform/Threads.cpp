// Suspended threads and message-pumping waits.
#include "platform/Threads.h"

#include <process.h>

namespace platform::threads {

namespace {

// Dispatches everything waiting in the queue. A WM_QUIT is kept aside (not
// re-posted here, or the next peek would take it again at once).
void DispatchWaitingMessages(bool& quitSeen, WPARAM& quitCode) {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitSeen = true;
            quitCode = message.wParam;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The one wait loop: `handle` may be null (then only done() ends it early).
DWORD WaitLoop(HANDLE handle, const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    bool quitSeen = false;
    WPARAM quitCode = 0;
    DWORD outcome = WAIT_TIMEOUT;
    for (;;) {
        DispatchWaitingMessages(quitSeen, quitCode);
        if (done && done()) {
            outcome = WAIT_OBJECT_0;
            break;
        }
        DWORD remaining = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= timeoutMs) break;
            remaining = static_cast<DWORD>(timeoutMs - elapsed);
        }
        // MWMO_INPUTAVAILABLE: wake for input already in the queue, not only
        // for input that arrived since the last look.
        const DWORD count = handle ? 1 : 0;
        const DWORD woken = MsgWaitForMultipleObjectsEx(count, handle ? &handle : nullptr, remaining,
                                                        QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (handle && woken == WAIT_OBJECT_0) {
            outcome = WAIT_OBJECT_0;
            break;
        }
        if (woken == WAIT_FAILED) {
            outcome = WAIT_FAILED;
            break;
        }
    }
    if (quitSeen) PostQuitMessage(static_cast<int>(quitCode));
    return outcome;
}

}  // namespace

DWORD CreateSuspendedThread(ThreadRoutine routine, void* argument, KernelHandle& thread) {
    thread.Reset();
    SetLastError(ERROR_SUCCESS);
    const uintptr_t created = _beginthreadex(nullptr, 0, routine, argument, CREATE_SUSPENDED, nullptr);
    if (created == 0) {
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_NOT_ENOUGH_MEMORY;
    }
    thread.Reset(reinterpret_cast<HANDLE>(created));
    return ERROR_SUCCESS;
}

DWORD ResumeSuspendedThread(HANDLE thread) {
    return ResumeThread(thread) == static_cast<DWORD>(-1) ? GetLastError() : ERROR_SUCCESS;
}

DWORD WaitWithMessages(HANDLE handle, DWORD timeoutMs) {
    if (!handle) return WAIT_FAILED;
    return WaitLoop(handle, {}, timeoutMs);
}

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    WaitLoop(nullptr, done, timeoutMs);
    return done();
}

}  // namespace platform::threads
