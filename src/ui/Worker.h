// Worker thread base: a real thread with a stop flag and COM, whose steps,
// results, errors and end reach the window thread through a hidden window.
#pragma once

#include "common/StopToken.h"
#include "platform/Handles.h"

#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <utility>

namespace ui {

// The contract. "The window thread" is the thread that constructed the
// worker; every public method is called there, except Terminate() and
// Terminated(), which any thread may call.
//
// Start: the constructor creates the thread suspended and a hidden message
// window (parent HWND_MESSAGE) on the window thread; Resume() starts it once
// the window has prepared for it. Execute() then runs on the thread, inside
// a single-threaded COM apartment of its own (uninitialised only when
// initialising succeeded). A worker told to Terminate() before it was resumed skips
// Execute() and only ends.
//
// Talking to the window thread: the worker never touches windows. From
// Execute() it
//  - RunOnWindowThread(step): runs the step on the window thread and waits
//    for it (a SendMessage, served by any message loop there, a modal
//    dialog's or a message box's included). An exception the step throws is
//    carried back and rethrown on the worker. Returns false, without running
//    the step, once the worker is orphaned (see below).
//  - PostToWindowThread(step) / PostResult(result, receive): hands over a
//    step that owns its data; the window thread runs it later. Ownership
//    passes with the message; a step that cannot be delivered (the worker is
//    orphaned, the window thread has gone) is freed, never run and never
//    leaked. An exception it throws is reported through OnError().
// Everything the worker sends or posts runs on the window thread in the
// order it was handed over: a sent step first runs the results posted
// before it.
// When the system's quota of posted messages is full, a post waits for the
// window thread instead of failing.
//
// Errors: an exception escaping Execute() ends the work; it is reported once,
// on the window thread, through OnError() (default: the application's error
// box, owned by `owner`), after the deliveries handed over before it. Nothing
// ends the program.
//
// End: after the thread's last delivery, OnTerminate() runs on the window
// thread (default: the handler given to SetOnTerminate), also when Execute()
// raised or was stopped. It waits until no step of this worker is running
// further up the stack, so a step's modal loop does not see it early. A
// self-freeing worker (SetFreeOnTerminate(true) before Resume) then deletes
// itself on the window thread.
//
// Owner going first: the owner calls Abandon() (a WorkerPtr does it when it is
// released or destroyed). That sets the stop flag and orphans the worker:
// from then on no step, delivery, error report or end step of it runs
// (posted results are freed instead), and the worker deletes itself on the
// window thread once its thread has ended. Abandon() never waits, so closing
// a window never hangs on a worker stuck in a long call. The pointer must not
// be used after Abandon(). As a safety net a worker is also orphaned (and
// stopped) when `owner` is no longer a window when its next message arrives.
// At program end, WaitForAll() lets the remaining threads finish.
//
// Ownership: either the owner holds the worker in a WorkerPtr, or the worker
// frees itself (SetFreeOnTerminate) and the owner keeps a plain pointer until
// OnTerminate() runs, or until it calls Abandon(). Never `delete` a worker
// whose thread may still run: the derived part, which Execute() uses, would
// be gone first.
class WorkerThread {
public:
    // Creates the thread, suspended. `owner`: the window whose object the
    // steps use, and the owner of the error box (may be null). Throws
    // std::runtime_error when the thread or the message window cannot be made.
    explicit WorkerThread(HWND owner);
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts Execute(); later calls do nothing. False when the system refused.
    bool Resume();
    // Asks the work to stop; Execute() polls Terminated().
    void Terminate() { stop_ = true; }
    bool Terminated() const { return stop_; }
    // The stop flag as the engine's operations poll it; valid while the worker lives.
    common::StopToken StopToken() const { return common::StopToken(stop_); }

    void SetFreeOnTerminate(bool freeOnTerminate) { freeOnTerminate_ = freeOnTerminate; }
    void SetOnTerminate(std::function<void()> handler) { onTerminate_ = std::move(handler); }

    // The owner goes: stop, run nothing more against it, free the worker once
    // its thread has ended (at once when it already has).
    void Abandon();

