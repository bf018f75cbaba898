// Tests of the worker thread base and the message-pumping waits, with real
// threads and real windows.
#include "platform/Dialogs.h"
#include "platform/Threads.h"
#include "ui/ModalDialog.h"
#include "ui/Window.h"
#include "ui/Worker.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using platform::dialogs::BoxKind;
using platform::threads::PumpMessagesUntil;

// Bound of every wait: generous, since a loaded machine runs Wine slowly;
// waits end as soon as their condition holds.
constexpr DWORD kWaitMs = 60000;

bool WaitUntil(const std::function<bool()>& done) { return PumpMessagesUntil(done, kWaitMs); }

// A result the worker hands over; counts its lives on any thread.
struct Payload {
    explicit Payload(int v) : value(v) { ++made; }
    ~Payload() { ++freed; }
    Payload(const Payload&) = delete;
    Payload& operator=(const Payload&) = delete;
    int value;
    static inline std::atomic<int> made{0}, freed{0};
    static void Reset() { made = freed = 0; }
};

class TestOwner;

// What a test observes; outlives the worker and its owner.
struct Observed {
    DWORD windowThread = GetCurrentThreadId();
    std::atomic<DWORD> workerThread{0};
    std::vector<std::string> log;  // window thread only
    int destroyed = 0;             // worker objects deleted
    TestOwner* owner = nullptr;
    bool ownerGone = false;
    int afterOwnerGone = 0;  // steps that ran against a gone owner
    void Touch();
};

class TestWorker final : public ui::WorkerThread {
public:
    using Work = std::function<void(TestWorker&)>;
    TestWorker(HWND owner, Observed& observed, Work work)
        : WorkerThread(owner), observed_(observed), work_(std::move(work)) {
        SetOnTerminate([&observed] { observed.log.push_back("end"); });
    }
    ~TestWorker() override { ++observed_.destroyed; }

    // The protected calls, open to the work function.
    bool Run(const std::function<void()>& step) { return RunOnWindowThread(step); }
    template <typename Step>
    bool PostStep(Step step) {
        return PostToWindowThread(std::move(step));
    }
    template <typename T, typename Receive>
    bool Post(std::unique_ptr<T> result, Receive receive) {
        return PostResult(std::move(result), std::move(receive));
    }

protected:
    void Execute() override {
        observed_.workerThread = GetCurrentThreadId();
        work_(*this);
    }

private:
    Observed& observed_;
    Work work_;
};

// A real top-level window that owns a worker, as a page of the main window will.
class TestOwner final : public ui::Window {
public:
    explicit TestOwner(Observed& observed) : observed_(observed) {
        RegisterWindowClass("OrvWorkerTestOwner", nullptr, nullptr);
        CreateInstance("OrvWorkerTestOwner", "Worker owner", WS_OVERLAPPEDWINDOW, 0, 0, 0, 200, 100, nullptr,
                       nullptr);
        observed_.owner = this;
    }
    ~TestOwner() override {
        observed_.ownerGone = true;
        worker.reset();
        if (selfFreeingWorker) selfFreeingWorker->Abandon();
        DestroyHandle();
    }
    ui::WorkerPtr<TestWorker> worker;
    TestWorker* selfFreeingWorker = nullptr;
    int received = 0;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DESTROY) observed_.ownerGone = true;
        return DefaultProcedure(message, wParam, lParam);
    }

private:
    Observed& observed_;
};

void Observed::Touch() {
    if (ownerGone) ++afterOwnerGone;
    else ++owner->received;
}

