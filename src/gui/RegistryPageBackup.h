// The Registry page's BackUp/Restore dialog and the worker it last started.
#pragma once

#include "gui/backup/BackupDialog.h"
#include "gui/backup/BackupWorker.h"
#include "ui/Worker.h"

namespace gui {

struct RgBackupState {
    BackupDialog frmBackup;
    ui::WorkerPtr<BackupWorker> backUpThread;  // abandoned (and stopped) when the page goes
};

}  // namespace gui
