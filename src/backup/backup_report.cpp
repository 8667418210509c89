#include "backup/backup_report.h"

#include <algorithm>

#include "backup/backup_files.h"
#include "support/csv.h"
#include "support/file_writer.h"
#include "support/text.h"

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
    std::vector<std::string> header;
    for (int c = 0; c < kReportColumns; ++c) header.push_back(ColumnName(static_cast<ReportColumn>(c)));
    std::string text = Line(header);
    ILocale& locale = env.os.locale;
    const std::string prefix = result.root + "\\";
    for (const DriverResult& d : result.drivers) {
        const std::string driver = locale.AnsiToUtf8(d.driver.description);
        const std::string className = locale.AnsiToUtf8(d.driver.className);
        const std::string inf = locale.AnsiToUtf8(d.driver.infName);
        // The folder as the run formed it, so that verify and restore need not form it again.
        const bool below =
            d.folder.size() > prefix.size() && EqualsNoCase(d.folder.substr(0, prefix.size()), prefix);
        const std::string folder = below ? locale.AnsiToUtf8(d.folder.substr(prefix.size())) : "";
        const std::string id = locale.AnsiToUtf8(d.driver.id);
        const std::string signature = d.forecast ? signing::ClassName(d.forecast->cls) : "";
        const std::string after = d.forecast ? d.forecast->reason : "";
        for (const FileResult& f : d.files) {
            const bool copied = f.outcome == FileOutcome::Copied;
            const bool failed = f.outcome == FileOutcome::Failed;
            text += Line({driver, className, inf, locale.AnsiToUtf8(f.file), OutcomeName(f.outcome),
                          locale.AnsiToUtf8(f.source), copied ? std::to_string(f.size) : "",
                          copied ? f.sha256 : "", failed && f.error ? std::to_string(f.error) : "",
                          failed ? locale.AnsiToUtf8(f.errorText) : "", folder, id, signature, after});
        }
    }
    // A row of one field, after the drivers: the report's readers skip a row shorter than
    // the first columns, so older programs read an offline backup's report as any other.
    if (!result.offlineWindows.empty())
        text += Line({locale.AnsiToUtf8(kOfflineWindowsLabel + result.offlineWindows)});
    return text;
}

std::string ReportPath(Env& env, const std::string& root) {
    const std::string plain = root + "\\" + ReportFileNameOf({});
    if (!Exists(env, plain)) return plain;
    ReportFileName name{ReportStamp(env.os.locale.Now()), 1};
    for (; name.n < 1000; ++name.n) {
        const std::string path = root + "\\" + ReportFileNameOf(name);
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
