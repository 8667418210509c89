#pragma once
// What a backup run did: per driver, every file written or looked for, and how the run
// ended. The window, the command line and the report all read it; nothing else tells
// them what happened.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "format/report_schema.h"
#include "inventory/driver_record.h"
#include "platform/types.h"
#include "signing/forecast.h"

namespace zv::backup {

struct FileResult {
    std::string file;    // as written, relative to the driver folder
    std::string source;  // where it was copied from last; "" when not found
    FileOutcome outcome = FileOutcome::Copied;
    Dword error = 0;  // the Windows error of a failure
    std::string errorText;
    std::uint64_t size = 0;  // of a copied file
    std::string sha256;      // of a copied file: 64 lower-case hex digits
};

struct DriverResult {
    DriverRecord driver;
    std::string folder;  // the driver folder; "" when the run stopped before forming it
    std::vector<FileResult> files;
    bool complete = false;  // the run got past it: all its steps ran
    // Whether the package as backed up loads after a clean install; none when the run
    // stopped before the driver's files were all copied.
    std::optional<signing::Forecast> forecast;

    [[nodiscard]] int count(FileOutcome outcome) const;
};

enum class RunEnd {
    Refused,    // no ticked driver: nothing was asked or done
    Cancelled,  // the folder browser was cancelled
    Completed,  // "Backup successfully created."
    Stopped,    // a numbered step failed and the error reporter was shown
};

struct BackupResult {
    RunEnd end = RunEnd::Refused;
    std::string root;  // the backup root, once formed
    std::vector<DriverResult> drivers;
    // Stopped: the failing statement's line and the error as the reporter was given it.
    int line = 0;
    Long errorNumber = 0;
    std::string errorDescription;
    // The report: its path once written; else the reason it could not be.
    std::string reportPath;
    Dword reportError = 0;
    std::string reportErrorText;
    // Not empty: the program or the script that restores the backup is missing from it.
    std::string selfRestoreFailed;
    // Not empty: the drivers are another Windows' ("D:\Windows, build 19045, amd64").
    std::string offlineWindows;

    [[nodiscard]] int count(FileOutcome outcome) const;
};

}  // namespace zv::backup
