#include "backup/backup_run.h"

namespace zv {

void cmdBackup_Click(Env&, MainControls&) {}

}  // namespace zv
