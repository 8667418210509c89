#pragma once
// The backup report: Zorvane\backup-report.csv in the backup root, one row per file
// per driver, UTF-8, fields quoted as RFC 4180 says, lines ending in CR LF.
#include <string>
#include <vector>

#include "support/env.h"

namespace zv::backup {

inline constexpr const char* kReportName = "backup-report";

struct ReportRow {
    std::string driver;  // description, class and INF name as the list shows them (ANSI)
    std::string className;
    std::string inf;
    std::string file;    // as written, relative to the driver folder
    std::string status;  // "copied", "not found", "unreadable"
    std::string source;  // the path it was copied from last
    std::string size;    // bytes, in decimal; empty for a file not found
    std::string sha256;  // 64 lower-case hex digits; empty for a file not found
};

// The report's bytes: the header row, then one line per row, texts turned into UTF-8.
[[nodiscard]] std::string ReportText(Env& env, const std::vector<ReportRow>& rows);
// Where the report goes: root\backup-report.csv, or, when an earlier run left one there,
// a new dated name beside it, so that no earlier report is ever replaced.
[[nodiscard]] std::string ReportPath(Env& env, const std::string& root);
// Writes the report into a file of a name that did not exist; raises on a failure.
void WriteReport(Env& env, const std::string& root, const std::vector<ReportRow>& rows);

}  // namespace zv::backup
