#pragma once
// The backup run behind the Backup button and File, Backup.
#include "support/env.h"
#include "ui/controls.h"

namespace zv {

void cmdBackup_Click(Env& env, MainControls& controls);

}  // namespace zv
