#pragma once
// Zorvane.exe with arguments: the list, the backup and the restore for scripts,
// driven through the console front end. No window, no version check, no agreement box.
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/platform.h"
#include "platform/setup.h"
#include "support/env.h"

namespace zv::cli {

// The application values that StartUp sets, for a run that has no StartUp.
[[nodiscard]] AppValues CommandLineAppValues();

// argv: the split command line, the program name first. Returns the exit code.
int RunCommandLine(Platform& os, RestoreSeams& seams, IConsole& console,
                   const std::vector<std::string>& argv);

}  // namespace zv::cli
