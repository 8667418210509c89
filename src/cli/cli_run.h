#pragma once
// Zorvane.exe with arguments: the list, the backup and the restore for scripts,
// driven through the console front end. No window, no version check, no agreement box.
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/platform.h"
#include "support/env.h"

namespace zv::cli {

// The application values that StartUp sets, for a run that has no StartUp.
[[nodiscard]] AppValues CommandLineAppValues();

// argv: the split command line, the program name first. handOverFailure: why the 32-bit
// program on 64-bit Windows did not hand over to the 64-bit one ("" where none was tried).
// Returns the exit code.
int RunCommandLine(Platform& os, IConsole& console, const std::vector<std::string>& argv,
                   const std::string& handOverFailure = "");

}  // namespace zv::cli
