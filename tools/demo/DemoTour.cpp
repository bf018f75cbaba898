// Opens Orvelin's main window on a chosen page and starts the page's first
// command, so the demo's screenshot shows that page at work:
//   orvdemo_tour.exe registry   the Registry page after a scan of every section
//   orvdemo_tour.exe history    the History page listing Internet Explorer's visited pages
//   orvdemo_tour.exe history N  the History page listing section N (12: Firefox's visited pages)
//   orvdemo_tour.exe backup     the Registry page with its BackUp/Restore dialog open
#include "history/HistoryCatalogue.h"
#include "platform/Threads.h"
#include "shell/HistoryPage.h"
#include "shell/MainUnit.h"
#include "shell/ProgramStart.h"
#include "ui/Worker.h"

#include <cstdlib>
#include <cstring>

using namespace shell;

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