// Records error boxes. Like a real box it runs a modal loop: until the
// worker's thread has ended and its last message waits in the queue, so
// whatever the worker sends then arrives while the box is up.
class ScopedBoxRecorder {
public:
    explicit ScopedBoxRecorder(Observed& observed) {
        platform::dialogs::SetBoxHandler([&observed](const std::string& text, const std::string& caption,
                                                     BoxKind kind) {
            const bool onWindowThread = GetCurrentThreadId() == observed.windowThread;
            observed.log.push_back("box: " + text + (onWindowThread ? "" : " (off the window thread)"));
            EXPECT_EQ(caption, ui::kApplicationTitle);
            EXPECT_EQ(kind, BoxKind::ErrorCancel);
            platform::KernelHandle thread(OpenThread(SYNCHRONIZE, FALSE, observed.workerThread));
            if (thread) platform::threads::WaitWithMessages(thread.Get(), kWaitMs);
            PumpMessagesUntil([] { return true; }, 0);  // what the thread posted last
            observed.log.push_back("box closed");
            return IDCANCEL;
        });
    }
    ~ScopedBoxRecorder() { testing_support::InstallUnscriptedBoxAnswer(); }
    ScopedBoxRecorder(const ScopedBoxRecorder&) = delete;
    ScopedBoxRecorder& operator=(const ScopedBoxRecorder&) = delete;
};

void ExpectNoWorkerLeft() {
    EXPECT_TRUE(ui::WorkerThread::WaitForAll(kWaitMs));
    EXPECT_EQ(ui::WorkerThread::LiveCount(), 0);
    EXPECT_EQ(Payload::made.load(), Payload::freed.load());
}

std::string Joined(const std::vector<std::string>& log) {
    std::string text;
    for (const auto& line : log) text += line + " | ";
    return text;
}

TEST(WorkerTest, WorkRunsOnItsOwnThreadInsideCom) {
    Observed observed;
    std::atomic<HRESULT> comState{E_FAIL};
    ui::WorkerPtr<TestWorker> worker(new TestWorker(nullptr, observed, [&comState](TestWorker&) {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        comState = hr;
        if (SUCCEEDED(hr)) CoUninitialize();
    }));
    ASSERT_TRUE(worker->Resume());
    ASSERT_TRUE(WaitUntil([&] { return worker->Ended(); }));
    EXPECT_NE(observed.workerThread.load(), 0u);
    EXPECT_NE(observed.workerThread.load(), observed.windowThread);
    EXPECT_EQ(comState.load(), S_FALSE);  // already initialised, in the same apartment kind
    EXPECT_EQ(observed.log, std::vector<std::string>{"end"});
    worker.reset();
    EXPECT_EQ(observed.destroyed, 1);
    ExpectNoWorkerLeft();
}

// A stop requested from a delivery: the worker sees the flag and ends; all it
// handed over (posted results and sent steps mixed) arrives in the order it
// was made, then the end step.
TEST(WorkerTest, StoppedWorkerDeliversInOrderThenEnds) {
    Payload::Reset();
    Observed observed;
    constexpr int kStopAt = 40, kLimit = 1000000;
    std::vector<std::string> expected;
    int handedOver = 0;
    auto work = [&](TestWorker& self) {
        std::vector<std::string> handedOverLog;
        int i = 0;
        for (; i < kLimit && !self.Terminated(); ++i) {
            handedOverLog.push_back("result " + std::to_string(i));
            self.Post(std::make_unique<Payload>(i), [&observed, &self](std::unique_ptr<Payload> payload) {
                observed.log.push_back("result " + std::to_string(payload->value));
                if (payload->value == kStopAt) self.Terminate();
            });
            if (i % 7 == 3) {
                handedOverLog.push_back("step " + std::to_string(i));
                self.Run([&observed, i] { observed.log.push_back("step " + std::to_string(i)); });
            }
        }
        self.Post(std::make_unique<std::vector<std::string>>(std::move(handedOverLog)),
                  [&expected, &handedOver, i](std::unique_ptr<std::vector<std::string>> lines) {
                      expected = std::move(*lines);
                      handedOver = i;
                  });
    };
    ui::WorkerPtr<TestWorker> worker(new TestWorker(nullptr, observed, work));
    ASSERT_TRUE(worker->Resume());
    ASSERT_TRUE(WaitUntil([&] { return worker->Ended(); }));
    EXPECT_LT(handedOver, kLimit);
    EXPECT_GT(handedOver, kStopAt);
    expected.push_back("end");
    EXPECT_EQ(observed.log, expected);
    EXPECT_EQ(Payload::made.load(), handedOver);
    worker.reset();
    ExpectNoWorkerLeft();
}

