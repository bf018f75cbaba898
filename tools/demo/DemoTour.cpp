// Opens Orvelin's main window on a chosen page and starts the page's first
// command, so the demo's screenshot shows that page at work:
//   orvdemo_tour.exe registry   the Registry page after a scan of every section
//   orvdemo_tour.exe history    the History page listing Internet Explorer's visited pages
//   orvdemo_tour.exe history N  the History page listing the section of id N (12: Firefox's visited pages)
//   orvdemo_tour.exe backup     the Registry page with its BackUp/Restore dialog open
//   orvdemo_tour.exe compare    the StartUp page's comparison dialog with the demo's snapshot loaded
//   orvdemo_tour.exe about      the About page with the help
//   orvdemo_tour.exe add        the StartUp page's Add dialog
//   orvdemo_tour.exe info       the StartUp page's Info dialog on the first entry
// "maximised" anywhere on the command line maximises the window first.
#include "DemoPaths.h"

#include "history/HistorySectionTable.h"
#include "platform/Dialogs.h"
#include "platform/Threads.h"
#include "gui/HistoryPage.h"
#include "gui/MainWindow.h"
#include "gui/ProgramStart.h"
#include "gui/StartUpPage.h"
#include "ui/Worker.h"

#include <cstdlib>
#include <cstring>

using namespace gui;

namespace {

constexpr const char* kCompareCaption = "Compare Info With XML";
constexpr const char* kLoadButton = "Load BackUp";
// Ten seconds of looking for the comparison dialog, then the timer gives up.
constexpr UINT kLookInterval = 100;
constexpr int kLooks = 100;

// The comparison dialog runs a modal loop of its own, which a thread timer
// reaches too: once the dialog shows, its Load BackUp is clicked as a user
// would, by the button's notification to the dialog.
void CALLBACK ClickLoadBackUp(HWND, UINT, UINT_PTR timer, DWORD) {
    static int looks = 0;
    HWND dialog = FindWindowA(nullptr, kCompareCaption);
    const bool shown = dialog && IsWindowVisible(dialog) &&
                       GetWindowThreadProcessId(dialog, nullptr) == GetCurrentThreadId();
    if (!shown) {
        if (++looks >= kLooks) KillTimer(nullptr, timer);
        return;
    }
    KillTimer(nullptr, timer);
    if (HWND button = FindWindowExA(dialog, nullptr, "BUTTON", kLoadButton))
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
}

// The open dialog answers with the snapshot the demo's seeder saved; a save
// dialog is cancelled, so the tour writes nothing.
bool AnswerWithDemoSnapshot(platform::dialogs::FileDialogRequest& request) {
    if (request.save) return false;
    request.fileName = demo::SnapshotPath();
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int show) {
    InitialiseApplication();
    const HRESULT ole = OleInitialize(nullptr);
    {
        MainWindow main;
        ShowWindow(main.Handle(), std::strstr(commandLine, "maximised") ? SW_MAXIMIZE : show);
        UpdateWindow(main.Handle());
        if (std::strstr(commandLine, "registry")) {
            main.TitleButtonClick(kPageRegistry);
            // Run from the loop, as a click on Scan would be.
            PostMessageA(main.Handle(), WM_COMMAND, aRgScan, 0);
        } else if (std::strstr(commandLine, "backup")) {
            main.TitleButtonClick(kPageRegistry);
            PostMessageA(main.Handle(), WM_COMMAND, aBackUp, 0);
        } else if (std::strstr(commandLine, "compare")) {
            main.TitleButtonClick(kPageStartUp);
            platform::dialogs::SetFileDialogHandler(AnswerWithDemoSnapshot);
            SetTimer(nullptr, 0, kLookInterval, ClickLoadBackUp);
            PostMessageA(main.Handle(), WM_COMMAND, aBackUp, 0);
        } else if (std::strstr(commandLine, "about")) {
            main.TitleButtonClick(kPageAbout);
        } else if (std::strstr(commandLine, "add")) {
            main.TitleButtonClick(kPageStartUp);
            // Add writes to the run key chosen in the tree.
            ui::TreeView tree = main.StartUpPage().tvSuSections;
            if (HTREEITEM run = tree.ItemWithData(startup::kSuRun)) tree.Select(run);
            PostMessageA(main.Handle(), WM_COMMAND, aSuAdd, 0);
        } else if (std::strstr(commandLine, "info")) {
            main.TitleButtonClick(kPageStartUp);
            main.StartUpPage().lvSuValues.Select(0);
            PostMessageA(main.Handle(), WM_COMMAND, aSuInfo, 0);
        } else if (std::strstr(commandLine, "history")) {
            main.TitleButtonClick(kPageHistory);
            // Showing the page listed its first node; a click meanwhile would be dropped.
            HistoryPageWindow& page = main.HistoryPage();
            platform::threads::PumpMessagesUntil([&] { return !page.Busy(); }, 10000);
            // As a click on the node would; the rows arrive once the loop runs.
            const char* number = std::strstr(commandLine, "history") + std::strlen("history");
            const int section = std::atoi(number);
            page.SelectHsSection(section > 0 && history::HistorySectionRowOf(section).id == section
                                     ? section
                                     : history::hsIEVisitedPages);
        }
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (main.PreTranslateMessage(message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        ui::WorkerThread::WaitForAll(5000);
    }
    if (SUCCEEDED(ole)) OleUninitialize();
    return 0;
}
