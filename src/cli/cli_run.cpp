#include "cli/cli_run.h"

#include <algorithm>
#include <cstdio>

#include "app/other_windows.h"
#include "backup/backup_result.h"
#include "backup/backup_run.h"
#include "backup/installed_forecast.h"
#include "cli/command_line.h"
#include "cli/console_front.h"
#include "hive/offline_platform.h"
#include "hive/offline_windows.h"
#include "inventory/ReadDrivers.h"
#include "inventory/driver_selection.h"
#include "restore/backup_check.h"
#include "restore/restore_run.h"
#include "support/csv.h"
#include "support/identity.h"
#include "support/md_Usefull.h"
#include "support/paths.h"
#include "support/text.h"

namespace zv::cli {
namespace {

constexpr const char* kHeaders[kRecordColumns] = {"Description", "Default", "Provider", "ID",     "Class",
                                                  "Inf Path",    "Version", "Date",     "Device", "Present"};

// One console front end: its controls, message boxes, folder browser and the platform
// the runs see through them.
struct Front {
    Front(Platform& real, IConsole& console, const std::string& folder, bool microsoft)
        : ui(console),
          shell(folder),
          check(microsoft),
          os{real.registry, real.profile, real.system, real.files,   real.internet,  shell, ui,
             real.setup,    real.data,    real.locale, real.devices, real.signatures} {}

