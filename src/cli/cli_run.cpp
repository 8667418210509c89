#include "cli/cli_run.h"

#include <algorithm>

#include "backup/backup_files.h"
#include "backup/backup_run.h"
#include "backup/md_ini_inf.h"
#include "cli/command_line.h"
#include "cli/console_front.h"
#include "inventory/ReadDrivers.h"
#include "restore/backup_check.h"
#include "restore/restore_run.h"
#include "support/csv.h"
#include "support/md_Usefull.h"
#include "support/vbrt.h"
#include "support/version.h"

namespace zv::cli {
namespace {

constexpr const char* kHeaders[6] = {"Description", "Default", "Provider", "ID", "Class", "Inf Path"};

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos) return "";
    // "D:\x" has the parent "D:\", which must keep its separator.
    return slash == 2 && path[1] == ':' ? path.substr(0, 3) : path.substr(0, slash);
}

// One console front end: its controls, message boxes, folder browser and the platform
// the runs see through them.
struct Front {
    Front(Platform& real, IConsole& console, const std::string& folder, bool microsoft)
        : ui(console),
          shell(folder),
          files(real.files),
          check(microsoft),
          os{real.registry, real.profile, real.system, files,     real.internet,
             shell,         ui,           real.setup,  real.data, real.locale} {}

    ConsoleUi ui;
    ConsoleShell shell;
    CopyRecorder files;
    NoWindow form;
    RowList list;
    FixedCheckBox check;
    SteppingBar bar;
    TextStatus status;
    MainControls controls{form, list, check, bar, status};
    Platform os;
    ModError::Reporter errors{ui};
    AppValues app = CommandLineAppValues();
    Env env{os, errors, app};
};

bool Accepted(Env& env) {
    return md_Usefull::GetString(env, kHkeyCurrentUser, env.app.MainKey, env.app.Appname + "FirstTime") != "";
}

