#pragma once
// The backup report's schema, one definition for the backup that writes it and the verify
// and restore that read it back: the file's names, its columns and the outcome names.
#include <string>

#include "platform/locale.h"

namespace zv {

// Zorvane\backup-report.csv; a later run into the same folder writes
// backup-report-<YYYY-MM-DD_HH-MM-SS>[-n].csv beside it, so no report is replaced.
inline constexpr const char* kReportName = "backup-report";

// The columns in file order. Folder and ID came later: reports without them name each
// driver folder only by class and description; older reports lack the forecast's two.
enum ReportColumn {
    kColumnDriver,
    kColumnClass,
    kColumnInf,
    kColumnFile,
    kColumnStatus,
    kColumnSource,
    kColumnSize,
    kColumnSha256,
    kColumnError,
    kColumnErrorText,
    kColumnFolder,        // the driver folder, relative to the Zorvane folder
    kColumnId,            // the driver's class-key instance: "{class guid}\0003"
    kColumnSignature,     // the package's signature class, as the forecast names it
    kColumnAfterInstall,  // the forecast for a clean install: "loads", "will not load: ..."
    kReportColumns
};
// The header's text of a column.
[[nodiscard]] const char* ColumnName(ReportColumn column);
// The last row of an offline backup's report, one field: this, then the other Windows'
// folder, build and architecture. A reader that needs the columns skips it.
inline constexpr const char* kOfflineWindowsLabel = "Backed up from another Windows: ";
// The columns every report has had; a report with fewer is none of ours.
inline constexpr int kFirstReportColumns = kColumnSha256 + 1;

enum class FileOutcome {
    Copied,
    NotFound,  // named by the INF, found nowhere
    Failed,    // the copy (or the folder it goes into) failed: error and errorText say why
};
[[nodiscard]] const char* OutcomeName(FileOutcome outcome);

// What a report's file name tells of its age: no stamp for backup-report.csv, the oldest;
// else the second it was written and its number in that second (1, then 2 for "-2"...).
struct ReportFileName {
    std::string stamp;  // YYYY-MM-DD_HH-MM-SS
    int n = 0;
};
[[nodiscard]] std::string ReportFileNameOf(const ReportFileName& name);
// The parts of a name ReportFileNameOf gives (in any letter case); false for any other name.
[[nodiscard]] bool ParseReportFileName(const std::string& fileName, ReportFileName* name);
[[nodiscard]] std::string ReportStamp(const LocalTime& t);

}  // namespace zv
