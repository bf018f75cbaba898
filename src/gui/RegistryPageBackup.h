// The Registry page's BackUp/Restore dialog and the worker it last started.
#pragma once

#include "shell/backup/Backup.h"
#include "shell/backup/BackUpThread.h"
#include "ui/Worker.h"

namespace shell {

struct RgBackupState {
    TfrmBackup frmBackup;
    ui::WorkerPtr<TBackUpThread> backUpThread;  // abandoned (and stopped) when the page goes
};

}  // namespace shell