std::string ListText(const RowList& list, bool csv) {
    std::vector<std::vector<std::string>> table;
    table.emplace_back(std::begin(kHeaders), std::end(kHeaders));
    for (const RowList::Row& r : list.rows)
        table.push_back({r.text, r.sub[kColDefault], r.sub[kColProvider], r.sub[kColId], r.sub[kColClass],
                         r.sub[kColInfPath]});
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
    std::size_t width[6] = {};
    for (const auto& row : table)
        for (std::size_t k = 0; k < 6; ++k) width[k] = std::max(width[k], row[k].size());
    for (const auto& row : table) {
        std::string line;
        for (std::size_t k = 0; k < 6; ++k) {
            line += row[k];
            if (k < 5) line += std::string(width[k] - row[k].size() + 2, ' ');
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
        *error = static_cast<Dword>(kErrorAlreadyExists);
        return false;
    }
    const std::string parent = ParentOf(path);
    if (!parent.empty() && parent != path && !MakeFolders(files, parent, error)) return false;
    if (files.CreateDirectory(path)) return true;
    *error = files.GetLastError();
    return false;
}

int Fail(IConsole& console, int code, const std::string& text) {
    (void)console.Write(ConsoleStream::Err, text + "\r\n");
    return code;
}

int RunBackupCommand(Front& f, IConsole& console, const Command& c, const std::string& folder) {
    Env& env = f.env;
    ReadDrivers(env, f.controls);
    std::vector<std::string> unmatched;
    for (const std::string& id : c.ids) {
        bool found = false;
        for (RowList::Row& r : f.list.rows)
            if (EqualsNoCase(r.sub[kColId], id)) r.checked = found = true;
        if (!found) unmatched.push_back(id);
    }
    if (!unmatched.empty()) {
        std::string text = "No listed driver has the id";
        for (const std::string& id : unmatched) text += " " + id;
        text += ".";
        if (!c.microsoft) text += " Drivers from Microsoft are listed only with /microsoft.";
        return Fail(console, kExitBadArguments, text + "\r\nThe ids are those that /list prints.");
    }
    if (c.all)
        for (RowList::Row& r : f.list.rows) r.checked = true;
    std::vector<std::string> ticked;
    for (const RowList::Row& r : f.list.rows)
        if (r.checked) ticked.push_back(r.text);
    if (ticked.empty())
        return Fail(console, kExitNothingDone, "No driver is listed, so there is nothing to back up.");

    Dword error = 0;
    if (!MakeFolders(env.os.files, folder, &error))
        return Fail(console, kExitNothingDone,
                    "The folder " + folder + " cannot be created: " + restore::ErrorTextOf(env, error));
    (void)f.files.take();

    int done = 0, missingTotal = 0;
    f.bar.onAdvance = [&](long value, long max) {
        const std::vector<std::string> copies = f.files.take();
        std::vector<std::string> have;
        for (const std::string& to : copies) {
            const std::string name = ToLower(NameOf(to));
            if (std::find(have.begin(), have.end(), name) == have.end()) have.push_back(name);
        }
        std::vector<std::string> wanted;
        if (!copies.empty()) {
            const std::string infCopy = copies.front();
            const std::string catalog = md_ini_inf::ReadFromINI(env, "Version", "CatalogFile", infCopy, "");
            if (backup::IsPlainName(catalog)) wanted.push_back(ToLower(catalog));
            for (const std::string& n : md_ini_inf::LoadIniSectionKeys(env, "SourceDisksFiles", infCopy))
                if (backup::IsPlainName(n)) wanted.push_back(ToLower(n));
        }
        std::sort(wanted.begin(), wanted.end());
        wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
        const long missing = std::count_if(wanted.begin(), wanted.end(), [&](const std::string& w) {
            return std::find(have.begin(), have.end(), w) == have.end();
        });
        missingTotal += static_cast<int>(missing);
        ++done;
        const std::string description =
            value >= 1 && static_cast<std::size_t>(value) <= ticked.size() ? ticked[value - 1] : "";
        (void)console.Write(ConsoleStream::Out, std::to_string(value) + "/" + std::to_string(max) + " " +
                                                    description + ": " + std::to_string(have.size()) +
                                                    " files, " + std::to_string(missing) + " missing\r\n");
    };
    cmdBackup_Click(env, f.controls);

    const std::string root = folder + (folder.back() == '\\' ? "" : "\\") + "Zorvane";
    if (!f.files.lastWritten().empty())
        (void)console.Write(ConsoleStream::Out, "The report is " + f.files.lastWritten() + "\r\n");
    if (f.ui.errorsShown() > 0) {
        if (done == 0) return Fail(console, kExitNothingDone, "Nothing was backed up.");
        (void)console.Write(ConsoleStream::Out, "The backup stopped after " + std::to_string(done) +
                                                    " drivers; what was copied is in " + root + "\r\n");
        return kExitDoneWithFailures;
    }
    (void)console.Write(ConsoleStream::Out, "The backup is in " + root + "\r\n");
    return missingTotal > 0 ? kExitDoneWithFailures : kExitDone;
}

int RunRestoreCommand(Front& f, RestoreSeams& seams, IConsole& console, const std::string& folder) {
    const Dword a = f.env.os.files.GetFileAttributes(folder);
    if (a == kInvalidFileAttributes || !(a & kFileAttributeDirectory))
        return Fail(console, kExitBadArguments, "The folder " + folder + " does not exist.");
    restore::Options options;
    options.confirm = false;
    options.offerRestart = false;
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
    const restore::Summary s = restore::mnuRestore_Click(f.env, seams, f.controls, options);
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
    for (const restore::ExpectedDriver& d : report.drivers) {
        const restore::DriverCheck c = restore::CheckDriver(f.env, d);
        (c.intact() ? intact : damaged)++;
        (void)console.Write(ConsoleStream::Out, restore::CheckLine(c) + "\r\n");
    }
    (void)console.Write(ConsoleStream::Out, std::to_string(intact + damaged) +
                                                " drivers checked: " + std::to_string(intact) + " intact, " +
                                                std::to_string(damaged) + " damaged.\r\n");
    return damaged > 0 ? kExitDoneWithFailures : kExitDone;
}

}  // namespace

AppValues CommandLineAppValues() {
    return AppValues{"Zorvane", kProgramVersion, "SOFTWARE\\FI", ""};
}

int RunCommandLine(Platform& os, RestoreSeams& seams, IConsole& console,
                   const std::vector<std::string>& argv) {
    const std::string program = argv.empty() ? "Zorvane.exe" : NameOf(argv.front());
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
            return Fail(console, kExitBadArguments, "The folder name " + c.folder + " is not valid.");
        // "D:\Backup\" and "D:\Backup" are one folder; a drive root keeps its separator.
        while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    }
    Front f(os, console, folder, c.microsoft);

    if (c.accept) {
        md_Usefull::SaveString(f.env, kHkeyCurrentUser, f.app.MainKey, f.app.Appname + "FirstTime", "No");
        if (!Accepted(f.env)) return Fail(console, kExitNothingDone, "The agreement could not be recorded.");
        if (c.action == Action::Accept) {
            (void)console.Write(ConsoleStream::Out, "The agreement is recorded as accepted.\r\n");
            return kExitDone;
        }
    }
    switch (c.action) {
        case Action::List:
            ReadDrivers(f.env, f.controls);
            return console.Write(ConsoleStream::Out, ListText(f.list, c.csv)) ? kExitDone : kExitNothingDone;
        case Action::Backup:
        case Action::Restore:
            if (!Accepted(f.env))
                return Fail(
                    console, kExitNothingDone,
                    "The agreement has not been accepted yet. Read it with /? and accept it with /accept, "
                    "or start Zorvane once without arguments.");
            return c.action == Action::Backup ? RunBackupCommand(f, console, c, folder)
                                              : RunRestoreCommand(f, seams, console, folder);
        case Action::Verify: return RunVerifyCommand(f, console, folder);
        default: return kExitBadArguments;
    }
}

}  // namespace zv::cli
