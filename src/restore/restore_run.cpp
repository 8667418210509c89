#include "restore/restore_run.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <optional>

#include "format/architecture.h"
#include "format/folder_names.h"
#include "restore/backup_check.h"
#include "restore/inf_files.h"
#include "signing/package_files.h"
#include "support/csv.h"
#include "support/file_writer.h"
#include "support/identity.h"
#include "support/paths.h"
#include "support/runtime_error.h"
#include "support/text.h"

namespace zv::restore {
namespace {

struct SetupText {
    Dword error;
    const char* text;
};
// FormatMessage has no text for setupapi's own errors (neither on older Windows nor
// under Wine); these are the ones an INF from a backup runs into.
constexpr SetupText kSetupTexts[] = {
    {0xE0000000u, "The INF file has a line where a section name was expected."},
    {0xE0000001u, "The INF file has a badly formed section name line."},
    {0xE0000002u, "The INF file has a section name that is too long."},
    {0xE0000003u, "The INF file has a syntax error."},
    {0xE0000100u, "The INF file is not a Windows NT style INF (its Signature is wrong)."},
    {0xE0000101u, "A required section is missing from the INF file."},
    {0xE0000102u, "A required line is missing from the INF file."},
    {0xE000020Bu, "No device with that hardware id is present."},
    {0xE000022Fu, "The INF file names no catalog, so the driver is not signed."},
    {kErrorInWow64, "A 32-bit program cannot install drivers on 64-bit Windows."},
    {0xE0000247u, "The driver could not be added to the driver store."},
};

constexpr const char* kNotCheckedText =
    "No backup report was found for this folder, so the drivers could not be checked before installing.";
constexpr const char* kNoReportText =
    " is a backup whose report is missing: the backup did not finish (the drive may have been full), "
    "so its drivers cannot be checked and none is installed. Back it up again onto a drive with room.";
constexpr const char* kNoDevice = "no device present with its ids";
constexpr const char* kBetterDriver = "the device has a better or newer driver already";

std::string Relative(const std::string& folder, const std::string& path) {
    std::string prefix = folder;
    if (prefix.empty() || prefix.back() != '\\') prefix += '\\';
    if (path.size() > prefix.size() && ToLower(path.substr(0, prefix.size())) == ToLower(prefix))
        return path.substr(prefix.size());
    return path;
}

// The check of a driver folder against the report, made when its first INF comes up;
// null when the report lists no folder that holds the INF.
const DriverCheck* CheckOf(Env& env, const ExpectedDriver* driver,
                           std::deque<std::pair<std::string, DriverCheck>>& checks) {
    if (!driver) return nullptr;
    for (const auto& [f, c] : checks)
        if (EqualsNoCase(f, driver->folder)) return &c;
    checks.emplace_back(driver->folder, CheckDriver(env, *driver));
    return &checks.back().second;
}

// A folder of ours that lost its report: the chosen folder, or one of the two above it (a
// class or driver folder), is the backup's Zorvane folder, or it holds one with the INFs.
bool IsBackupWithoutReport(const std::string& folder, const std::vector<std::string>& infs) {
    std::string at = folder;
    for (int up = 0; up < 3 && at.size() >= 3; ++up, at = FolderOf(at))
        if (EqualsNoCase(NameOf(at), kBackupFolderName)) return true;
    const std::string own = JoinPath(folder, kBackupFolderName) + "\\";
    return std::any_of(infs.begin(), infs.end(),
                       [&](const std::string& inf) { return EqualsNoCase(inf.substr(0, own.size()), own); });
}

void Fail(Env& env, Item& item, Dword error) {
    item.outcome = Outcome::Failed;
    item.error = error;
    item.errorText = ErrorTextOf(env, error);
}

// Stages the INF and installs it where a present device matches. Nothing here may stop
// the other drivers: every failure ends up in the item.
void RestoreOne(Env& env, const std::string& handOverFailure, const std::vector<std::string>& present,
                const std::string& arch, Item& item) {
    IDriverSetup& setup = env.os.setup;
    std::string stored;
    if (setup.CopyOEMInf(item.path, kSpostPath, kSpCopyNoOverwrite, &stored)) {
        item.outcome = Outcome::Staged;
    } else if (const Dword error = setup.GetLastError(); error == kErrorFileExists) {
        item.outcome = Outcome::AlreadyPresent;
    } else {
        Fail(env, item, error);
        // "File not found" alone does not say which file: usually the catalog.
        if (error == kErrorFileNotFound) {
            const std::string catalog = CatalogOf(env, item.path, arch);
            if (!catalog.empty() && !IsPlainName(catalog))
                item.errorText += " (the catalog name " + catalog + " is not a plain file name)";
            else if (!catalog.empty() && env.os.files.GetFileAttributes(FolderOf(item.path) + "\\" +
                                                                        catalog) == kInvalidFileAttributes)
                item.errorText += " (the catalog " + catalog + " is not next to the INF)";
        }
        return;
    }
    item.storedAs = NameOf(stored);

    bool better = false;
    for (const std::string& id : HardwareIdsOf(env, item.path, arch)) {
        const bool here = std::any_of(present.begin(), present.end(),
                                      [&](const std::string& p) { return EqualsNoCase(p, id); });
        if (!here) continue;
        bool reboot = false;
        // The INF in the backup folder, not the store's copy: its driver files lie beside it.
        if (setup.InstallOnDevices(id, item.path, &reboot)) {
            item.outcome = Outcome::Installed;
            item.devices.push_back(id);
            item.rebootNeeded = item.rebootNeeded || reboot;
            continue;
        }
        const Dword error = setup.GetLastError();
        if (error == kErrorNoMoreItems) {
            better = true;  // the device's driver is as good or newer
        } else if (error == kErrorInWow64) {
            // Staged all the same: Windows installs it when it next looks for the device's driver.
            item.notInstalled = ErrorTextOf(env, error) + " It is staged only.";
            if (!handOverFailure.empty())
                item.notInstalled += " The 64-bit Zorvane could not take over: " + handOverFailure + ".";
            return;
        } else if (error != kErrorNoSuchDevinst) {
            // No such device: it went since the list was read.
            Fail(env, item, error);
            return;
        }
    }
    if (item.outcome != Outcome::Installed) item.notInstalled = better ? kBetterDriver : kNoDevice;
}

std::string FinalText(Env& env, const Summary& s) {
    std::string text = "Restore finished: " + std::to_string(s.counts.staged) + " staged, " +
                       std::to_string(s.counts.installed) + " installed on a device, " +
                       std::to_string(s.counts.present) + " already present, ";
    if (s.counts.damaged > 0)
        text += std::to_string(s.counts.damaged) + " damaged in the backup (not installed), ";
    text += std::to_string(s.counts.failed) + " failed.";
    if (!s.checked)
        text += "\r\n" + std::string(kNotCheckedText);
    else if (s.unchecked > 0)
        text += "\r\n" + std::to_string(s.unchecked) +
                " INF files lie in folders that the backup report does not list; they could not be checked.";
    const auto wow64 = std::find_if(s.items.begin(), s.items.end(), [](const Item& i) {
        return i.outcome != Outcome::Installed && i.notInstalled.find("32-bit") != std::string::npos;
    });
    if (wow64 != s.items.end()) text += "\r\nDrivers were only staged, not installed: " + wow64->notInstalled;
    if (s.rebootNeeded) text += "\r\nRestart Windows to finish the installation.";
    if (s.reportWritten)
        text += "\r\nThe report is written to " + s.reportPath + ".";
    else
        text += "\r\nThe report could not be written to " + s.reportPath + ": " +
                ErrorTextOf(env, s.reportError) + ".";
    return text;
}

}  // namespace

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Staged: return "staged";
        case Outcome::Installed: return "installed";
        case Outcome::AlreadyPresent: return "already present";
        case Outcome::Damaged: return "damaged in the backup";
        case Outcome::Failed: return "failed";
    }
    return "failed";
}

