// Listing "All" with a few hundred run entries: how long one listing takes,
// and how much of it the process snapshot costs. Run it on demand under Wine:
//   ORV_WINE_ROOT=build/wine-bench cmake/wine-run.sh build/bench/bench_startup_listing.exe
#include "common/Common.h"
#include "common/RegistryFunctions.h"
#include "common/RegistryObject.h"
#include "startup/StartUpFunctions.h"

#include <ole2.h>

#include <chrono>
#include <cstdio>

namespace {

constexpr int kEntriesPerKey = 60;  // x 5 keys = 300 entries
const char* const kSections[] = {"Run", "RunOnce", "RunOnceEx", "RunService", "RunServiceOnce"};

void Seed(bool add) {
    for (const char* section : kSections) {
        TRegistry registry;
        registry.SetRootKey(HKEY_CURRENT_USER);
        if (!registry.OpenKey(RunKeyPath("HKEY_CURRENT_USER", section), add)) continue;
        for (int i = 0; i < kEntriesPerKey; ++i) {
            const std::string name = "Bench " + std::to_string(i);
            if (add)
                registry.WriteString(name, "\"C:\\windows\\system32\\notepad.exe\" /bench" + std::to_string(i));
            else
                registry.DeleteValue(name);
        }
    }
}

template <typename F>
double MillisecondsPerRun(int runs, F&& work) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i) work();
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / runs;
}

}  // namespace

int main() {
    OleInitialize(nullptr);
    Seed(true);
    TFileVersionInfo info;
    size_t rows = 0;
    const double listing = MillisecondsPerRun(10, [&] {
        StartupListing list;
        ListSection(kSuAll, list, info);
        rows = list.rows.size();
    });
    const double snapshot = MillisecondsPerRun(10, [] { (void)RunningProcessPaths(); });
    const size_t processes = RunningProcessPaths().size();
    std::printf("All view: %zu rows, %zu processes\n", rows, processes);
    std::printf("  one listing            %8.2f ms (one process snapshot per listing)\n", listing);
    std::printf("  one process snapshot   %8.2f ms\n", snapshot);
    std::printf("  a snapshot per row would add about %.0f ms per listing\n", snapshot * static_cast<double>(rows));
    Seed(false);
    OleUninitialize();
    return 0;
}
