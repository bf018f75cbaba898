// Opens Orvelin's main window on a chosen page and starts the page's first
// command, so the demo's screenshot shows that page at work:
//   orvdemo_tour.exe registry   the Registry page after a scan of every section
#include "shell/MainUnit.h"
#include "shell/ProgramStart.h"
#include "ui/Worker.h"

#include <cstring>

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
