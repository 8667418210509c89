#pragma once
// The backup run behind the Backup button and File, Backup.
#include "backup/backup_pipeline.h"
#include "backup/backup_result.h"
#include "inventory/driver_record.h"
#include "support/env.h"
#include "ui/controls.h"

namespace zv {

// Backs up the ticked drivers (each tick asked for when the run reaches the row) and
// returns what it did. The window shows the run's messages; the result tells the rest.
backup::BackupResult cmdBackup_Click(Env& env, MainControls& controls, const IDriverRows& drivers,
                                     const backup::BackupOptions& options = {});

}  // namespace zv