    // The end step has run (or was skipped because the worker is orphaned).
    bool Ended() const { return ended_; }
    bool Orphaned() const { return orphaned_; }

    // Workers that exist on this process's window thread.
    static int LiveCount();
    // Dispatches messages until every worker has gone or the time is up; for
    // the program's end, after the main window has abandoned its workers.
    // True when none is left.
    static bool WaitForAll(DWORD timeoutMs);

protected:
    // Only the worker itself deletes a worker (Abandon, FreeOnTerminate).
    virtual ~WorkerThread();

    // The work, on the thread. Polls Terminated() between units of work.
    virtual void Execute() = 0;
    // On the window thread; see the contract above.
    virtual void OnError(const std::exception& error);
    virtual void OnTerminate();

    // From Execute() only.
    bool RunOnWindowThread(const std::function<void()>& step);
    template <typename Step>
    bool PostToWindowThread(Step step);
    // receive(std::unique_ptr<T>) runs on the window thread and owns the result.
    template <typename T, typename Receive>
    bool PostResult(std::unique_ptr<T> result, Receive receive);

    HWND Owner() const { return owner_; }

    // From Execute() only: an engine operation's notice (common::IProgressSink)
    // shown in a plain box over the owner; returns once the user has closed it.
    void ShowNoticeAndWait(const std::string& text);

private:
    class MessageWindow;
    struct Delivery {
        virtual ~Delivery() = default;
        virtual void Run() = 0;
    };
    template <typename Step>
    struct StepDelivery final : Delivery {
        explicit StepDelivery(Step s) : step(std::move(s)) {}
        void Run() override { step(); }
        Step step;
    };
    struct StepCall;

    static unsigned __stdcall ThreadMain(void* argument);
    void RunThread();
    bool PostDelivery(std::unique_ptr<Delivery> delivery);
    void PostError(std::exception_ptr error) noexcept;

    LRESULT HandleWorkerMessage(UINT message, LPARAM lParam);
    void EnterFrame();
    void LeaveFrame();
    void RunDelivery(std::unique_ptr<Delivery> delivery);
    void RunPostedDeliveriesNow();
    LRESULT RunStep(StepCall& call);
    void RunEndStep();
    void ReportError(std::exception_ptr error);
    void Orphan();
    void DropPostedDeliveries();
    // A WM_QUIT met while taking deliveries, to be posted again after them.
    struct PendingQuit {
        bool seen = false;
        WPARAM code = 0;
        void PostAgain() const;
    };
    // The next delivery posted to the hidden window, or null when none waits.
    std::unique_ptr<Delivery> TakePostedDelivery(PendingQuit& quit);

    HWND owner_;
    std::unique_ptr<MessageWindow> messageWindow_;
    HWND messageHwnd_ = nullptr;  // fixed before the thread starts; the thread reads it
    platform::KernelHandle thread_;
    std::atomic<bool> stop_{false};
    std::function<void()> onTerminate_;

    // Window thread only.
    bool started_ = false;
    bool freeOnTerminate_ = false;
    bool orphaned_ = false;
    bool threadEnded_ = false;  // the thread's last message has arrived
    bool ended_ = false;        // the end step has run or was skipped
    bool destroying_ = false;
    int depth_ = 0;  // steps of this worker running on the window thread's stack
};

template <typename Step>
bool WorkerThread::PostToWindowThread(Step step) {
    return PostDelivery(std::make_unique<StepDelivery<Step>>(std::move(step)));
}

template <typename T, typename Receive>
bool WorkerThread::PostResult(std::unique_ptr<T> result, Receive receive) {
    return PostToWindowThread([result = std::move(result), receive = std::move(receive)]() mutable {
        receive(std::move(result));
    });
}

// Releasing the owner's pointer abandons the worker, which frees itself.
struct AbandonWorker {
    void operator()(WorkerThread* worker) const { worker->Abandon(); }
};
template <typename T>
using WorkerPtr = std::unique_ptr<T, AbandonWorker>;

}  // namespace ui