TEST(WorkerTest, StoppedBeforeResumeSkipsTheWorkAndStillEnds) {
    Observed observed;
    bool ran = false;
    ui::WorkerPtr<TestWorker> worker(new TestWorker(nullptr, observed, [&ran](TestWorker&) { ran = true; }));
    worker->Terminate();
    ASSERT_TRUE(worker->Resume());
    ASSERT_TRUE(WaitUntil([&] { return worker->Ended(); }));
    EXPECT_FALSE(ran);
    EXPECT_EQ(observed.log, std::vector<std::string>{"end"});
    worker.reset();
    ExpectNoWorkerLeft();
}

// More results than the system's post quota (10,000 on Windows) while the
// window thread serves only sent messages: none is lost, none overtakes.
TEST(WorkerTest, ManyResultsWhileTheWindowThreadIsBusyArriveInOrder) {
    Payload::Reset();
    Observed observed;
    constexpr int kResults = 12000;
    std::vector<int> received;
    auto work = [&](TestWorker& self) {
        for (int i = 0; i < kResults; ++i)
            self.Post(std::make_unique<Payload>(i),
                      [&received](std::unique_ptr<Payload> payload) { received.push_back(payload->value); });
    };
    ui::WorkerPtr<TestWorker> worker(new TestWorker(nullptr, observed, work));
    ASSERT_TRUE(worker->Resume());
    ASSERT_TRUE(WaitUntil([&] { return observed.workerThread != 0; }));
    platform::KernelHandle thread(OpenThread(SYNCHRONIZE, FALSE, observed.workerThread));
    ASSERT_TRUE(thread);
    // Busy: posted messages stay queued; sent ones are served.
    HANDLE threadHandle = thread.Get();
    for (int round = 0; round < 100000; ++round) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &threadHandle, FALSE, kWaitMs, QS_SENDMESSAGE);
        if (woken != WAIT_OBJECT_0 + 1) break;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    ASSERT_TRUE(WaitUntil([&] { return worker->Ended(); }));
    ASSERT_EQ(received.size(), static_cast<size_t>(kResults));
    for (int i = 0; i < kResults; ++i) ASSERT_EQ(received[i], i) << "at " << i;
    EXPECT_EQ(observed.log, std::vector<std::string>{"end"});
    worker.reset();
    ExpectNoWorkerLeft();
}

struct ErrorCase {
    const char* name;
    TestWorker::Work work;
    std::vector<std::string> expectedLog;
};

std::vector<ErrorCase> ErrorCases(Observed& observed) {
    return {
        {"raised by the work", [](TestWorker&) { throw std::runtime_error("The scan failed."); },
         {"box: The scan failed.", "box closed", "end"}},
        {"not a standard exception", [](TestWorker&) { throw 42; },
         {"box: Unexpected error", "box closed", "end"}},
        {"raised by a step on the window thread, not caught",
         [&observed](TestWorker& self) {
             self.Run([] { throw std::runtime_error("Step failed."); });
             self.PostStep([&observed] { observed.log.push_back("after the failed step"); });
         },
         {"box: Step failed.", "box closed", "end"}},
        {"raised by a step on the window thread, caught by the work",
         [&observed](TestWorker& self) {
             try {
                 self.Run([] { throw std::runtime_error("Step failed."); });
             } catch (const std::runtime_error& error) {
                 const std::string text = error.what();
                 self.PostStep([&observed, text] { observed.log.push_back("caught: " + text); });
             }
         },
         {"caught: Step failed.", "end"}},
        {"raised by a posted step",
         [&observed](TestWorker& self) {
             self.PostStep([] { throw std::runtime_error("Delivery failed."); });
             self.PostStep([&observed] { observed.log.push_back("later delivery"); });
         },
         {"box: Delivery failed.", "later delivery", "box closed", "end"}},
    };
}

