// Firefox's visited pages with two history files of about 12 MB each (50,000
// rows over 5,000 hosts; 50,000 rows of as many hosts), listed through the
// section's lister and through the History page, against a floor measured
// in the same run: the file read and split into lines once. The page's
// figure is the listing into an empty list; emptying the list of the
// previous listing (the list control freeing its rows) is shown apart, as
// "clear ms". Run it on demand:
//   ORV_WINE_ROOT=$PWD/build/wine-bench cmake/wine-run.sh build/bin/bench_mozilla_history.exe [runs]
#include "history/HistorySink.h"
#include "history/FirefoxHistory.h"
#include "history/HistorySectionIds.h"
#include "platform/Files.h"
#include "platform/Threads.h"
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

constexpr int kRows = 50000;
constexpr int kDefaultRuns = 3;
constexpr double kGoal = 2.0;
constexpr DWORD kWaitMs = 600000;

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A history file as the browser writes it: every row's address and visit
// times in the dictionary, the row referring to them and to its host.
std::string HistoryFile(int hosts) {
    std::string dictionary, rows;
    dictionary.reserve(9 << 20);
    rows.reserve(4 << 20);
    for (int host = 0; host < hosts; ++host)
        dictionary += "(H" + std::to_string(host) + "=www.site" + std::to_string(host) + ".example.com)";
    for (int row = 0; row < kRows; ++row) {
        const std::string n = std::to_string(row), host = std::to_string(row % hosts);
        dictionary += "\r\n  (U" + n + "=http://www.site" + host + ".example.com/articles/" + n +
                      "/index.html?page=" + n + ")(L" + n +
                      "=11612345" + n + "000)(F" + n + "=11612340" + n + "000)(T" + n +
                      "=The title of article " + n + " on site " + host + ")";
        rows += "[R" + n + "(^82^U" + n + ")(^84^L" + n + ")(^85^" + (row % 10 == 0 ? "L" : "F") + n + ")(^88^H" +
                host + ")(^87^T" + n + ")(^86=" + std::to_string(row % 7 + 1) + ")" + (row % 13 == 0 ? "(^89=1)" : "") +
                "]\r\n";
    }
    return "// <!-- <mdb:mork:z v=\"1.4\"/> -->\r\n"
           "< <(a=c)> // (f=iso-8859-1)\r\n"
           "  (8A=Typed)(8B=LastPageVisited)(8C=ByteOrder)(80=ns:history:db:row:scope:history:all)\r\n"
           "  (81=ns:history:db:table:kind:history)(82=URL)(83=Referrer)(84=LastVisitDate)\r\n"
           "  (85=FirstVisitDate)(86=VisitCount)(87=Name)(88=Hostname)(89=Hidden)>\r\n"
           "\r\n"
           "<(80=LE)" +
           dictionary + ">\r\n{1:^80 {(k^81:c)(s=9)[1(^8C^80)]}\r\n" + rows + "}\r\n";
}

// The floor: the file read, and split into lines once.
size_t Floor(const std::string& path) {
    std::string bytes;
    if (!platform::files::ReadFileBytes(path, bytes)) return 0;
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines.size();
}

class CountingSink final : public history::IHistorySink {
public:
    void Add(history::HistoryRow&&) override { ++rows; }
    void Notice(const std::string&) override { ++notices; }
    int rows = 0, notices = 0;
};

int ListThroughTheLister() {
    CountingSink sink;
    history::ListMozillaHistory(sink, "*");
    return sink.notices ? 0 : sink.rows;
}

// Empties the list: a group lists nothing, so the next choice lists again.
void ClearThePage(HistoryPageWindow& page) {
    page.SelectHsSection(history::hsHistory);
    platform::threads::PumpMessagesUntil([&] { return !page.Busy(); }, kWaitMs);
}

int ListThroughThePage(HistoryPageWindow& page) {
    page.SelectHsSection(history::hsMozillaVisitedPages);
    platform::threads::PumpMessagesUntil([&] { return !page.Busy(); }, kWaitMs);
    return page.lvHsValues.Count();
}

std::string Ratio(double measured, double floor) {
    char text[16];
    std::snprintf(text, sizeof(text), "%.2f", measured / floor);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    InitialiseApplication();
    const HRESULT ole = OleInitialize(nullptr);
    const std::string appData = "C:\\orvbench-mozilla-" + std::to_string(GetCurrentProcessId());
    const std::string profile = appData + "\\Mozilla\\Firefox\\Profiles\\bench.default\\";
    const std::string path = profile + "history.dat";
    SetEnvironmentVariableA("APPDATA", appData.c_str());
    int status = 0;
    if (!platform::files::CreateFolderPath(profile)) {
        std::printf("the profile folder could not be made\n");
        return 1;
    }
    {
        MainWindow main;
        ShowWindow(main.Handle(), SW_SHOW);
        main.TitleButtonClick(kPageHistory);
        HistoryPageWindow& page = main.HistoryPage();
        std::printf("%-22s %8s %8s %10s %10s %10s %10s %7s %7s\n", "file", "MB", "rows", "floor ms", "lister ms",
                    "page ms", "clear ms", "lister", "page");
        for (const int hosts : {5000, kRows}) {
            const std::string text = HistoryFile(hosts);
            if (!platform::files::WriteFileBytes(path, text)) {
                std::printf("the history file could not be written\n");
                status = 1;
                break;
            }
            // Warm: the file is in the system's cache before anything is timed.
            (void)Floor(path);
            double floorMs = 0, listerMs = 0, pageMs = 0, clearMs = 0;
            int listerRows = 0, pageRows = 0;
            // Taken in turns, so a change of the machine's load weighs on all alike.
            for (int run = 0; run < runs; ++run) {
                Clock::time_point start = Clock::now();
                if (Floor(path) == 0) status = 1;
                floorMs += MillisecondsSince(start) / runs;
                start = Clock::now();
                listerRows = ListThroughTheLister();
                listerMs += MillisecondsSince(start) / runs;
                start = Clock::now();
                ClearThePage(page);
                clearMs += MillisecondsSince(start) / runs;
                start = Clock::now();
                pageRows = ListThroughThePage(page);
                pageMs += MillisecondsSince(start) / runs;
            }
            // A listing that showed nothing, or not every host, measured something else.
            const bool measured = listerRows == hosts && pageRows == hosts;
            if (!measured) status = 1;
            const std::string name = std::to_string(hosts) + " hosts";
            std::printf("%-22s %8.1f %8d %10.1f %10.1f %10.1f %10.1f %7s %7s\n", name.c_str(),
                        static_cast<double>(text.size()) / (1024.0 * 1024.0), pageRows, floorMs, listerMs, pageMs,
                        clearMs, measured ? Ratio(listerMs, floorMs).c_str() : "-", measured ? Ratio(pageMs, floorMs).c_str() : "-");
            std::fflush(stdout);
        }
        std::printf("%d runs per figure; goal: within %.1fx the floor\n", runs, kGoal);
        if (status) std::printf("a listing showed nothing, or not every host: no ratio\n");
    }
    ui::WorkerThread::WaitForAll(5000);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(profile.c_str());
    RemoveDirectoryA((appData + "\\Mozilla\\Firefox\\Profiles").c_str());
    RemoveDirectoryA((appData + "\\Mozilla\\Firefox").c_str());
    RemoveDirectoryA((appData + "\\Mozilla").c_str());
    RemoveDirectoryA(appData.c_str());
    if (SUCCEEDED(ole)) OleUninitialize();
    return status;
}
