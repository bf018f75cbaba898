// Opens Orvelin's main window on a chosen page and starts the page's first
// command, so the demo's screenshot shows that page at work:
//   orvdemo_tour.exe registry   the Registry page after a scan of every section
//   orvdemo_tour.exe history    the History page listing Internet Explorer's visited pages
//   orvdemo_tour.exe history N  the History page listing section N (12: Firefox's visited pages)
//   orvdemo_tour.exe backup     the Registry page with its BackUp/Restore dialog open
//   orvdemo_tour.exe compare [F] the StartUp page with its comparison dialog open,
//                               snapshot file F loaded when given
#include "history/HistoryCatalogue.h"
#include "platform/Dialogs.h"
#include "platform/Threads.h"
#include "shell/HistoryPage.h"
#include "shell/MainUnit.h"
#include "shell/ProgramStart.h"
#include "shell/StartUpPage.h"
#include "ui/Worker.h"

#include <cstdlib>
#include <cstring>
#include <string>

using namespace shell;

namespace {

TfrmMain* tourWindow = nullptr;

// Once the comparison dialog shows, presses its Load BackUp (whose open
// dialog the tour answers).
void CALLBACK PressLoadWhenShown(HWND, UINT, UINT_PTR timer, DWORD) {
    TfrmCompareSave& dialog = tourWindow->StartUpPage().frmCompareSave();
    if (!dialog.Handle() || !IsWindowVisible(dialog.Handle())) return;
    KillTimer(nullptr, timer);
    PostMessageA(dialog.Handle(), WM_COMMAND, MAKEWPARAM(TfrmCompareSave::kIdKill, BN_CLICKED), 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int show) {
    InitialiseApplication();
    const HRESULT ole = OleInitialize(nullptr);
    {
        TfrmMain main;
        ShowWindow(main.Handle(), show);
        UpdateWindow(main.Handle());
        if (std::strstr(commandLine, "registry")) {
            main.TitleButtonClick(kPageRegistry);
            // Run from the loop, as a click on Scan would be.
            PostMessageA(main.Handle(), WM_COMMAND, aRgScan, 0);
        } else if (std::strstr(commandLine, "backup")) {
            main.TitleButtonClick(kPageRegistry);
            PostMessageA(main.Handle(), WM_COMMAND, aBackUp, 0);
        } else if (const char* compare = std::strstr(commandLine, "compare")) {
            std::string snapshot = compare + std::strlen("compare");
            snapshot.erase(0, snapshot.find_first_not_of(' '));
            main.TitleButtonClick(kPageStartUp);
            PostMessageA(main.Handle(), WM_COMMAND, aBackUp, 0);
            if (!snapshot.empty()) {
                tourWindow = &main;
                platform::dialogs::SetFileDialogHandler([snapshot](platform::dialogs::FileDialogRequest& request) {
                    if (request.save) return false;
                    request.fileName = snapshot;
                    return true;
                });
                SetTimer(nullptr, 0, 200, PressLoadWhenShown);
            }
        } else if (std::strstr(commandLine, "history")) {
            main.TitleButtonClick(kPageHistory);
            // Showing the page listed its first node; a click meanwhile would be dropped.
            THistoryPage& page = main.HistoryPage();
            platform::threads::PumpMessagesUntil([&] { return !page.Busy(); }, 10000);
            // As a click on the node would; the rows arrive once the loop runs.
            const char* number = std::strstr(commandLine, "history") + std::strlen("history");
            const int section = std::atoi(number);
            page.SelectHsSection(section > 0 && section < history::kHistorySectionCount ? section
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