// Every error is reported once, on the window thread, through the error box;
// the end step comes after the box (whose loop sees the thread end); the
// worker (kept or self-freeing) is freed once, after its end.
TEST(WorkerTest, ErrorsAreReportedOnceAndTheEndStillRuns) {
    for (const bool selfFreeing : {false, true}) {
        Observed probe;
        const size_t caseCount = ErrorCases(probe).size();
        for (size_t index = 0; index < caseCount; ++index) {
            Observed observed;
            const ErrorCase item = ErrorCases(observed)[index];
            SCOPED_TRACE(std::string(item.name) + (selfFreeing ? ", self-freeing" : ", kept"));
            ScopedBoxRecorder boxes(observed);
            auto* worker = new TestWorker(nullptr, observed, item.work);
            ui::WorkerPtr<TestWorker> kept;
            if (selfFreeing) worker->SetFreeOnTerminate(true);
            else kept.reset(worker);
            ASSERT_TRUE(worker->Resume());
            if (selfFreeing) {
                ASSERT_TRUE(WaitUntil([&] { return observed.destroyed == 1; }));
            } else {
                ASSERT_TRUE(WaitUntil([&] { return worker->Ended(); }));
                EXPECT_EQ(observed.destroyed, 0);
                kept.reset();
            }
            EXPECT_EQ(observed.log, item.expectedLog) << Joined(observed.log);
            EXPECT_EQ(observed.destroyed, 1);
            ExpectNoWorkerLeft();
        }
    }
}

TEST(WorkerTest, OverriddenErrorHandlerReplacesTheBox) {
    struct QuietWorker final : ui::WorkerThread {
        explicit QuietWorker(std::vector<std::string>& log) : WorkerThread(nullptr), log_(log) {}
        void Execute() override { throw std::runtime_error("Backup folder missing."); }
        void OnError(const std::exception& error) override { log_.push_back(std::string("quiet: ") + error.what()); }
        void OnTerminate() override { log_.push_back("end"); }
        std::vector<std::string>& log_;
    };
    Observed observed;
    ScopedBoxRecorder boxes(observed);
    std::vector<std::string> log;
    ui::WorkerPtr<QuietWorker> worker(new QuietWorker(log));
    ASSERT_TRUE(worker->Resume());
    ASSERT_TRUE(WaitUntil([&] { return worker->Ended(); }));
    EXPECT_EQ(log, (std::vector<std::string>{"quiet: Backup folder missing.", "end"}));
    EXPECT_TRUE(observed.log.empty()) << Joined(observed.log);
    worker.reset();
    ExpectNoWorkerLeft();
}

enum class Going {
    WhileRunning,
    FromItsOwnDelivery,
    BeforeResume,
    SelfFreeingWhileRunning,
    WindowOnly,  // the window is destroyed, its object lives on: the safety net
};