std::string ErrorTextOf(Env& env, Dword error) {
    std::string text = env.os.system.ErrorText(error);
    if (text.empty())
        for (const SetupText& t : kSetupTexts)
            if (t.error == error) text = t.text;
    return text.empty() ? "Unknown error" : text;
}

std::string ErrorNumberText(Dword error) {
    if (error < 0x10000u) return std::to_string(error);
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(error));
    return text;
}

std::string ReportText(const std::vector<Item>& items) {
    const auto field = [](const std::string& s) { return CsvField(s, EdgeBlanks::Bare); };
    std::string text =
        "INF,Outcome,Stored as,Installed for,Error number,Error text,Not installed because\r\n";
    for (const Item& i : items) {
        std::string devices;
        for (const std::string& d : i.devices) devices += (devices.empty() ? "" : " ") + d;
        const bool failed = i.outcome == Outcome::Failed;
        const bool damaged = i.outcome == Outcome::Damaged;
        text += field(i.relative) + "," + OutcomeName(i.outcome) + "," + field(i.storedAs) + "," +
                field(devices) + "," + (failed ? ErrorNumberText(i.error) : "") + "," +
                field(failed || damaged ? i.errorText : "") + "," + field(i.notInstalled) + "\r\n";
    }
    return text;
}

Summary RestoreFolder(Env& env, MainControls& c, const std::string& chosen, const Options& options) {
    IUi& ui = env.os.ui;
    Summary s;
    s.folder = WithoutTrailingSeparator(chosen);
    if (s.folder.empty()) return s;
    s.reportPath = JoinPath(s.folder, kReportName);

    c.form.setMousePointer(kPointerHourglass);
    c.Status.setSimpleText("Looking for drivers in " + s.folder + "...");
    ui.DoEvents();
    std::vector<std::string> infs = FindInfFiles(env, s.folder);
    c.form.setMousePointer(kPointerDefault);
    if (infs.empty()) {
        c.Status.setSimpleText("");
        ui.MessageBox("No driver was found in " + s.folder + ": it holds no INF file.", "Restore",
                      kMbIconExclamation);
        return s;
    }
    BackupReport report;
    s.checked = FindBackupReport(env, s.folder, &report);
    if (!s.checked && IsBackupWithoutReport(s.folder, infs)) {
        // Its copies may be cut short (a full drive stops the run before the report is
        // written): installing them unchecked could put a damaged driver on the new Windows.
        c.Status.setSimpleText("");
        ui.MessageBox(s.folder + kNoReportText, "Restore", kMbIconExclamation);
        return s;
    }
    const long total = static_cast<long>(infs.size());
    if (options.confirm) {
        const std::string drivers = total == 1 ? "1 driver" : std::to_string(total) + " drivers";
        const int answer = ui.MessageBox(
            "Found " + drivers + " in " + s.folder +
                ".\r\nAdd them to the Windows driver store and install them on the devices present now?",
            "Restore", kMbYesNo | kMbIconQuestion);
        if (answer != kIdYes) {
            c.Status.setSimpleText("");
            return s;
        }
    }

    s.ran = true;
    c.form.setMousePointer(kPointerHourglass);
    c.Status.setSimpleText("Checking the backup in " + s.folder + "...");
    ui.DoEvents();
    std::deque<std::pair<std::string, DriverCheck>> checks;  // by driver folder, checked once
    const std::string arch = ArchitectureOf(env.os.setup.NativeProcessorArchitecture()).sources;
    std::vector<std::string> present;
    // Without the device list the drivers are still staged; Windows installs them when
    // it next looks for a device's driver.
    ui.RunOffThread([&] {
        if (!env.os.setup.PresentDeviceIds(&present)) present.clear();
    });
    c.pbBar.setMax(total);
    c.pbBar.setValue(0);
    for (long n = 1; n <= total; ++n) {
        Item item;
        item.path = infs[static_cast<std::size_t>(n - 1)];
        item.relative = Relative(s.folder, item.path);
        c.Status.setSimpleText("Restoring driver " + std::to_string(n) + " of " + std::to_string(total) +
                               ": " + item.relative);
        ui.DoEvents();
        // Closed meanwhile (also while the backup was checked or the devices listed): no
        // driver is started after that.
        if (options.stop && options.stop()) {
            s.stopped = true;
            break;
        }
        try {
            const ExpectedDriver* driver = s.checked ? DriverHolding(report, FolderOf(item.path)) : nullptr;
            const DriverCheck* check = CheckOf(env, driver, checks);
            if (s.checked && !check) ++s.unchecked;
            if (check && !check->intact()) {
                // The device as a whole: an extension driver is held back with its base.
                item.outcome = Outcome::Damaged;
                item.errorText = DamageText(*check);
                if (!EqualsNoCase(FolderOf(item.path), driver->folder))
                    item.errorText =
                        "its base driver " + driver->label + " is damaged in the backup: " + item.errorText;
            } else {
                // What the worker throws comes back here: the failure of this driver.
                ui.RunOffThread([&] { RestoreOne(env, options.handOverFailure, present, arch, item); });
                // Staged is not loaded: the reason it will not be comes first.
                if (item.outcome == Outcome::Staged && driver &&
                    EqualsNoCase(FolderOf(item.path), driver->folder))
                    if (const std::string why =
                            signing::WhyItWillNotLoad(ForecastOf(env, *driver).afterInstall);
                        !why.empty())
                        item.notInstalled = "staged, will not load after a clean install: " + why +
                                            (item.notInstalled.empty() ? "" : "; " + item.notInstalled);
            }
        } catch (...) {
            const RuntimeError e = CurrentFailure();
            item.outcome = Outcome::Failed;
            item.error = 0;
            item.errorText = e.description();
        }
        switch (item.outcome) {
            case Outcome::Staged: ++s.counts.staged; break;
            case Outcome::Installed: ++s.counts.installed; break;
            case Outcome::AlreadyPresent: ++s.counts.present; break;
            case Outcome::Damaged: ++s.counts.damaged; break;
            case Outcome::Failed: ++s.counts.failed; break;
        }
        s.rebootNeeded = s.rebootNeeded || item.rebootNeeded;
        s.items.push_back(item);
        c.pbBar.setValue(n);
        if (options.onItem) options.onItem(n, total, s.items.back());
        ui.DoEvents();
    }
    if (options.stop && options.stop()) s.stopped = true;

    s.reportError = WriteWholeFile(env.os.files, s.reportPath, ReportText(s.items));
    s.reportWritten = s.reportError == 0;
    if (s.stopped) {
        c.form.setMousePointer(kPointerDefault);
        return s;
    }
    c.Status.setSimpleText("Restore finished.");
    ui.DoEvents();
    c.form.setMousePointer(kPointerDefault);
    const bool bad = s.counts.failed > 0 || s.counts.damaged > 0 || !s.reportWritten;
    const Dword icon = bad ? kMbIconExclamation : kMbIconInformation;
    if (!s.rebootNeeded || !options.offerRestart) {
        ui.MessageBox(FinalText(env, s), "Restore", icon);
        return s;
    }
    // The one restart question of the run, however many installs asked for it.
    if (ui.MessageBox(FinalText(env, s) + "\r\n\r\nRestart Windows now?", "Restore", kMbYesNo | icon) ==
        kIdYes) {
        Dword error = 0;
        if (!env.os.system.RestartWindows(&error))
            ui.MessageBox("Windows could not be restarted: " + ErrorTextOf(env, error) +
                              "\r\nRestart it yourself to finish the installation.",
                          "Restore", kMbIconExclamation);
    }
    return s;
}

Summary Run(Env& env, MainControls& controls, const Options& options) {
    const std::optional<std::string> folder = env.os.shell.BrowseForFolder(
        controls.form.handle(), "Select the backup folder to restore the drivers from.",
        kBifReturnOnlyFsDirs);
    if (!folder || folder->empty()) return Summary{};
    return RestoreFolder(env, controls, *folder, options);
}

}  // namespace zv::restore
