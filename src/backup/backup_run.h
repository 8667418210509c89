#pragma once
// The backup run behind the Backup button and File, Backup.
#include "ui/controls.h"
#include "support/env.h"

namespace zv {

void cmdBackup_Click(Env& env, MainControls& controls);

}  // namespace zv