// The owner goes while its worker streams results and steps that use the
// owner: nothing runs against it afterwards, nothing hangs, every result is
// freed, the worker stops and frees itself.
TEST(WorkerTest, OwnerGoingWhileTheWorkerRunsIsSafe) {
    const std::pair<Going, const char*> cases[] = {
        {Going::WhileRunning, "owner destroyed while running"},
        {Going::FromItsOwnDelivery, "owner destroyed by one of the worker's deliveries"},
        {Going::BeforeResume, "owner destroyed before the worker started"},
        {Going::SelfFreeingWhileRunning, "owner of a self-freeing worker destroyed while running"},
        {Going::WindowOnly, "owner window destroyed, no abandon"},
    };
    for (const auto& [going, name] : cases) {
        SCOPED_TRACE(name);
        Payload::Reset();
        Observed observed;
        auto owner = std::make_unique<TestOwner>(observed);
        auto work = [&observed, going](TestWorker& self) {
            for (int i = 0; i < 1000000 && !self.Terminated(); ++i) {
                self.Post(std::make_unique<Payload>(i), [&observed, going](std::unique_ptr<Payload>) {
                    observed.Touch();
                    if (going == Going::FromItsOwnDelivery && !observed.ownerGone && observed.owner->received >= 30)
                        delete observed.owner;
                });
                if (i % 5 == 0) self.Run([&observed] { observed.Touch(); });
            }
        };
        auto* worker = new TestWorker(owner->Handle(), observed, work);
        if (going == Going::SelfFreeingWhileRunning) {
            worker->SetFreeOnTerminate(true);
            owner->selfFreeingWorker = worker;
        } else {
            owner->worker.reset(worker);
        }
        if (going == Going::BeforeResume) {
            owner.reset();
        } else {
            ASSERT_TRUE(worker->Resume());
            ASSERT_TRUE(WaitUntil([&] { return observed.ownerGone || observed.owner->received >= 30; }));
            if (going == Going::FromItsOwnDelivery) {
                ASSERT_TRUE(WaitUntil([&] { return observed.ownerGone; }));
                owner.release();  // deleted by the delivery
            } else if (going == Going::WindowOnly) {
                DestroyWindow(owner->Handle());
                ASSERT_TRUE(WaitUntil([&] { return worker->Ended(); }));
                EXPECT_TRUE(worker->Orphaned());
                EXPECT_EQ(observed.destroyed, 0);
                owner.reset();
            } else {
                owner.reset();
            }
        }
        ExpectNoWorkerLeft();
        EXPECT_EQ(observed.destroyed, 1);
        EXPECT_EQ(observed.afterOwnerGone, 0);
        EXPECT_TRUE(observed.log.empty()) << Joined(observed.log);  // no end step against a gone owner
    }
}

// A dialog with nothing on it, for its own modal loop.
class EmptyDialog final : public ui::ModalDialog {
protected:
    void CreateControls(HWND owner) override { CreateFrame("Worker modal test", 200, 80, owner); }
    bool OnCommand(int, int) override { return false; }
};

enum class ModalKind { BareLoop, Dialog, MessageBox };

// A step sent while the window thread sits in a modal loop runs there, on the
// window thread, and can end it. The bare loop has no window that would
// bring it a message: it sees its end only if something wakes GetMessage,
// which serves a sent message without returning.
TEST(WorkerTest, StepRunsWhileAModalLoopRuns) {
    constexpr const char* kBoxCaption = "Orvelin worker modal box";
    ui::ModalDialog::SetModalHandler({});  // the real loop; the next test installs its own answers
    const std::pair<ModalKind, const char*> kinds[] = {
        {ModalKind::BareLoop, "bare GetMessage loop"},
        {ModalKind::Dialog, "modal dialog"},
        {ModalKind::MessageBox, "message box"},
    };
    for (const auto& [kind, name] : kinds) {
        SCOPED_TRACE(name);
        Observed observed;
        EmptyDialog dialog;
        bool inBareLoop = false, bareLoopEnded = false;
        std::atomic<bool> closed{false}, returned{false};
        std::vector<std::string> modalLog;
        auto step = [&] {
            switch (kind) {
            case ModalKind::BareLoop:
                if (!inBareLoop) return;
                bareLoopEnded = true;
                break;
            case ModalKind::Dialog:
                if (!dialog.Showing() || !IsWindowVisible(dialog.Handle())) return;
                dialog.EndModal(IDOK);
                break;
            case ModalKind::MessageBox: {
                HWND box = FindWindowA(nullptr, kBoxCaption);
                if (!box || !IsWindowVisible(box)) return;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                break;
            }
            }
            modalLog.push_back(GetCurrentThreadId() == observed.windowThread ? "on the window thread" : "elsewhere");
            closed = true;
        };
        auto work = [&](TestWorker& self) {
            for (int attempt = 0; attempt < 6000 && !closed; ++attempt) {
                self.Run(step);
                if (!closed) Sleep(10);
            }
            // A loop that missed its end waits for any message: after a long
            // grace, post one and say so.
            for (int wait = 0; wait < 3000 && !returned; ++wait) Sleep(10);
            if (!returned) self.PostStep([&modalLog] { modalLog.push_back("needed a wake-up"); });
        };
        ui::WorkerPtr<TestWorker> worker(new TestWorker(nullptr, observed, work));
        ASSERT_TRUE(worker->Resume());
        int result = IDCANCEL;
        if (kind == ModalKind::BareLoop) {
            inBareLoop = true;
            MSG message{};
            while (!bareLoopEnded && GetMessageA(&message, nullptr, 0, 0) > 0) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            inBareLoop = false;
            if (bareLoopEnded) result = IDOK;
        } else if (kind == ModalKind::Dialog) {
            result = dialog.ShowModal(nullptr);
        } else {
            result = MessageBoxA(nullptr, "A worker closes this box.", kBoxCaption, MB_OKCANCEL);
        }
        returned = true;
        EXPECT_EQ(result, IDOK);
        EXPECT_TRUE(closed);
        ASSERT_TRUE(WaitUntil([&] { return worker->Ended(); }));
        EXPECT_EQ(modalLog, std::vector<std::string>{"on the window thread"});
        worker.reset();
        ExpectNoWorkerLeft();
    }
}

