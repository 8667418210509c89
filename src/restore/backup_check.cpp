#include "restore/backup_check.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

#include "format/folder_names.h"
#include "format/report_schema.h"
#include "signing/package_files.h"
#include "support/csv.h"
#include "support/identity.h"
#include "support/paths.h"
#include "support/text.h"

namespace zv::restore {
namespace {

// A report lists every file of every driver; a few thousand rows at most.
constexpr std::uint64_t kReportLimit = 64u << 20;

struct ReportName {
    std::string name;
    ReportFileName parts;
};

bool Newer(const ReportName& a, const ReportName& b) {
    return a.parts.stamp != b.parts.stamp ? a.parts.stamp > b.parts.stamp : a.parts.n > b.parts.n;
}

// The reports in root, newest first.
std::vector<ReportName> ReportsIn(Env& env, const std::string& root) {
    std::vector<FindEntry> entries;
    std::vector<ReportName> names;
    if (!env.os.files.FindFiles(root + "\\" + kReportName + "*.csv", &entries)) return names;
    for (const FindEntry& e : entries) {
        ReportName r{e.name, {}};
        if (!(e.attributes & kFileAttributeDirectory) && ParseReportFileName(e.name, &r.parts))
            names.push_back(r);
    }
    std::sort(names.begin(), names.end(), Newer);
    return names;
}

// A name from the report that stays inside its driver folder: package files may lie in
// sub-folders, but no part may be empty, a drive, a stream or "..".
bool StaysInside(const std::string& name) {
    if (name.empty() || name.find_first_of(":/") != std::string::npos) return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = name.find('\\', start);
        const std::string part =
            name.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!IsPlainName(part)) return false;
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

bool ParseSize(const std::string& text, std::uint64_t* size) {
    if (text.empty() || text.size() > 19 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    *size = std::strtoull(text.c_str(), nullptr, 10);
    return true;
}

std::string Ansi(Env& env, const std::string& utf8, bool* ok) {
    std::string out;
    if (!env.os.locale.Utf8ToAnsi(utf8, &out)) *ok = false;
    return out;
}

// The driver folder a row names: its Folder column where the report has one (the folder
// as the backup formed it), else formed again from class and description as the backup
// forms it. False when the report's folder would leave the backup.
bool FolderOfRow(Env& env, const std::string& root, const std::vector<std::string>& row, bool hasFolder,
                 std::string* folder, bool* ok) {
    if (hasFolder && row.size() > kColumnFolder && !row[kColumnFolder].empty()) {
        const std::string relative = Ansi(env, row[kColumnFolder], ok);
        *folder = root + "\\" + (*ok ? relative : row[kColumnFolder]);
        return *ok && StaysInside(relative);
    }
    const std::string className = Ansi(env, row[kColumnClass], ok);
    const std::string description = Ansi(env, row[kColumnDriver], ok);
    *folder = DriverFolderPath(env, root, className, description);
    return true;
}

// Adds the drivers of one report that no newer report described.
bool ReadOne(Env& env, const std::string& root, const std::string& path, std::vector<ExpectedDriver>* drivers,
             std::size_t newerCount) {
    std::string text;
    if (!env.os.data.ReadWholeFile(path, kReportLimit, &text)) return false;
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    const std::vector<std::vector<std::string>> rows = CsvRows(text);
    if (rows.empty() || rows.front().size() < kFirstReportColumns ||
        rows.front()[kColumnSha256] != ColumnName(kColumnSha256))
        return false;
    const std::vector<std::string>& header = rows.front();
    const bool hasFolder =
        header.size() > kColumnFolder && header[kColumnFolder] == ColumnName(kColumnFolder);
    const bool hasId = header.size() > kColumnId && header[kColumnId] == ColumnName(kColumnId);
    const bool hasForecast = header.size() > kColumnAfterInstall &&
                             header[kColumnSignature] == ColumnName(kColumnSignature) &&
                             header[kColumnAfterInstall] == ColumnName(kColumnAfterInstall);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const std::vector<std::string>& row = rows[r];
        if (row.size() < kFirstReportColumns) continue;
        bool ok = true;
        std::string folder;
        const bool inside = FolderOfRow(env, root, row, hasFolder, &folder, &ok);
        const auto sameFolder = [&](const ExpectedDriver& d) { return EqualsNoCase(d.folder, folder); };
        const auto firstOfThis = drivers->begin() + static_cast<std::ptrdiff_t>(newerCount);
        if (std::any_of(drivers->begin(), firstOfThis, sameFolder)) continue;
        auto found = std::find_if(firstOfThis, drivers->end(), sameFolder);
        if (found == drivers->end()) {
            ExpectedDriver d;
            d.label = folder.substr(root.size() + 1);
            d.folder = folder;
            drivers->push_back(d);
            found = drivers->end() - 1;
        }
        ExpectedDriver& driver = *found;
        if (hasId && row.size() > kColumnId && !row[kColumnId].empty() &&
            std::find(driver.ids.begin(), driver.ids.end(), row[kColumnId]) == driver.ids.end())
            driver.ids.push_back(row[kColumnId]);
        bool infOk = true;
        if (driver.inf.empty()) driver.inf = Ansi(env, row[kColumnInf], &infOk);
        if (hasForecast && row.size() > kColumnAfterInstall && driver.afterInstall.empty()) {
            driver.signature = row[kColumnSignature];
            driver.afterInstall = row[kColumnAfterInstall];
        }
        // Only what was copied has a size and hash to hold the folder to.
        if (row[kColumnStatus] != OutcomeName(FileOutcome::Copied)) continue;
        ExpectedFile f;
        f.name = Ansi(env, row[kColumnFile], &ok);
        f.sha256 = ToLower(row[kColumnSha256]);
        f.nameOk = ok && inside && StaysInside(f.name) && ParseSize(row[kColumnSize], &f.size) &&
                   f.sha256.size() == 64;
        if (!ok) f.name = row[kColumnFile];
        // Two drivers of one description share a folder: the later copy of a file is what is there.
        auto same = std::find_if(driver.files.begin(), driver.files.end(),
                                 [&](const ExpectedFile& e) { return EqualsNoCase(e.name, f.name); });
        if (same != driver.files.end())
            *same = f;
        else
            driver.files.push_back(f);
    }
    return true;
}

}  // namespace

bool ReadBackupReport(Env& env, const std::string& chosen, BackupReport* report) {
    const std::string folder = WithoutTrailingSeparator(chosen);
    for (const std::string& root : {folder, JoinPath(folder, kBackupFolderName)}) {
        BackupReport r;
        r.root = root;
        for (const ReportName& name : ReportsIn(env, root)) {
            const std::string path = root + "\\" + name.name;
            if (ReadOne(env, root, path, &r.drivers, r.drivers.size())) r.paths.push_back(path);
        }
        if (r.paths.empty()) continue;
        *report = std::move(r);
        return true;
    }
    return false;
}

const ExpectedDriver* DriverHolding(const BackupReport& report, const std::string& folder) {
    const ExpectedDriver* best = nullptr;
    for (const ExpectedDriver& d : report.drivers) {
        const bool holds = EqualsNoCase(d.folder, folder) ||
                           (folder.size() > d.folder.size() && folder[d.folder.size()] == '\\' &&
                            EqualsNoCase(folder.substr(0, d.folder.size()), d.folder));
        if (holds && (!best || d.folder.size() > best->folder.size())) best = &d;
    }
    return best;
}

bool FindBackupReport(Env& env, const std::string& folder, BackupReport* report) {
    std::string at = WithoutTrailingSeparator(folder);
    for (int up = 0; up < 3 && !at.empty(); ++up) {
        if (ReadBackupReport(env, at, report)) return true;
        at = FolderOf(at);
        if (at.size() < 3) break;  // the drive ("D:") or a share's start is not looked in
    }
    return false;
}

DriverCheck CheckDriver(Env& env, const ExpectedDriver& driver) {
    DriverCheck c{driver.label, driver.folder, 0, {}, {}};
    for (const ExpectedFile& f : driver.files) {
        ++c.files;
        if (!f.nameOk) {
            c.changed.push_back(f.name);
            continue;
        }
        const std::string path = driver.folder + "\\" + f.name;
        std::uint64_t size = 0;
        if (env.os.files.GetFileAttributes(path) == kInvalidFileAttributes) {
            c.missing.push_back(f.name);
            continue;
        }
        std::string sha;
        // The size first: a half-copied file is found without reading it.
        if (!env.os.files.GetFileSize(path, &size) || size != f.size || !env.os.data.Sha256File(path, &sha) ||
            sha != f.sha256)
            c.changed.push_back(f.name);
    }
    return c;
}

DriverForecast ForecastOf(Env& env, const ExpectedDriver& d) {
    if (!d.afterInstall.empty()) return {d.signature, d.afterInstall};
    const signing::Forecast f = signing::BackedUpForecast(env, d.folder, d.inf, signing::CleanWindows11());
    return {signing::ClassName(f.cls), f.reason};
}

std::string NotLoadingLine(const ExpectedDriver& d, const DriverForecast& f) {
    const std::string why = signing::WhyItWillNotLoad(f.afterInstall);
    return why.empty() ? ""
                       : d.label + ": will not load after a clean install: " + why + " (" + f.signature + ")";
}

std::string CheckLine(const DriverCheck& c) {
    if (c.intact())
        return c.label + ": intact, " + std::to_string(c.files) + (c.files == 1 ? " file" : " files");
    std::string line = c.label + ": damaged";
    for (const std::string& f : c.changed) line += ", " + f + " changed";
    for (const std::string& f : c.missing) line += ", " + f + " missing";
    return line;
}

std::string DamageText(const DriverCheck& c) {
    if (!c.changed.empty()) return c.changed.front() + " differs from the backup report";
    if (!c.missing.empty()) return c.missing.front() + " is missing";
    return "";
}

void VerifyChosenFolder(Env& env, MainControls& c) {
    IUi& ui = env.os.ui;
    const std::optional<std::string> folder = env.os.shell.BrowseForFolder(
        c.form.handle(), "Select the backup folder to verify.", kBifReturnOnlyFsDirs);
    if (!folder || folder->empty()) return;
    c.form.setMousePointer(kPointerHourglass);
    BackupReport report;
    if (!ReadBackupReport(env, *folder, &report)) {
        c.form.setMousePointer(kPointerDefault);
        ui.MessageBox("No backup report was found in " + *folder + ", so the backup cannot be checked.",
                      "Verify backup", kMbIconExclamation);
        return;
    }
    const long total = static_cast<long>(report.drivers.size());
    c.pbBar.setMax(total > 0 ? total : 1);
    c.pbBar.setValue(0);
    std::string intactLines, damagedLines, notLoadingLines;
    int intact = 0, damaged = 0;
    for (long n = 1; n <= total; ++n) {
        const ExpectedDriver& d = report.drivers[static_cast<std::size_t>(n - 1)];
        c.Status.setSimpleText("Checking driver " + std::to_string(n) + " of " + std::to_string(total) +
                               ": " + d.label);
        ui.DoEvents();
        const DriverCheck check = CheckDriver(env, d);
        (check.intact() ? intactLines : damagedLines) += CheckLine(check) + "\r\n";
        (check.intact() ? intact : damaged)++;
        if (const std::string line = NotLoadingLine(d, ForecastOf(env, d)); !line.empty())
            notLoadingLines += line + "\r\n";
        c.pbBar.setValue(n);
    }
    c.Status.setSimpleText("Verify finished.");
    c.form.setMousePointer(kPointerDefault);
    // Damage first: a long list of intact drivers must not hide it.
    const std::string text = std::to_string(total) + " drivers checked in " + report.root + ": " +
                             std::to_string(intact) + " intact, " + std::to_string(damaged) +
                             " damaged.\r\n\r\n" + damagedLines + notLoadingLines + intactLines;
    ui.MessageBox(text, "Verify backup", damaged > 0 ? kMbIconExclamation : kMbIconInformation);
}

}  // namespace zv::restore
