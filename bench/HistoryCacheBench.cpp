// The History page's three URL-cache sections (visited pages, temporary
// files, cookies) listed through the real page of the main window, with
// 20,000 cache entries, against a floor measured in the same run: a bare walk
// of the cache making the same class and mask test per entry. Also the
// longest time the window was away from its messages while rows arrived, and
// the peak memory of the process that listed. Run it on demand:
//   ORV_WINE_ROOT=$PWD/build/wine-bench cmake/wine-run.sh build/bin/bench_history_cache.exe [runs]
#include "formats/Masks.h"
#include "history/HistorySectionIds.h"
#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Threads.h"
#include "platform/UrlCache.h"
#include "gui/HistoryPage.h"
#include "gui/MainWindow.h"
#include "gui/ProgramStart.h"
#include "ui/Worker.h"

#include <ole2.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace gui;

namespace {

constexpr int kEntries = 20000;
// Wine walks its cache slowly (seconds for 20,000 entries), so one run already
// gives steady figures.
constexpr int kDefaultRuns = 1;
constexpr double kGoal = 1.3;
constexpr double kMemoryGoalMb = 30.0;
constexpr DWORD kChildWaitMs = 900000;

struct Section {
    int id;
    const char* name;
};
constexpr Section kSections[] = {{history::hsIEVisitedPages, "visited pages"},
                                 {history::hsIETemporaryFiles, "temporary files"},
                                 {history::hsIECookies, "cookies"}};

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// ---- seeding -------------------------------------------------------------------

// The entries written, removed when the object goes, on every path out.
class SeededEntries {
public:
    SeededEntries() = default;
    SeededEntries(const SeededEntries&) = delete;
    SeededEntries& operator=(const SeededEntries&) = delete;
    ~SeededEntries() {
        for (const std::string& name : names_) platform::urlcache::DeleteEntry(name);
    }
    bool Add(std::string name) {
        if (platform::urlcache::CommitEntry(name) != ERROR_SUCCESS) return false;
        names_.push_back(std::move(name));
        return true;
    }
    size_t Count() const { return names_.size(); }

private:
    std::vector<std::string> names_;
};

// A mix as a browser leaves it: about half visited pages, a third temporary
// files, the rest cookies; names of realistic length.
int Seed(SeededEntries& seeded, const std::string& tag) {
    int failed = 0;
    for (int i = 0; i < kEntries; ++i) {
        const std::string n = std::to_string(i);
        std::string name;
        switch (i % 20) {
            case 0:
            case 1:
            case 2:
            case 3: name = "Cookie: bench@" + tag + "-" + n + ".example.com/"; break;
            case 4:
            case 5:
            case 6:
            case 7:
            case 8:
            case 9:
            case 10: name = "http://static." + tag + ".example.com/assets/" + n + "/style-" + n + ".css"; break;
            default: name = "Visited: bench@http://www." + tag + ".example.com/articles/" + n + "/index.html?ref=home";
        }
        if (!seeded.Add(std::move(name))) ++failed;
    }
    return failed;
}

// ---- the floor and the page -----------------------------------------------------

// The bare walk: every entry read once, its class told by its prefix and
// its whole name tested against the mask, as the collectors do.
int FloorWalk(int section, const std::string& maskText) {
    const Mask mask(maskText);
    int found = 0;
    platform::urlcache::ForEachEntry([&](const char* name) {
        const bool visited = std::strncmp(name, "Visited:", 8) == 0;
        const bool cookie = std::strncmp(name, "Cookie:", 7) == 0;
        const bool inSection = section == history::hsIEVisitedPages ? visited
                               : section == history::hsIECookies    ? cookie
                                                                    : !visited && !cookie;
        if (inSection && mask.Fits(name)) ++found;
    });
    return found;
}

struct Listing {
    double ms = 0;
    int rows = 0;
    double longestDispatchMs = 0;  // the longest the window was kept from its messages
    double windowThreadMs = 0;     // spent on the window thread: the rows going into the list
    double windowThreadCpuMs = 0;  // the processor time of the window thread meanwhile
};

double ThreadCpuMs() {
    FILETIME created{}, ended{}, kernel{}, user{};
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

// Selects the section's node and serves messages until its listing has ended.
Listing ListThroughThePage(HistoryPageWindow& page, int section) {
    page.SelectHsSection(history::hsHistory);  // a group: lists nothing, so the next choice lists again
    platform::threads::PumpMessagesUntil([&] { return !page.Busy(); }, kChildWaitMs);
    Listing listing;
    const double cpuAtStart = ThreadCpuMs();
    const Clock::time_point start = Clock::now();
    page.SelectHsSection(section);
    while (page.Busy()) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            const Clock::time_point before = Clock::now();
            TranslateMessage(&message);
            DispatchMessageA(&message);
            const double took = MillisecondsSince(before);
            listing.longestDispatchMs = std::max(listing.longestDispatchMs, took);
            listing.windowThreadMs += took;
        }
        if (page.Busy()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    listing.ms = MillisecondsSince(start);
    listing.windowThreadCpuMs = ThreadCpuMs() - cpuAtStart;
    listing.rows = page.lvHsValues.Count();
    return listing;
}

std::string Ratio(double measured, double floor) {
    char text[16];
    std::snprintf(text, sizeof(text), "%.2f", measured / floor);
    return text;
}

double Megabytes(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

// The measuring process: it has only listed, so its peak is the listing's.
int Measure(int runs) {
    InitialiseApplication();
    const HRESULT ole = OleInitialize(nullptr);
    int status = 0;
    {
        MainWindow main;
        ShowWindow(main.Handle(), SW_SHOW);
        main.TitleButtonClick(kPageHistory);
        HistoryPageWindow& page = main.HistoryPage();
        PROCESS_MEMORY_COUNTERS before{};
        before.cb = sizeof(before);
        GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof(before));
        // Warm: the cache's index is mapped and read once before anything is timed.
        ListThroughThePage(page, 2);
        (void)FloorWalk(2, "*");

        double pageTotal = 0, floorTotal = 0, longest = 0, windowThread = 0, windowCpu = 0;
        std::printf("%-16s %8s %8s %12s %12s %7s %10s %10s\n", "section", "rows", "floor", "page ms", "floor ms",
                    "ratio", "window ms", "window cpu");
        for (const Section& section : kSections) {
            double pageMs = 0, floorMs = 0, insertMs = 0, cpuMs = 0;
            Listing listing;
            int floorRows = 0;
            // Taken in turns, so a change of the machine's load weighs on both alike.
            for (int i = 0; i < runs; ++i) {
                listing = ListThroughThePage(page, section.id);
                pageMs += listing.ms / runs;
                longest = std::max(longest, listing.longestDispatchMs);
                insertMs += listing.windowThreadMs / runs;
                cpuMs += listing.windowThreadCpuMs / runs;
                const Clock::time_point start = Clock::now();
                floorRows = FloorWalk(section.id, page.CurrentMask());
                floorMs += MillisecondsSince(start) / runs;
            }
            pageTotal += pageMs;
            windowThread += insertMs;
            windowCpu += cpuMs;
            floorTotal += floorMs;
            // A listing that showed nothing, or other rows than the floor found, measured something else.
            const bool measured = listing.rows > 0 && listing.rows == floorRows;
            if (!measured) status = 1;
            std::printf("%-16s %8d %8d %12.1f %12.1f %7s %10.1f %10.1f\n", section.name, listing.rows, floorRows,
                        pageMs, floorMs, measured ? Ratio(pageMs, floorMs).c_str() : "-", insertMs, cpuMs);
        }
        PROCESS_MEMORY_COUNTERS after{};
        after.cb = sizeof(after);
        GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof(after));
        std::printf("%-16s %8s %8s %12.1f %12.1f %7s %10.1f %10.1f\n", "all three", "", "", pageTotal, floorTotal,
                    status ? "-" : Ratio(pageTotal, floorTotal).c_str(), windowThread, windowCpu);
        std::printf("longest time the window was kept from its messages: %.1f ms\n", longest);
        std::printf(
            "peak working set %.1f MB, peak pagefile usage %.1f MB (window shown, before listing: %.1f MB / %.1f MB)\n",
            Megabytes(after.PeakWorkingSetSize), Megabytes(after.PeakPagefileUsage),
            Megabytes(before.PeakWorkingSetSize), Megabytes(before.PeakPagefileUsage));
        std::printf("%d runs per figure; goals: within %.1fx the floor, peak under %.0f MB\n", runs, kGoal,
                    kMemoryGoalMb);
        if (status) std::printf("the page listed nothing, or other rows than the floor found: no ratio\n");
    }
    ui::WorkerThread::WaitForAll(5000);
    if (SUCCEEDED(ole)) OleUninitialize();
    return status;
}

// Runs this program again to measure, so that the seeding's memory does not
// count in the peak.
int RunMeasuringProcess(int runs) {
    std::string command = "\"" + platform::files::ModuleFileName() + "\" --measure " + std::to_string(runs);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("the measuring process could not be started (error %lu)\n", GetLastError());
        return 1;
    }
    platform::KernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    DWORD exitCode = 1;
    if (WaitForSingleObject(processHandle.Get(), kChildWaitMs) != WAIT_OBJECT_0) {
        std::printf("the measuring process did not end\n");
        TerminateProcess(processHandle.Get(), 1);
    } else {
        GetExitCodeProcess(processHandle.Get(), &exitCode);
    }
    return static_cast<int>(exitCode);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--measure") == 0)
        return Measure(argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultRuns);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    const std::string tag = "orvbench" + std::to_string(GetCurrentProcessId());
    int status = 1;
    {
        SeededEntries seeded;
        const Clock::time_point start = Clock::now();
        const int failed = Seed(seeded, tag);
        std::printf("seeded %zu cache entries in %.0f ms%s\n", seeded.Count(), MillisecondsSince(start),
                    failed ? " (some could not be written)" : "");
        std::fflush(stdout);
        if (!failed) status = RunMeasuringProcess(runs);
        std::printf("removing the entries\n");
        std::fflush(stdout);
    }
    return status;
}
