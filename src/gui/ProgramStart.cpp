// Program start: the single-instance guard, the main window and the message loop.
#include "gui/ProgramStart.h"

#include "backup/BackupRun.h"
#include "platform/Dialogs.h"
#include "platform/Handles.h"
#include "platform/Processes.h"
#include "platform/ProcessServices.h"
#include "gui/MainWindow.h"
#include "gui/RestartRequest.h"
#include "ui/Worker.h"

namespace gui {

void InitialiseApplication() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES |
                                                        ICC_LINK_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
}

void ReportUnfinishedRestore(HWND owner, const std::string& backupFolder) {
    std::string pointName;
    if (!backup::FindUnfinishedRestore(backupFolder, pointName)) return;
    const std::string which =
        pointName.empty() ? "A restore of a backup point" : "The restore of the backup point " + pointName;
    platform::dialogs::ShowBox(owner,
                               which + " did not finish: Orvelin was ended while it wrote the point back, so the "
                                       "registry may hold only part of it.\r\n\r\nRestore the point again to "
                                       "finish it.",
                               ui::kApplicationTitle, platform::dialogs::BoxKind::Warning);
    backup::ForgetUnfinishedRestore(backupFolder);
}

namespace {

int RunMessageLoop(MainWindow& main) {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (main.PreTranslateMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

constexpr DWORD kWorkerEndWait = 5000;

}  // namespace

// An instance restarted as administrator waits for the one it replaces,
// whose single-instance guard would otherwise turn it away.
static void WaitForPreviousInstance(DWORD processId) {
    if (processId == 0) return;
    constexpr DWORD kPreviousEndWait = 15000;
    const platform::KernelHandle previous(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (previous) WaitForSingleObject(previous.Get(), kPreviousEndWait);
}

int RunOrvelin(int show) {
    InitialiseApplication();
    const RestartRequest restart = ParseRestartArguments(GetCommandLineW());
    WaitForPreviousInstance(restart.previousProcess);
    int exitCode = 0;
    // OLE on this thread and the Protected Storage library, for the program's
    // whole life; released after the workers have ended.
    platform::ProcessServices services;
    {
        platform::processes::NamedMutex instance(kInstanceMutexName);
        if (instance.AlreadyExisted()) {
            platform::dialogs::ShowBox(nullptr, "ORV is already running!", ui::kApplicationTitle,
                                       platform::dialogs::BoxKind::ErrorCancel);
        } else {
            MainWindow main;
            show = main.UseRememberedState(main.Settings().dataFolder + kSettingsFileName, show);
            main.ShowAfterRestart(restart);
            ShowWindow(main.Handle(), show);
            UpdateWindow(main.Handle());
            ReportUnfinishedRestore(main.Handle(), main.BackupFolder());
            exitCode = RunMessageLoop(main);
        }
        // Workers whose window went first end on their own; let them finish
        // before the program's statics go.
        if (!ui::WorkerThread::WaitForAll(kWorkerEndWait)) services.KeepLibrariesLoaded();
        instance.Close();
    }
    return exitCode;
}

}  // namespace gui
