#pragma once
// The backup run behind the Backup button, File, Backup and /backup.
#include "backup/backup_pipeline.h"
#include "backup/backup_result.h"
#include "inventory/driver_record.h"
#include "support/env.h"
#include "ui/controls.h"

namespace zv::backup {

// Backs up the ticked drivers (each tick asked for when the run reaches the row) and
// returns what it did. The window shows the run's messages; the result tells the rest.
BackupResult Run(Env& env, MainControls& controls, const IDriverRows& drivers,
                 const BackupOptions& options = {});

}  // namespace zv::backup
