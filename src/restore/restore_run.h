#pragma once
// Putting the drivers of a backup folder back: each INF is staged into the driver
// store and installed on the devices present now whose ids it names. The window's
// File menu and the command line run the same restore; they differ only in the
// controls and message boxes they hand it.
#include <functional>
#include <string>
#include <vector>

#include "support/env.h"
#include "ui/controls.h"

namespace zv::restore {

inline constexpr const char* kReportName = "restore-report.csv";

enum class Outcome { Staged, Installed, AlreadyPresent, Damaged, Failed };

struct Item {
    std::string path;      // full path of the INF in the backup folder
    std::string relative;  // the same, below the chosen folder
    Outcome outcome = Outcome::Failed;
    std::string storedAs;              // the store's name for it, "oemNN.inf" on Windows
    std::vector<std::string> devices;  // hardware ids it was installed for
    Dword error = 0;
    std::string errorText;  // for Damaged: the file that differs from the backup report
    // Staged but installed on no device: why (no device present with its ids, or the
    // device's own driver is as good or newer).
    std::string notInstalled;
    bool rebootNeeded = false;
};

struct Counts {
    int staged = 0, installed = 0, present = 0, damaged = 0, failed = 0;
};

struct Summary {
    std::string folder;  // chosen folder; "" when the browser was cancelled
    bool ran = false;    // false: cancelled, refused or nothing found; nothing was changed
    std::vector<Item> items;
    Counts counts;
    std::string reportPath;
    bool reportWritten = false;
    Dword reportError = 0;
    bool stopped = false;  // ended early through Options::stop
    bool checked = false;  // a backup report was found and the driver folders checked against it
    int unchecked = 0;     // INFs in folders that the report does not list
    bool rebootNeeded = false;
};

struct Options {
    bool confirm = true;  // ask before changing anything (the window); the command line does not
    // After each driver: its number (1-based), the total, and what became of it.
    std::function<void(long, long, const Item&)> onItem;
    // Asked before each driver and at the end: true ends the run there (the window is being
    // closed). The report of what was done is written; no closing message is shown.
    std::function<bool()> stop;
    // Offer to restart Windows at the end when an install asked for it (the window).
    bool offerRestart = true;
    // Why the 32-bit program on 64-bit Windows did not hand over to the 64-bit one (its
    // drivers can then only be staged); "" where no hand-over was tried.
    std::string handOverFailure;
};

// The restore run of File, Restore from backup... and of /restore: asks for the folder
// with the shell's folder browser (the command line's shell answers with its argument),
// then restores it.
Summary Run(Env& env, MainControls& controls, const Options& options);

// The restore of one chosen folder. The driver-store and installer calls run off the
// window's thread (IUi::RunOffThread): an install can take minutes.
Summary RestoreFolder(Env& env, MainControls& controls, const std::string& folder, const Options& options);

[[nodiscard]] const char* OutcomeName(Outcome outcome);
// The system's text for an error, or setupapi's own for the INF errors that FormatMessage
// does not know, or "Unknown error".
[[nodiscard]] std::string ErrorTextOf(Env& env, Dword error);
// Decimal, or 0xE0000100 style for the setupapi and HRESULT ranges.
[[nodiscard]] std::string ErrorNumberText(Dword error);
// The report's text: a header and one row per INF, CRLF line ends, fields quoted as CSV needs.
[[nodiscard]] std::string ReportText(const std::vector<Item>& items);

}  // namespace zv::restore