// The platform wait: a thread that sends to this one while it waits is
// served, and a WM_QUIT met during the wait is kept for the outer loop.
LRESULT CALLBACK CountingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP + 7) return 70 + static_cast<LRESULT>(wParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

unsigned __stdcall SendingThread(void* argument) {
    auto* target = static_cast<HWND*>(argument);
    return static_cast<unsigned>(SendMessageA(*target, WM_APP + 7, 2, 0));
}

TEST(WorkerTest, WaitWithMessagesServesSendersAndKeepsTheQuit) {
    WNDCLASSEXA cls{};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = CountingProcedure;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "OrvWorkerTestTarget";
    RegisterClassExA(&cls);
    HWND target = CreateWindowExA(0, cls.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(target);
    platform::KernelHandle thread;
    ASSERT_EQ(platform::threads::CreateSuspendedThread(&SendingThread, &target, thread),
              static_cast<DWORD>(ERROR_SUCCESS));
    PostQuitMessage(5);
    ASSERT_EQ(platform::threads::ResumeSuspendedThread(thread.Get()), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(platform::threads::WaitWithMessages(thread.Get(), kWaitMs), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD exitCode = 0;
    GetExitCodeThread(thread.Get(), &exitCode);
    EXPECT_EQ(exitCode, 72u);
    MSG quit{};
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 5u);
    DestroyWindow(target);
}

}  // namespace

namespace {

// A WM_QUIT waiting when a worker's step arrives stays for the loop that
// asked for it: under Wine a peek for the worker's own messages returns the
// quit as well, whatever window and range it names.
TEST(WorkerTest, AStepArrivingAfterAQuitLeavesTheQuitInTheQueue) {
    Observed observed;
    std::atomic<bool> stepRan{false};
    ui::WorkerPtr<TestWorker> worker(new TestWorker(nullptr, observed, [&](TestWorker& self) {
        self.PostStep([] {});  // a posted delivery waits, so the step looks for it
        self.Run([&] { stepRan = true; });
    }));
    PostQuitMessage(9);
    ASSERT_TRUE(worker->Resume());
    // Serve the worker's sent step the way a modal loop's GetMessage does.
    for (int wait = 0; wait < 6000 && !stepRan; ++wait) {
        MSG peeked{};
        MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_SENDMESSAGE, 0);
        PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    ASSERT_TRUE(stepRan);
    MSG quit{};
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit was taken by the worker's step";
    EXPECT_EQ(quit.wParam, 9u);
    ASSERT_TRUE(WaitUntil([&] { return worker->Ended(); }));
    worker.reset();
    ExpectNoWorkerLeft();
}

}  // namespace
