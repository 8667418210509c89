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

// argv: the split wide command line, the program name first; an argument the ANSI code
// page cannot hold unchanged is refused (exit code 2). handOverFailure: why the 32-bit
// program on 64-bit Windows did not hand over to the 64-bit one ("" where none was tried).
// Returns the exit code.
int RunCommandLine(Platform& os, IConsole& console, const std::vector<std::u16string>& argv,
                   const std::string& handOverFailure = "");

}  // namespace zv::cli
