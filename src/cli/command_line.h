#pragma once
// The command line of Zorvane.exe: splitting it as Windows programs do, and the
// switches of the scripted list, backup and restore.
#include <string>
#include <vector>

namespace zv::cli {

// Exit codes of the command line.
inline constexpr int kExitDone = 0;
inline constexpr int kExitDoneWithFailures = 1;  // drivers that failed, files that were missing
inline constexpr int kExitBadArguments = 2;
inline constexpr int kExitNothingDone = 3;
// /restore: done, and Windows must restart to finish (ERROR_SUCCESS_REBOOT_REQUIRED).
inline constexpr int kExitRestartNeeded = 3010;
// /verify: 0 every driver intact, 1 damage found, 2 bad arguments, 3 no report found.
inline constexpr int kExitNoReport = 3;
// /check: 0 every driver loads after a clean install, 1 some will not (or may not, or cannot
// be told), 2 bad arguments, 3 no driver found.

enum class Action { Window, Help, List, Backup, Restore, Verify, Check, Accept };

struct Command {
    Action action = Action::Window;
    bool microsoft = false;  // /microsoft: the drivers from Microsoft too
    bool csv = false;        // /csv: the list as comma-separated values
    bool all = false;        // /all: every listed driver (also the default of /backup)
    bool present = false;    // /present: this PC's drivers, as the list's menu selects them
    bool accept = false;     // /accept: record that the agreement was accepted
    std::vector<std::string> ids;
    std::string folder;
    std::string offline;  // /offline: another Windows (its drive's root or Windows folder), not this one
};

struct Parsed {
    Command command;
    std::string error;  // not empty: bad arguments, and what was wrong
};

// The arguments of a command line by the rules of the C run time (CommandLineToArgvW):
// blanks separate, quotes group, 2n backslashes before a quote give n and toggle
// quoting, 2n+1 give n and a literal quote. The program name comes first. Split wide,
// before any conversion: only the ASCII quote, backslash and blanks count.
[[nodiscard]] std::vector<std::u16string> SplitCommandLine(const std::u16string& line);

// Whether the arguments after the program name make a command: only one that starts with
// "/" or "-" does. Anything else (a folder dragged onto the program, a shortcut's
// parameter) opens the window, as no arguments do.
[[nodiscard]] bool IsCommand(const std::vector<std::string>& args);
[[nodiscard]] bool IsCommand(const std::vector<std::u16string>& args);

// The arguments after the program name. No command among them: the window.
[[nodiscard]] Parsed ParseArguments(const std::vector<std::string>& args);

// The usage text of /? (and of bad arguments), CRLF line ends.
[[nodiscard]] std::string UsageText(const std::string& program);

}  // namespace zv::cli
