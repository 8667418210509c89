#include "backup/backup_report.h"

#include <algorithm>
#include <cstdio>

#include "backup/backup_files.h"
#include "support/csv.h"
#include "support/file_writer.h"

namespace zv::backup {
namespace {

bool Exists(Env& env, const std::string& path) {
    RedirectionOff off(env.os.files);
    return env.os.files.GetFileAttributes(path) != kInvalidFileAttributes;
}

std::string Line(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) line += ',';
        line += CsvField(fields[i], EdgeBlanks::Quoted);
    }
    line += "\r\n";
    return line;
}

}  // namespace

std::string ReportText(Env& env, const BackupResult& result) {
    std::string text = Line(
        {"Driver", "Class", "INF", "File", "Status", "Source", "Size", "SHA-256", "Error", "Error text"});
    ILocale& locale = env.os.locale;
    for (const DriverResult& d : result.drivers) {
        const std::string driver = locale.AnsiToUtf8(d.driver.description);
        const std::string className = locale.AnsiToUtf8(d.driver.className);
        const std::string inf = locale.AnsiToUtf8(d.driver.infName);
        for (const FileResult& f : d.files) {
            const bool copied = f.outcome == FileOutcome::Copied;
            const bool failed = f.outcome == FileOutcome::Failed;
            text += Line({driver, className, inf, locale.AnsiToUtf8(f.file), OutcomeName(f.outcome),
                          locale.AnsiToUtf8(f.source), copied ? std::to_string(f.size) : "",
                          copied ? f.sha256 : "", failed && f.error ? std::to_string(f.error) : "",
                          failed ? locale.AnsiToUtf8(f.errorText) : ""});
        }
    }
    return text;
}

std::string ReportPath(Env& env, const std::string& root) {
    const std::string plain = root + "\\" + kReportName + ".csv";
    if (!Exists(env, plain)) return plain;
    const LocalTime t = env.os.locale.Now();
    char stamp[32] = {};
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d_%02d-%02d-%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    const std::string dated = root + "\\" + kReportName + "-" + stamp;
    if (!Exists(env, dated + ".csv")) return dated + ".csv";
    for (int n = 2; n < 1000; ++n) {
        const std::string path = dated + "-" + std::to_string(n) + ".csv";
        if (!Exists(env, path)) return path;
    }
    return "";
}

Dword WriteReport(Env& env, const std::string& path, const BackupResult& result) {
    if (path.empty()) return kErrorFileExists;
    const std::string text = ReportText(env, result);
    RedirectionOff off(env.os.files);
    return WriteWholeFile(env.os.files, path, text);
}

}  // namespace zv::backup
