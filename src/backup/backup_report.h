#pragma once
// The backup report: Zorvane\backup-report.csv in the backup root, written from the
// run's result: one row per file per driver, UTF-8, fields quoted as RFC 4180 says,
// lines ending in CR LF.
#include <string>

#include "backup/backup_result.h"
#include "support/env.h"

namespace zv::backup {

// The report's bytes: the header row, then per driver one line per file, texts turned
// into UTF-8.
[[nodiscard]] std::string ReportText(Env& env, const BackupResult& result);
// Where the report goes: root\backup-report.csv, or, when an earlier run left one there,
// a new dated name beside it, so that no earlier report is ever replaced; "" when even
// the numbered names are all taken.
[[nodiscard]] std::string ReportPath(Env& env, const std::string& root);
// Writes the report into a new file at path: 0, or the Windows error that stopped it.
[[nodiscard]] Dword WriteReport(Env& env, const std::string& path, const BackupResult& result);

}  // namespace zv::backup