    ConsoleUi ui;
    ConsoleShell shell;
    NoWindow form;
    NoRows list;
    FixedCheckBox check;
    ConsoleBar bar;
    TextStatus status;
    MainControls controls{form, list, check, bar, status};
    Platform os;
    ModError::Reporter errors{ui};
    AppValues app = CommandLineAppValues();
    Env env{os, errors, app};
};

bool Accepted(Env& env) {
    return md_Usefull::GetString(env, kHkeyCurrentUser, kSettingsKey, kAgreementValue) != "";
}

std::string ListText(const std::vector<DriverRecord>& drivers, bool csv) {
    std::vector<std::vector<std::string>> table;
    table.emplace_back(std::begin(kHeaders), std::end(kHeaders));
    for (const DriverRecord& r : drivers) table.push_back(CellsOf(r));
    std::string out;
    if (csv) {
        for (const auto& row : table) {
            for (std::size_t k = 0; k < row.size(); ++k) {
                if (k) out += ',';
                out += CsvField(row[k], EdgeBlanks::Bare);
            }
            out += "\r\n";
        }
        return out;
    }
    std::size_t width[kRecordColumns] = {};
    for (const auto& row : table)
        for (std::size_t k = 0; k < kRecordColumns; ++k) width[k] = std::max(width[k], row[k].size());
    for (const auto& row : table) {
        std::string line;
        for (std::size_t k = 0; k < kRecordColumns; ++k) {
            line += row[k];
            if (k + 1 < kRecordColumns) line += std::string(width[k] - row[k].size() + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\r\n";
    }
    return out;
}

// Creates the folder and the missing ones above it. False sets error.
bool MakeFolders(IFileSystem& files, const std::string& path, Dword* error) {
    const Dword a = files.GetFileAttributes(path);
    if (a != kInvalidFileAttributes) {
        if (a & kFileAttributeDirectory) return true;
        *error = kErrorAlreadyExists;
        return false;
    }
    const std::string parent = ParentFolder(path);
    if (!parent.empty() && parent != path && !MakeFolders(files, parent, error)) return false;
    if (files.CreateDirectory(path)) return true;
    *error = files.GetLastError();
    return false;
}

int Fail(IConsole& console, int code, const std::string& text) {
    (void)console.Write(ConsoleStream::Err, text + "\r\n");
    return code;
}

// A refused argument as the message names it: what the code page holds as it is, and each
// character it lacks as <U+XXXX>, which any code page can print.
std::string Named(ILocale& locale, const std::u16string& arg) {
    std::string out;
    for (std::size_t i = 0; i < arg.size();) {
        const bool pair = arg[i] >= 0xD800 && arg[i] < 0xDC00 && i + 1 < arg.size() && arg[i + 1] >= 0xDC00 &&
                          arg[i + 1] < 0xE000;
        const std::u16string one = arg.substr(i, pair ? 2 : 1);
        i += one.size();
        std::string ansi;
        if (locale.Utf16ToAnsi(one, &ansi)) {
            out += ansi;
            continue;
        }
        const unsigned code = pair ? 0x10000u + ((one[0] - 0xD800u) << 10) + (one[1] - 0xDC00u) : one[0];
        char hex[16];
        std::snprintf(hex, sizeof hex, "<U+%04X>", code);
        out += hex;
    }
    return out;
}

std::string DriverLine(const backup::DriverResult& d, long number, long ticked) {
    std::string line = std::to_string(number) + "/" + std::to_string(ticked) + " " + d.driver.description +
                       ": " + std::to_string(d.count(FileOutcome::Copied)) + " files, " +
                       std::to_string(d.count(FileOutcome::NotFound)) + " missing";
    if (const int failed = d.count(FileOutcome::Failed)) line += ", " + std::to_string(failed) + " failed";
    return line + "\r\n";
}

// The other Windows of /offline, opened; false when it is none or its hives cannot serve,
// with the message written and *code set. Nothing on its disk is written.
bool OpenOffline(Platform& os, IConsole& console, const Command& c, hive::OfflineWindows* windows,
                 int* code) {
    const std::string folder = console.FullPathName(c.offline);
    if (folder.empty()) {
        *code = Fail(console, kExitBadArguments, "The folder name " + c.offline + " is not valid.");
        return false;
    }
    const hive::OfflineStatus status =
        hive::OpenOfflineWindows(os.files, os.data, os.locale, folder, windows);
    if (status != hive::OfflineStatus::kOk) {
        *code =
            Fail(console, status == hive::OfflineStatus::kNotAWindows ? kExitBadArguments : kExitNothingDone,
                 windows->message);
        return false;
    }
    if (windows->dirty())
        (void)console.Write(
            ConsoleStream::Err,
            "Note: " + DirtyHiveText(*windows, c.action == Action::List ? "the list is" : "the drivers are") +
                "\r\n");
    return true;
}

void NoteDroppedNames(IConsole& console, const hive::OfflineWindows& windows) {
    if (const std::string text = DroppedNamesText(windows); !text.empty())
        (void)console.Write(ConsoleStream::Err, "Note: " + text + "\r\n");
}

// /list /offline: the drivers of the other Windows' SYSTEM hive, listed as the live ones are.
int RunOfflineList(Platform& os, IConsole& console, const Command& c) {
    hive::OfflineWindows windows;
    int code = 0;
    if (!OpenOffline(os, console, c, &windows, &code)) return code;
    OfflinePlatform offline(os, windows);
    Front f(offline.os, console, "", c.microsoft);
    const std::string text = ListText(OfflineDrivers(f.env, f.check, c.microsoft), c.csv);
    NoteDroppedNames(console, windows);
    return console.Write(ConsoleStream::Out, text) ? kExitDone : kExitNothingDone;
}

int RunBackupCommand(Front& f, IConsole& console, const Command& c, const std::string& folder,
                     const std::string& offlineWindows = "") {
    Env& env = f.env;
    const std::vector<DriverRecord> listed =
        offlineWindows.empty() ? ListDrivers(env, f.check) : OfflineDrivers(env, f.check, c.microsoft);
    std::vector<FixedDriverRows::Row> rows;
    for (const DriverRecord& r : listed) rows.push_back({r, c.all});
    std::vector<std::string> unmatched;
    for (const std::string& id : c.ids) {
        bool found = false;
        for (FixedDriverRows::Row& r : rows)
            if (EqualsNoCase(r.record.id, id)) r.ticked = found = true;
        if (!found) unmatched.push_back(id);
    }
    if (!unmatched.empty()) {
        std::string text = "No listed driver has the id";
        for (const std::string& id : unmatched) text += " " + id;
        text += ".";
        if (!c.microsoft) text += " Drivers from Microsoft are listed only with /microsoft.";
        return Fail(console, kExitBadArguments, text + "\r\nThe ids are those that /list prints.");
    }
    if (c.present) {
        // This PC's drivers, together with the rows of any /id.
        const std::vector<bool> picked = ThisPcsDrivers(listed);
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (picked[i]) rows[i].ticked = true;
    }
    if (std::none_of(rows.begin(), rows.end(), [](const FixedDriverRows::Row& r) { return r.ticked; }))
        return Fail(console, kExitNothingDone,
                    c.present && !rows.empty()
                        ? "No listed driver is used by a device present now, so there is nothing to back up."
                        : "No driver is listed, so there is nothing to back up.");

    // A package only the store knows is copied by the run after the drivers, outside its steps.
    backup::BackupOptions options;
    std::vector<FixedDriverRows::Row> drivers;
    for (FixedDriverRows::Row& r : rows) {
        if (r.record.storePackage.empty())
            drivers.push_back(std::move(r));
        else if (r.ticked)
            options.storePackages.push_back(std::move(r.record));
    }
    if (std::none_of(drivers.begin(), drivers.end(), [](const FixedDriverRows::Row& r) { return r.ticked; }))
        return Fail(console, kExitBadArguments,
                    "A package only the driver store holds is backed up together with the drivers: add /all "
                    "or the /id of a listed driver.");

    Dword error = 0;
    if (!MakeFolders(env.os.files, folder, &error))
        return Fail(console, kExitNothingDone,
                    "The folder " + folder + " cannot be created: " + restore::ErrorTextOf(env, error));

    options.offlineWindows = offlineWindows;
    options.onDriver = [&](const backup::DriverResult& d, long number, long ticked) {
        (void)console.Write(ConsoleStream::Out, DriverLine(d, number, ticked));
    };
    const backup::BackupResult result =
        backup::Run(env, f.controls, FixedDriverRows(std::move(drivers)), options);

    if (!result.reportPath.empty()) {
        (void)console.Write(ConsoleStream::Out, "The report is " + result.reportPath + "\r\n");
    } else if (result.reportError != 0) {
        (void)console.Write(ConsoleStream::Err,
                            "The report could not be written: " + result.reportErrorText +
                                "\r\nWithout it the backup cannot be checked before a restore: do not "
                                "restore from it, make room and back up again.\r\n");
    }
    const bool shortfall = result.count(FileOutcome::NotFound) > 0 || result.count(FileOutcome::Failed) > 0 ||
                           (!result.drivers.empty() && result.reportPath.empty()) ||
                           !result.selfRestoreFailed.empty();
    if (result.end != backup::RunEnd::Completed) {
        const auto done = std::count_if(result.drivers.begin(), result.drivers.end(),
                                        [](const backup::DriverResult& d) { return d.complete; });
        if (done == 0) return Fail(console, kExitNothingDone, "Nothing was backed up.");
        (void)console.Write(ConsoleStream::Out, "The backup stopped after " + std::to_string(done) +
                                                    " drivers; what was copied is in " + result.root +
                                                    "\r\n");
        return kExitDoneWithFailures;
    }
    (void)console.Write(ConsoleStream::Out, "The backup is in " + result.root + "\r\n");
    if (!offlineWindows.empty())
        (void)console.Write(ConsoleStream::Out, "Its drivers are those of " + offlineWindows + "\r\n");
    return shortfall ? kExitDoneWithFailures : kExitDone;
}

int RunRestoreCommand(Front& f, IConsole& console, const std::string& folder,
                      const std::string& handOverFailure) {
    const Dword a = f.env.os.files.GetFileAttributes(folder);
    if (a == kInvalidFileAttributes || !(a & kFileAttributeDirectory))
        return Fail(console, kExitBadArguments, "The folder " + folder + " does not exist.");
    restore::Options options;
    options.confirm = false;
    options.offerRestart = false;
    options.handOverFailure = handOverFailure;
    options.onItem = [&](long n, long total, const restore::Item& item) {
        std::string line = std::to_string(n) + "/" + std::to_string(total) + " " + item.relative + ": " +
                           restore::OutcomeName(item.outcome);
        if (item.outcome == restore::Outcome::Failed)
            line += ", error " + restore::ErrorNumberText(item.error) + ": " + item.errorText;
        else if (!item.storedAs.empty())
            line += " as " + item.storedAs;
        for (const std::string& d : item.devices) line += ", on " + d;
        (void)console.Write(ConsoleStream::Out, line + "\r\n");
    };
    const restore::Summary s = restore::Run(f.env, f.controls, options);
    if (!s.ran) return kExitNothingDone;
    if (s.counts.failed > 0 || s.counts.damaged > 0 || !s.reportWritten) return kExitDoneWithFailures;
    return s.rebootNeeded ? kExitRestartNeeded : kExitDone;
}

int RunVerifyCommand(Front& f, IConsole& console, const std::string& folder) {
    const Dword a = f.env.os.files.GetFileAttributes(folder);
    if (a == kInvalidFileAttributes || !(a & kFileAttributeDirectory))
        return Fail(console, kExitBadArguments, "The folder " + folder + " does not exist.");
    restore::BackupReport report;
    if (!restore::ReadBackupReport(f.env, folder, &report))
        return Fail(console, kExitNoReport, "No backup report was found in " + folder + ".");
    (void)console.Write(ConsoleStream::Out, "Checking " + report.root + " against " + report.paths.front() +
                                                (report.paths.size() > 1 ? " and earlier reports" : "") +
                                                "\r\n");
    int intact = 0, damaged = 0;
    std::string notLoading;
    for (const restore::ExpectedDriver& d : report.drivers) {
        const restore::DriverCheck c = restore::CheckDriver(f.env, d);
        (c.intact() ? intact : damaged)++;
        (void)console.Write(ConsoleStream::Out, restore::CheckLine(c) + "\r\n");
        if (const std::string line = restore::NotLoadingLine(d, restore::ForecastOf(f.env, d)); !line.empty())
            notLoading += line + "\r\n";
    }
    // Intact is not enough: these are whole and still will not load on a clean Windows.
    (void)console.Write(ConsoleStream::Out, notLoading);
    (void)console.Write(ConsoleStream::Out, std::to_string(intact + damaged) +
                                                " drivers checked: " + std::to_string(intact) + " intact, " +
                                                std::to_string(damaged) + " damaged.\r\n");
    return damaged > 0 ? kExitDoneWithFailures : kExitDone;
}

// The drivers of a backup: the forecast its report holds, or one made from each driver
// folder's files for a report from before the forecast.
int RunCheckBackup(Front& f, IConsole& console, const std::string& folder) {
    const Dword a = f.env.os.files.GetFileAttributes(folder);
    if (a == kInvalidFileAttributes || !(a & kFileAttributeDirectory))
        return Fail(console, kExitBadArguments, "The folder " + folder + " does not exist.");
    restore::BackupReport report;
    if (!restore::ReadBackupReport(f.env, folder, &report) || report.drivers.empty())
        return Fail(console, kExitNothingDone,
                    "No backup report was found in " + folder + ", so there is nothing to check.");
    const signing::Target target = signing::CleanWindows11();
    (void)console.Write(ConsoleStream::Out, "After " + target.name + ":\r\n");
    int good = 0, bad = 0;
    for (const restore::ExpectedDriver& d : report.drivers) {
        const restore::DriverForecast forecast = restore::ForecastOf(f.env, d);
        (forecast.afterInstall == "loads" || forecast.afterInstall.rfind("not needed", 0) == 0 ? good
                                                                                               : bad)++;
        (void)console.Write(ConsoleStream::Out,
                            d.label + ": " + forecast.signature + ", " + forecast.afterInstall + "\r\n");
    }
    (void)console.Write(ConsoleStream::Out, std::to_string(good + bad) +
                                                " drivers checked: " + std::to_string(good) + " load, " +
                                                std::to_string(bad) + " will not or may not.\r\n");
    return bad > 0 ? kExitDoneWithFailures : kExitDone;
}

// This PC's drivers, as the list's menu selects them, and whether each loads after a clean install.
int RunCheckCommand(Front& f, IConsole& console) {
    const std::vector<DriverRecord> listed = ListDrivers(f.env, f.check);
    const std::vector<bool> picked = ThisPcsDrivers(listed);
    std::vector<DriverRecord> drivers;
    for (std::size_t i = 0; i < listed.size(); ++i)
        if (picked[i]) drivers.push_back(listed[i]);
    if (drivers.empty())
        return Fail(console, kExitNothingDone,
                    "No driver of this PC was found, so there is nothing to check.");
    const signing::Target target = signing::CleanWindows11();
    const std::optional<signing::Target> here = backup::ThisWindows(f.env);
    (void)console.Write(ConsoleStream::Out, "After " + target.name + ":\r\n");
    int good = 0, bad = 0;
    for (const backup::InstalledDriver& installed : backup::ReadInstalled(f.env, drivers)) {
        const signing::Forecast d = backup::ForecastOf(installed, target);
        (d.verdict == signing::Verdict::kLoads || d.verdict == signing::Verdict::kNotNeeded ? good : bad)++;
        std::string line = installed.driver.className + "\\" + installed.driver.description + ": " +
                           signing::ClassName(d.cls) + ", " + d.reason;
        // A driver that works now and will not after the reinstall is the surprise to warn of.
        if (here && backup::ForecastOf(installed, *here).reason != d.reason)
            line += " (this Windows: " + backup::ForecastOf(installed, *here).reason + ")";
        (void)console.Write(ConsoleStream::Out, line + "\r\n");
    }
    (void)console.Write(ConsoleStream::Out, std::to_string(good + bad) +
                                                " drivers checked: " + std::to_string(good) + " load, " +
                                                std::to_string(bad) + " will not or may not.\r\n");
    return bad > 0 ? kExitDoneWithFailures : kExitDone;
}

}  // namespace

AppValues CommandLineAppValues() {
    return AppValues{kProductName, kProgramVersion, kSettingsKey, ""};
}

int RunCommandLine(Platform& os, IConsole& console, const std::vector<std::u16string>& wide,
                   const std::string& handOverFailure) {
    // Every argument reaches the "A" calls in the ANSI code page, and only unchanged: its
    // best-fit form would turn a full-width quote into a quote (one argument into switches
    // of an elevated program) and a full-width backslash into a way out of the folder. The
    // program's own name is only shown, in its display form.
    std::vector<std::string> argv;
    for (std::size_t k = 0; k < wide.size(); ++k) {
        std::string ansi;
        if (!os.locale.Utf16ToAnsi(wide[k], &ansi) && k > 0)
            return Fail(console, kExitBadArguments,
                        "Error: The argument " + Named(os.locale, wide[k]) +
                            " is not used: this Windows' code page cannot hold the characters shown as "
                            "<U+...> unchanged, and Zorvane does not replace them.");
        argv.push_back(ansi);
    }
    const std::string program = argv.empty() ? kProgramFileName : NameOf(argv.front());
    const std::vector<std::string> args(argv.begin() + (argv.empty() ? 0 : 1), argv.end());
    const Parsed parsed = ParseArguments(args);
    const Command& c = parsed.command;
    if (!parsed.error.empty())
        return Fail(console, kExitBadArguments, "Error: " + parsed.error + "\r\n\r\n" + UsageText(program));
    if (c.action == Action::Help) {
        (void)console.Write(ConsoleStream::Out, UsageText(program));
        return kExitDone;
    }

    std::string folder;
    if (!c.folder.empty()) {
        folder = console.FullPathName(c.folder);
        if (folder.empty())
            return Fail(console, kExitBadArguments,
                        "The folder name " + c.folder +
                            " is not valid, or the current folder's name is not one this Windows' code "
                            "page can hold.");
        folder = WithoutTrailingSeparator(folder);
    }
    Front f(os, console, folder, c.microsoft);

    if (c.accept) {
        md_Usefull::SaveString(f.env, kHkeyCurrentUser, kSettingsKey, kAgreementValue, "No");
        if (!Accepted(f.env)) return Fail(console, kExitNothingDone, "The agreement could not be recorded.");
        if (c.action == Action::Accept) {
            (void)console.Write(ConsoleStream::Out, "The agreement is recorded as accepted.\r\n");
            return kExitDone;
        }
    }
    switch (c.action) {
        case Action::List:
            if (!c.offline.empty()) return RunOfflineList(os, console, c);
            return console.Write(ConsoleStream::Out, ListText(ListDrivers(f.env, f.check), c.csv))
                       ? kExitDone
                       : kExitNothingDone;
        case Action::Backup:
        case Action::Restore:
            if (!Accepted(f.env))
                return Fail(
                    console, kExitNothingDone,
                    "The agreement has not been accepted yet. Read it with /? and accept it with /accept, "
                    "or start Zorvane once without arguments.");
            if (c.action == Action::Restore) return RunRestoreCommand(f, console, folder, handOverFailure);
            if (!c.offline.empty()) {
                // Opened before the target is made: a refused Windows leaves nothing behind.
                hive::OfflineWindows windows;
                int code = 0;
                if (!OpenOffline(os, console, c, &windows, &code)) return code;
                if (OnDriveOf(folder, windows.windowsFolder))
                    return Fail(console, kExitBadArguments, OnItsDriveText(folder, windows.windowsFolder));
                OfflinePlatform offline(os, windows);
                Front o(offline.os, console, folder, c.microsoft);
                code = RunBackupCommand(o, console, c, folder, offline.description(windows));
                NoteDroppedNames(console, windows);
                return code;
            }
            return RunBackupCommand(f, console, c, folder);
        case Action::Verify: return RunVerifyCommand(f, console, folder);
        case Action::Check:
            return folder.empty() ? RunCheckCommand(f, console) : RunCheckBackup(f, console, folder);
        default: return kExitBadArguments;
    }
}

}  // namespace zv::cli
