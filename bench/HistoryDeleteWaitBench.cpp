// The History page's Delete All of the temporary folder's section with
// 20,000 files, run through the real window: the longest time the window's
// thread was kept from its messages, from the command until the section is
// listed again, against a floor of 50 ms (what a user takes for a window
// that answers at once). A thread posts time-stamped messages to a window of
// the window thread every millisecond or two; each one's wait is measured
// when it is served. Run it on demand:
//   ORV_WINE_ROOT=$PWD/build/wine-bench cmake/wine-run.sh build/bin/bench_history_delete_wait.exe
#include "common/Common.h"
#include "history/HistorySectionIds.h"
#include "history/HistorySectionTable.h"
#include "history/WindowsHistory.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Threads.h"
#include "gui/HistoryPage.h"
#include "gui/MainWindow.h"
#include "gui/ProgramStart.h"
#include "ui/Worker.h"

#include <ole2.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

using namespace gui;

namespace {

constexpr int kFiles = 20000;
constexpr double kFloorMs = 50.0;
constexpr DWORD kWaitMs = 600000;
constexpr UINT kStampMessage = WM_APP + 7;

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long long Ticks() { return Clock::now().time_since_epoch().count(); }

double TicksToMs(long long ticks) {
    return std::chrono::duration<double, std::milli>(Clock::duration(ticks)).count();
}

// ---- the files -----------------------------------------------------------------

constexpr int kSubfolders = 8;

std::string Subfolder(const std::string& folder, int index) { return folder + "\\batch" + std::to_string(index); }

// Every file the seeding made, its subfolders, then the folder.
void RemoveTree(const std::string& folder) {
    std::vector<std::string> files;
    ListAllFilesRecursive(folder, &files);
    for (const std::string& path : files) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        platform::files::DeleteFilePath(path);
    }
    for (int index = 0; index < kSubfolders; ++index) RemoveDirectoryA(Subfolder(folder, index).c_str());
    RemoveDirectoryA(folder.c_str());
}

// Names as programs leave them in a temporary folder, in a few subfolders.
int Seed(const std::string& folder) {
    int failed = 0;
    for (int i = 0; i < kFiles; ++i) {
        const std::string sub = Subfolder(folder, i % kSubfolders);
        if (i < kSubfolders && !platform::files::CreateFolderPath(sub)) return kFiles;
        const std::string name = sub + "\\~tmp" + std::to_string(i) + "-setup-download.tmp";
        if (!platform::files::WriteFileBytes(name, "temporary")) ++failed;
    }
    return failed;
}

// ---- the waits of the window thread ---------------------------------------------

