// Worker thread base: the thread's side and the window thread's side.
#include "ui/Worker.h"

#include "platform/Dialogs.h"
#include "platform/Threads.h"
#include "ui/Window.h"

#include <stdexcept>
#include <string>

namespace ui {

namespace {

constexpr const char* kMessageWindowClass = "OrvWorkerMessages";

// Private messages of the hidden window (WM_APP range: WM_USER belongs to
// dialogs and controls).
constexpr UINT kDeliverPosted = WM_APP + 0x101;  // lParam: Delivery*, owned by the message
constexpr UINT kDeliverSent = WM_APP + 0x102;    // the same, sent when the post queue was full
constexpr UINT kRunStep = WM_APP + 0x103;        // lParam: StepCall* on the worker's stack
constexpr UINT kThreadEnded = WM_APP + 0x104;    // the thread's last message
constexpr UINT kFirstMessage = kDeliverPosted;
constexpr UINT kLastMessage = kThreadEnded;

// Answers of the hidden window; 0 is what SendMessage returns when the
// window is gone and nothing ran.
constexpr LRESULT kHandled = 1;
constexpr LRESULT kSkipped = 2;

std::atomic<int>& LiveWorkers() {
    static std::atomic<int> count{0};
    return count;
}

}  // namespace

struct WorkerThread::StepCall {
    const std::function<void()>* step;
    std::exception_ptr error;
};

// The hidden window through which the worker reaches the window thread.
class WorkerThread::MessageWindow final : public Window {
public:
    explicit MessageWindow(WorkerThread& worker) : worker_(worker) {
        RegisterWindowClass(kMessageWindowClass, nullptr, nullptr);
        CreateInstance(kMessageWindowClass, "", 0, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message >= kFirstMessage && message <= kLastMessage)
            return worker_.HandleWorkerMessage(message, lParam);  // may free the worker and this window
        return DefaultProcedure(message, wParam, lParam);
    }

private:
    WorkerThread& worker_;
};

WorkerThread::WorkerThread(HWND owner)
    : owner_(owner), messageWindow_(std::make_unique<MessageWindow>(*this)) {
    messageHwnd_ = messageWindow_->Handle();
    if (!messageHwnd_)
        throw std::runtime_error("The worker's message window could not be created (error " +
                                 std::to_string(GetLastError()) + ").");
    const DWORD error = platform::threads::CreateSuspendedThread(&ThreadMain, this, thread_);
    if (error != ERROR_SUCCESS)
        throw std::runtime_error("The worker thread could not be created (error " + std::to_string(error) +
                                 ").");
    ++LiveWorkers();
}

WorkerThread::~WorkerThread() {
    destroying_ = true;
    orphaned_ = true;
    if (threadEnded_) {
        // The thread has posted its last message and waits for nothing; all
        // that is left is its exit.
        WaitForSingleObject(thread_.Get(), INFINITE);
    } else {
        // A derived constructor failed (the thread never ran): let it end.
        // The thread may send to this window, so the wait serves messages.
        Terminate();
        if (!started_ && platform::threads::ResumeSuspendedThread(thread_.Get()) == ERROR_SUCCESS)
            started_ = true;
        if (started_) platform::threads::WaitWithMessages(thread_.Get(), INFINITE);
    }
    DropPostedDeliveries();
    --LiveWorkers();
}

int WorkerThread::LiveCount() { return LiveWorkers(); }

bool WorkerThread::WaitForAll(DWORD timeoutMs) {
    return platform::threads::PumpMessagesUntil([] { return LiveWorkers() == 0; }, timeoutMs);
}

bool WorkerThread::Resume() {
    if (started_) return true;
    if (platform::threads::ResumeSuspendedThread(thread_.Get()) != ERROR_SUCCESS) return false;
    started_ = true;
    return true;
}

void WorkerThread::Abandon() {
    Orphan();
    freeOnTerminate_ = true;
    if (!started_) Resume();  // stopped before it started: it only ends
    if (ended_ && depth_ == 0) {
        destroying_ = true;
        delete this;
    }
}

void WorkerThread::Orphan() {
    Terminate();
    orphaned_ = true;
}

void WorkerThread::OnError(const std::exception& error) {
    ShowExceptionBox(IsWindow(owner_) ? owner_ : nullptr, error);
}

void WorkerThread::OnTerminate() {
    if (onTerminate_) onTerminate_();
}

// ---- On the worker thread ----

unsigned __stdcall WorkerThread::ThreadMain(void* argument) {
    static_cast<WorkerThread*>(argument)->RunThread();
    return 0;
}

void WorkerThread::RunThread() {
    const HWND target = messageHwnd_;
    if (!Terminated()) {
        platform::ScopedCom com;
        try {
            Execute();
        } catch (...) {
            PostError(std::current_exception());
        }
    }
    // The last touch of this object: once this message arrives the window
    // thread may free it. A notify message does not wait, should the post
    // queue be full.
    if (!PostMessageA(target, kThreadEnded, 0, 0)) SendNotifyMessageA(target, kThreadEnded, 0, 0);
}

bool WorkerThread::PostDelivery(std::unique_ptr<Delivery> delivery) {
    if (PostMessageA(messageHwnd_, kDeliverPosted, 0, reinterpret_cast<LPARAM>(delivery.get()))) {
        delivery.release();  // the message owns it now
        return true;
    }
    // The post queue is full (or the window thread has gone): wait for the
    // window thread. The hidden window owns the delivery only if it answers.
    if (SendMessageA(messageHwnd_, kDeliverSent, 0, reinterpret_cast<LPARAM>(delivery.get())) == kHandled) {
        delivery.release();
        return true;
    }
    return false;  // freed here, on the worker
}

void WorkerThread::PostError(std::exception_ptr error) noexcept {
    try {
        PostToWindowThread([this, error] { ReportError(error); });
    } catch (...) {
        // Out of memory while reporting: the end step still runs.
    }
}

void WorkerThread::ShowNoticeAndWait(const std::string& text) {
    RunOnWindowThread([this, &text] {
        platform::dialogs::ShowBox(owner_, text, kApplicationTitle, platform::dialogs::BoxKind::Plain);
    });
}

bool WorkerThread::RunOnWindowThread(const std::function<void()>& step) {
    StepCall call{&step, nullptr};
    const LRESULT answer = SendMessageA(messageHwnd_, kRunStep, 0, reinterpret_cast<LPARAM>(&call));
    if (call.error) std::rethrow_exception(call.error);
    return answer == kHandled;
}

// ---- On the window thread ----

LRESULT WorkerThread::HandleWorkerMessage(UINT message, LPARAM lParam) {
    LRESULT answer = kHandled;
    EnterFrame();
    switch (message) {
    case kDeliverPosted:
        RunDelivery(std::unique_ptr<Delivery>(reinterpret_cast<Delivery*>(lParam)));
        break;
    case kDeliverSent: {
        std::unique_ptr<Delivery> delivery(reinterpret_cast<Delivery*>(lParam));
        RunPostedDeliveriesNow();
        RunDelivery(std::move(delivery));
        break;
    }
    case kRunStep:
        RunPostedDeliveriesNow();
        answer = RunStep(*reinterpret_cast<StepCall*>(lParam));
        break;
    case kThreadEnded:
        RunPostedDeliveriesNow();
        threadEnded_ = true;
        break;
    }
    // GetMessage serves a sent message without returning, so a modal loop
    // that a step ended through its flag (ModalDialog::EndModal) would not
    // look at the flag again until some message arrives: post one.
    if (message != kDeliverPosted && message != kThreadEnded) PostMessageA(messageHwnd_, WM_NULL, 0, 0);
    LeaveFrame();  // may delete this
    return answer;
}

void WorkerThread::EnterFrame() {
    ++depth_;
    if (!orphaned_ && owner_ && !IsWindow(owner_)) Orphan();
}

// The end step and the self-deletion wait for the outermost frame, so no
// step of this worker is still running further up the stack.
void WorkerThread::LeaveFrame() {
    if (--depth_ > 0 || destroying_) return;
    if (threadEnded_ && !ended_) {
        ended_ = true;
        if (!orphaned_) {
            ++depth_;
            RunEndStep();
            --depth_;
        }
    }
    if (ended_ && freeOnTerminate_) {
        destroying_ = true;
        delete this;
    }
}

void WorkerThread::RunDelivery(std::unique_ptr<Delivery> delivery) {
    if (orphaned_) return;  // freed, never run against a gone owner
    try {
        delivery->Run();
    } catch (...) {
        ReportError(std::current_exception());
    }
}

// A sent message overtakes posted ones; running the posted deliveries first
// keeps the order in which the worker handed them over.
void WorkerThread::RunPostedDeliveriesNow() {
    PendingQuit quit;
    while (std::unique_ptr<Delivery> delivery = TakePostedDelivery(quit)) RunDelivery(std::move(delivery));
    quit.PostAgain();
}

LRESULT WorkerThread::RunStep(StepCall& call) {
    if (orphaned_) return kSkipped;
    try {
        (*call.step)();
    } catch (...) {
        call.error = std::current_exception();
    }
    return kHandled;
}

void WorkerThread::RunEndStep() {
    try {
        OnTerminate();
    } catch (...) {
        ReportError(std::current_exception());
    }
}

void WorkerThread::ReportError(std::exception_ptr error) {
    if (orphaned_) return;
    auto report = [this](const std::exception& e) {
        try {
            OnError(e);
        } catch (...) {
            // The handler itself failed: show the original on the plain box.
            try {
                ShowExceptionBox(nullptr, e);
            } catch (...) {
            }
        }
    };
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        report(e);
    } catch (...) {
        report(std::runtime_error("Unexpected error"));
    }
}

// Posted deliveries still queued when the worker goes (only when it went
// before its thread's last message): freed, not run.
void WorkerThread::DropPostedDeliveries() {
    PendingQuit quit;
    while (TakePostedDelivery(quit)) {
    }
    quit.PostAgain();
}

// A peek for the worker's own messages also hands out a waiting WM_QUIT,
// whatever window and range it names (Windows documents it; Wine does it).
// Taken here it would be lost, and the loop that asked to end (a modal loop
// inside the program's own) would wait for ever: it is kept aside and
// posted again once the deliveries have been taken.
std::unique_ptr<WorkerThread::Delivery> WorkerThread::TakePostedDelivery(PendingQuit& quit) {
    MSG message{};
    while (PeekMessageA(&message, messageHwnd_, kDeliverPosted, kDeliverPosted, PM_REMOVE)) {
        if (message.message != WM_QUIT)
            return std::unique_ptr<Delivery>(reinterpret_cast<Delivery*>(message.lParam));
        quit.seen = true;
        quit.code = message.wParam;
    }
    return nullptr;
}

void WorkerThread::PendingQuit::PostAgain() const {
    if (seen) PostQuitMessage(static_cast<int>(code));
}

}  // namespace ui
