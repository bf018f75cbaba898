// The Report command of the History page's visited pages with 20,000 rows
// (20,000 URL-cache entries listed through the real page of the main
// window), against a floor measured in the same run: a bare write of the same
// bytes into the same folder (create, one write, close). Run it on demand:
//   ORV_WINE_ROOT=$PWD/build/wine-bench cmake/wine-run.sh build/bin/bench_report.exe [runs]
#include "history/HistorySectionIds.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Threads.h"
#include "platform/UrlCache.h"
#include "gui/HistoryPage.h"
#include "gui/MainWindow.h"
#include "gui/ProgramStart.h"
#include "ui/Worker.h"

#include <ole2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace gui;

namespace {

constexpr int kEntries = 20000;
constexpr int kDefaultRuns = 9;
constexpr double kGoal = 1.5;
constexpr DWORD kListingWaitMs = 900000;

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

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

// The files of the run, removed with their folder at the end.
struct BenchFolder {
    std::string path;
    ~BenchFolder() {
        platform::files::DeleteFilePath(path + "\\report.txt");
        platform::files::DeleteFilePath(path + "\\floor.txt");
        RemoveDirectoryA(path.c_str());
    }
};

// The bare write: what any program writing these bytes must do at least.
bool FloorWrite(const std::string& path, const std::string& bytes) {
    platform::FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

size_t LineCount(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int Measure(int runs, const std::string& folder) {
    int status = 1;
    MainWindow main;
    ShowWindow(main.Handle(), SW_SHOW);
    main.TitleButtonClick(kPageHistory);
    HistoryPageWindow& page = main.HistoryPage();
    platform::threads::PumpMessagesUntil([&] { return !page.Busy(); }, kListingWaitMs);
    page.SelectHsSection(history::hsIEVisitedPages);
    platform::threads::PumpMessagesUntil([&] { return !page.Busy(); }, kListingWaitMs);
    const int rows = page.lvHsValues.Count();
    const std::string reportPath = folder + "\\report.txt", floorPath = folder + "\\floor.txt";
    platform::dialogs::SetFileDialogHandler([&](platform::dialogs::FileDialogRequest& request) {
        request.fileName = reportPath;
        return true;
    });
    std::vector<double> reportMs, floorMs, textMs;
    std::string bytes;
    bool measured = rows >= kEntries;
    // Taken in turns, so a change of the machine's load weighs on both alike.
    for (int i = 0; i < runs && measured; ++i) {
        platform::files::DeleteFilePath(reportPath);
        const Clock::time_point start = Clock::now();
        main.ExecuteAction(aReport);
        reportMs.push_back(MillisecondsSince(start));
        if (!platform::files::ReadFileBytes(reportPath, bytes) || LineCount(bytes) != static_cast<size_t>(rows) + 2) {
            measured = false;
            break;
        }
        platform::files::DeleteFilePath(floorPath);
        const Clock::time_point floorStart = Clock::now();
        if (!FloorWrite(floorPath, bytes)) {
            measured = false;
            break;
        }
        floorMs.push_back(MillisecondsSince(floorStart));
        // The part of the report spent on its lines alone, for the reader.
        const Clock::time_point textStart = Clock::now();
        size_t textBytes = 0;
        if (const std::optional<common::ReportBuilder> lines = page.Report())
            for (std::string_view piece : lines->Pieces()) textBytes += piece.size();
        textMs.push_back(MillisecondsSince(textStart));
        if (textBytes != bytes.size()) measured = false;
    }
    platform::dialogs::SetFileDialogHandler({});
    std::printf("%d rows listed, report of %zu bytes\n", rows, bytes.size());
    if (measured && !reportMs.empty()) {
        const double report = Median(reportMs), floor = Median(floorMs);
        std::printf("%-24s %10s %10s\n", "", "report ms", "floor ms");
        std::printf("%-24s %10.2f %10.2f\n", "median", report, floor);
        std::printf("%-24s %10.2f %10.2f\n", "best", *std::min_element(reportMs.begin(), reportMs.end()),
                    *std::min_element(floorMs.begin(), floorMs.end()));
        std::printf("of the report, its lines built: median %.2f ms\n", Median(textMs));
        std::printf("ratio (medians) %.2f; goal within %.1fx the floor; %d runs\n", report / floor, kGoal, runs);
        status = 0;
    } else {
        std::printf("the page listed fewer than %d rows, or the report was not written whole: no ratio\n", kEntries);
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    InitialiseApplication();
    const HRESULT ole = OleInitialize(nullptr);
    const std::string tag = "orvreport" + std::to_string(GetCurrentProcessId());
    int status = 1;
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        BenchFolder folder{std::string(temp) + tag};
        CreateDirectoryA(folder.path.c_str(), nullptr);
        SeededEntries seeded;
        int failed = 0;
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kEntries; ++i)
            if (!seeded.Add("Visited: bench@http://www." + tag + ".example.com/articles/" + std::to_string(i) +
                            "/index.html?ref=home"))
                ++failed;
        std::printf("seeded %zu cache entries in %.0f ms%s\n", seeded.Count(), MillisecondsSince(start),
                    failed ? " (some could not be written)" : "");
        std::fflush(stdout);
        if (!failed) status = Measure(runs, folder.path);
        std::printf("removing the entries\n");
        std::fflush(stdout);
    }
    ui::WorkerThread::WaitForAll(5000);
    if (SUCCEEDED(ole)) OleUninitialize();
    return status;
}