// The window of the window thread the stamps are posted to; each stamp's
// wait is the time from its post until it is served.
class StampWindow {
public:
    StampWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "OrvBenchStamps";
        RegisterClassA(&windowClass);
        handle_ = CreateWindowExA(0, "OrvBenchStamps", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~StampWindow() { DestroyWindow(handle_); }
    HWND Handle() const { return handle_; }
    double LongestMs() const { return TicksToMs(longest_); }
    long long Served() const { return served_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kStampMessage) {
            auto* self = reinterpret_cast<StampWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            if (self && wParam) {
                self->longest_ = std::max(self->longest_, Ticks() - static_cast<long long>(lParam));
                ++self->served_;
            }
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND handle_ = nullptr;
    long long longest_ = 0;
    long long served_ = 0;
};

// Posts a stamp every millisecond or so until told to stop.
class Stamper {
public:
    explicit Stamper(HWND target)
        : thread_([this, target] {
              while (!stop_) {
                  PostMessageA(target, kStampMessage, 1, static_cast<LPARAM>(Ticks()));
                  Sleep(1);
              }
          }) {}
    ~Stamper() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct Outcome {
    int listed = 0;    // rows of the section before Delete All
    int left = 0;      // files of the folder after it
    int relisted = 0;  // rows after it
    double ms = 0;     // from the command until the section was listed again
    double longestWaitMs = 0;
    long long stamps = 0;
    std::vector<std::string> boxes;  // every box but the question
};

Outcome Measure(const std::string& folder, const std::string& tag) {
    Outcome outcome;
    MainWindow main;
    ShowWindow(main.Handle(), SW_SHOW);
    main.TitleButtonClick(kPageHistory);
    HistoryPageWindow& page = main.HistoryPage();
    platform::threads::PumpMessagesUntil([&] { return !page.Busy(); }, kWaitMs);
    SendMessageA(page.cbUseMask, BM_SETCHECK, BST_CHECKED, 0);
    SetWindowTextA(page.edtMask, tag.c_str());
    page.SelectHsSection(history::hsTemporaryFolder);
    platform::threads::PumpMessagesUntil([&] { return !page.Busy(); }, kWaitMs);
    outcome.listed = page.lvHsValues.Count();

    platform::dialogs::SetBoxHandler([&](const std::string& text, const std::string&, platform::dialogs::BoxKind) {
        if (text != history::HistorySectionRowOf(history::hsTemporaryFolder).deleteAllQuestion)
            outcome.boxes.push_back(text);
        return IDYES;
    });
    {
        StampWindow stamps;
        Stamper stamper(stamps.Handle());
        platform::threads::PumpMessagesUntil([] { return false; }, 200);  // the stamps flow before the command
        const Clock::time_point start = Clock::now();
        main.ExecuteAction(aHsDeleteAll);
        platform::threads::PumpMessagesUntil([&] { return !page.Busy(); }, kWaitMs);
        outcome.ms = MillisecondsSince(start);
        platform::threads::PumpMessagesUntil([] { return false; }, 100);  // the stamps posted during the end
        outcome.longestWaitMs = stamps.LongestMs();
        outcome.stamps = stamps.Served();
    }
    platform::dialogs::SetBoxHandler({});
    outcome.relisted = page.lvHsValues.Count();
    std::vector<std::string> left;
    ListAllFilesRecursive(folder, &left);
    outcome.left = static_cast<int>(left.size());
    return outcome;
}

}  // namespace

int main() {
    InitialiseApplication();
    const HRESULT ole = OleInitialize(nullptr);
    const std::string tag = "orvbench-delete-" + std::to_string(GetCurrentProcessId());
    const std::string folder = history::TemporaryFolder() + "\\" + tag;
    int status = 1;
    const Clock::time_point seedStart = Clock::now();
    const int failed = Seed(folder);
    std::printf("seeded %d files in %s in %.0f ms%s\n", kFiles - failed, folder.c_str(), MillisecondsSince(seedStart),
                failed ? " (some could not be written)" : "");
    std::fflush(stdout);
    if (!failed) {
        const Outcome outcome = Measure(folder, tag);
        // A run that listed or deleted other than every file measured something else.
        const bool measured = outcome.listed == kFiles && outcome.left == 0 && outcome.relisted == 0 &&
                              outcome.boxes.empty() && outcome.stamps > 0;
        std::printf("listed %d rows; Delete All and the new listing took %.0f ms; %d files left, %d rows listed "
                    "after; %lld stamps served\n",
                    outcome.listed, outcome.ms, outcome.left, outcome.relisted, outcome.stamps);
        for (const std::string& box : outcome.boxes) std::printf("box: %s\n", box.c_str());
        char ratio[16] = "-";
        if (measured) std::snprintf(ratio, sizeof(ratio), "%.2f", outcome.longestWaitMs / kFloorMs);
        std::printf("longest time the window was kept from its messages: %.1f ms; floor %.0f ms; ratio %s\n",
                    outcome.longestWaitMs, kFloorMs, ratio);
        if (!measured) std::printf("the page listed or deleted other than every file: no ratio\n");
        status = measured ? 0 : 1;
    }
    ui::WorkerThread::WaitForAll(5000);
    RemoveTree(folder);
    if (SUCCEEDED(ole)) OleUninitialize();
    return status;
}
