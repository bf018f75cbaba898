// Threads: a thread created suspended, and waits that keep the calling
// window thread's messages flowing.
#pragma once

#include "platform/Handles.h"

#include <windows.h>

#include <functional>

namespace platform::threads {

using ThreadRoutine = unsigned(__stdcall*)(void* argument);

// Creates a thread that runs routine(argument) once it is resumed (through
// the CRT's _beginthreadex, so the CRT's per-thread data is set up). Returns
// ERROR_SUCCESS or the system's error code; on failure `thread` is empty.
DWORD CreateSuspendedThread(ThreadRoutine routine, void* argument, KernelHandle& thread);

// Lets a suspended thread run. Returns ERROR_SUCCESS or the system's error code.
DWORD ResumeSuspendedThread(HANDLE thread);

// Waits until `handle` is signalled or `timeoutMs` has passed, dispatching the
// calling thread's messages meanwhile: sent ones too, so a thread blocked in
// SendMessage to this one is served instead of deadlocked. The thread sleeps
// in MsgWaitForMultipleObjectsEx between messages. A WM_QUIT taken from the
// queue meanwhile is posted again before returning, so the outer loop still
// ends. Returns WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
DWORD WaitWithMessages(HANDLE handle, DWORD timeoutMs);

// Dispatches messages as above until done() holds or `timeoutMs` has passed.
// What waits in the queue is dispatched before the first check, so a zero
// timeout dispatches it once. Returns done().
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs);

}  // namespace platform::threads
