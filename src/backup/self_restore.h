#pragma once
// A backup that restores itself: beside the driver folders, a copy of the program and
// "Restore drivers.cmd", which runs that copy's /restore on its own folder.
#include <string>

#include "support/env.h"
#include "support/identity.h"

namespace zv::backup {

inline constexpr const char* kProgramCopyName = kProgramFileName;
inline constexpr const char* kRestoreScriptName = "Restore drivers.cmd";

// The script's text, CRLF line ends.
[[nodiscard]] std::string RestoreScriptText();

struct SelfRestore {
    bool ok = true;
    std::string failed;  // the file that could not be written, and why
};

// Writes both into root (the backup's Zorvane folder); each only when what is there
// differs, so that a second backup into the same folder rewrites nothing. Never raises.
[[nodiscard]] SelfRestore WriteSelfRestore(Env& env, const std::string& root);

}  // namespace zv::backup
