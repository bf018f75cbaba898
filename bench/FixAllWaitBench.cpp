// Fix All of 20,000 registry errors through the Registry page, as the user
// runs it: the question answered, the progress window's own loop, the fix on
// its worker. Prints the longest time the window was kept from its messages
// meanwhile, against a floor of 50 ms, and the fix's whole time.
// Run it on demand:
//   ORV_WINE_ROOT=$PWD/build/wine-bench cmake/wine-run.sh build/bin/bench_fix_all_wait.exe [records]
#include "platform/Dialogs.h"
#include "platform/Handles.h"
#include "gui/MainWindow.h"
#include "gui/ProgramStart.h"
#include "gui/RegistryPage.h"
#include "ui/ModalDialog.h"
#include "ui/Worker.h"
#include "WindowWaitProbe.h"

#include <ole2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace gui;

namespace {

constexpr int kDefaultRecords = 20000;
constexpr double kFloorMs = 50.0;
constexpr int kMruSection = 4;
const std::string kKey = "Software\\OrvBenchFixAll";
const std::string kMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

// The dead run-history values the records name, in a key of their own that
// goes at the end whatever the fix did.
class SeededValues {
public:
    explicit SeededValues(int count) {
        platform::KeyHandle key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kMru.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(),
                            nullptr) != ERROR_SUCCESS)
            return;
        for (int i = 0; i < count; ++i) {
            const std::string name = Name(i), data = "C:\\Gone Bench\\fix" + std::to_string(i) + ".exe\\1";
            if (RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                               static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS)
                ++written_;
        }
    }
    ~SeededValues() {
        platform::KeyHandle key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kMru.c_str(), 0, KEY_SET_VALUE, key.Put()) != ERROR_SUCCESS) return;
        for (int i = 0; i < written_; ++i) RegDeleteValueA(key.Get(), Name(i).c_str());
    }
    int Written() const { return written_; }
    static std::string Name(int i) { return "orvbenchfix" + std::to_string(i); }

private:
    int written_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRecords;
    InitialiseApplication();
    const HRESULT ole = OleInitialize(nullptr);
    int status = 1;
    {
        const SeededValues values(count);
        std::printf("seeded %d dead run-history values\n", values.Written());
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        const std::string backupFolder = std::string(temp) + "OrvBenchFixAll" + std::to_string(GetCurrentProcessId()) + "\\";
        // Every question is answered OK; the progress window runs its own loop.
        platform::dialogs::SetBoxHandler([](const std::string&, const std::string&, platform::dialogs::BoxKind) {
            return IDOK;
        });
        ui::ModalDialog::SetModalHandler({});
        MainWindow main;
        main.SetBackupFolder(backupFolder);
        ShowWindow(main.Handle(), SW_SHOW);
        main.TitleButtonClick(kPageRegistry);
        RegistryPageWindow& page = main.RegistryPage();
        for (int i = 0; i < values.Written(); ++i)
            page.Nut().RecordProblem(kMruSection,
                                     "HKEY_CURRENT_USER\\" + kMru + "|" + SeededValues::Name(i),
                                     "c:\\gone bench\\fix" + std::to_string(i) + ".exe", "");
        page.Nut().SetState(kMruSection, registry_scan::ssScanned);
        page.Nut().RecountTotal();
        page.SelectRgPosition(kMruSection + 1);
        main.RefreshView();
        const int before = page.Nut().Count(kMruSection);

        WindowWaitProbe probe;
        probe.Reset();
        const auto start = std::chrono::steady_clock::now();
        main.Actions().SetEnabled(aRgFixAll, true);
        page.aRgFixAllExecute();
        const double fixMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        const double longest = probe.LongestWaitMs();
        const int fixed = before - page.Nut().Count(kMruSection);

        std::printf("Fix All of %d records: %d fixed in %.0f ms (%ld stamps seen)\n", before, fixed, fixMs,
                    probe.Stamps());
        if (fixed <= 0 || probe.Stamps() == 0) {
            std::printf("longest wait of the window %.1f ms; floor %.0f ms; no ratio: nothing was fixed\n", longest,
                        kFloorMs);
        } else {
            std::printf("longest wait of the window %.1f ms; floor %.0f ms; ratio %.2f\n", longest, kFloorMs,
                        longest / kFloorMs);
            status = 0;
        }
        std::printf("the backup point stays in %s (the benchmark's own machine)\n", backupFolder.c_str());
    }
    ui::WorkerThread::WaitForAll(5000);
    if (SUCCEEDED(ole)) OleUninitialize();
    return status;
}
