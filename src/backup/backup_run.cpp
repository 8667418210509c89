#include "backup/backup_run.h"

#include <optional>
#include <string>
#include <vector>

#include "backup/backup_files.h"
#include "backup/backup_pipeline.h"
#include "backup/md_folders.h"
#include "backup/md_ini_inf.h"
#include "backup/remembered_profile.h"
#include "backup/self_restore.h"
#include "format/folder_names.h"
#include "support/guard.h"
#include "support/identity.h"
#include "support/runtime_error.h"
#include "support/text.h"
#include "support/vbrt.h"

namespace zv {
namespace {

constexpr const char* kPrinterDriverFolder = "\\spool\\Drivers\\w32x86";

// Under the name the line table shows for the driver folder's statement.
std::string TrimSpaces(const std::string& s) {
    return Trim(s);
}

// Windows drops trailing dots and blanks from the last name of a path it creates, but
// takes only one trailing dot off an inner name: a folder made as "Corp.." is "Corp",
// and "Corp..\x.inf" then names a missing folder. Dropping them here first gives the
// folder the name Windows gives it, and every later path agrees with it.
std::string FolderPath(const std::string& path) {
    const std::size_t last = path.find_last_not_of(". ");
    if (last == std::string::npos || path[last] == '\\') return path;
    return path.substr(0, last + 1);
}

// An INF name from the registry that would reach outside the INF folder (or write outside
// the driver folder) is refused as a bad name; an empty one fails at the copy as before.
const std::string& CheckedInfName(const std::string& name) {
    if (!name.empty() && !IsPlainName(name)) Raise(kErrBadFileName);
    return name;
}

// Without a Windows or system folder every path of the run would start at the root of the
// current drive, outside the Windows folder.
WindowsFolders FoldersOf(const std::string& windowsFolder, const std::string& systemFolder) {
    if (windowsFolder.empty() || systemFolder.empty()) Raise(kErrPathNotFound);
    return WindowsFolders{windowsFolder, systemFolder, windowsFolder + "\\inf\\"};
}

void CopyIfPresent(Env& env, backup::BackupPipeline& copies, const std::string& source,
                   const std::string& target) {
    if (backup::FileExists(env, source)) copies.CopyReplacing(source, target);
}

void RunBackup(Env& env, MainControls& c, const IDriverRows& list, int& erl, backup::BackupPipeline& copies,
               backup::RunEnd& end) {
    IUi& ui = env.os.ui;
    long lCount = 0;
    short processed = 0;

    LN(205) for (long x = 1, rows = list.count(); x <= rows; ++x) {
        LN(206) if (list.ticked(x)) lCount = lCount + 1;
        LN(207)
    }
    LN(208) if (lCount == 0) {
        LN(209) ui.MessageBox("Please select at least one driver to backup.", "Driver", kMbIconInformation);
        return;
    }
    LN(210) c.pbBar.setMax(lCount);
    LN(211) c.pbBar.setValue(0);
    LN(221)
    ui.MessageBox("Please be aware that some providers require you to use their own driver install package.",
                  "Install", kMbIconInformation);
    LN(222)
    const std::optional<std::string> folder = env.os.shell.BrowseForFolder(
        c.form.handle(), "Select the folder where it will be Backup done.", kBifReturnOnlyFsDirs);
    end = backup::RunEnd::Cancelled;
    LN(223) if (!folder) return;
    LN(224) c.form.setMousePointer(kPointerHourglass);
    LN(225) ui.DoEvents();
    LN(226) ui.DoEvents();

    std::string root;
    LN(227) const std::string chosen = *folder;
    LN(228) if (!chosen.empty() && chosen.back() == '\\') {
        LN(229) root = chosen + kBackupFolderName;
        // clang-format off
    LN(230) } else {
        // clang-format on
        LN(231) root = chosen + "\\" + kBackupFolderName;
    }
    LN(232) const std::string windowsFolder = md_folders::Getpath_WINDOWS(env);
    LN(233) const std::string systemFolder = md_folders::Getpath_SYSTEM(env);
    LN(234) const WindowsFolders folders = FoldersOf(windowsFolder, systemFolder);
    const std::string catalogStore = systemFolder + "\\CatRoot\\";
    copies.start(root, folders, lCount);
    LN(235) c.Status.setSimpleText("Searching and saving driver files...");

    LN(237) for (long x = 1, rows = list.count(); x <= rows; ++x) {
        LN(238) if (list.ticked(x)) {
            LN(239) processed = ToInteger(processed + 1);
            const DriverRecord& driver = list.record(x);
            copies.beginDriver(driver);
            LN(242) if (!backup::FolderExists(env, root)) backup::CreateFolder(env, root);
            LN(243)
            const std::string classFolder = FolderPath(root + "\\" + ClassFolderName(driver.className));
            LN(244) if (!backup::FolderExists(env, classFolder)) backup::CreateFolder(env, classFolder);
            LN(245)
            const std::string driverFolder =
                FolderPath(TrimSpaces(classFolder + "\\" + DescriptionFolderName(env, driver.description)));
            copies.setDriverFolder(driverFolder);
            LN(246) if (!backup::FolderExists(env, driverFolder)) backup::CreateFolder(env, driverFolder);
            const std::string infName = driver.infName;
            const std::string infCopy = driverFolder + "\\" + infName;
            LN(247) copies.CopyReplacing(folders.inf + CheckedInfName(infName), infCopy);
            LN(248) ui.DoEvents();

            // Catalog: the store's sub-folders are searched in listing order; the last one found stays.
            std::vector<std::string> candidates;
            LN(249) candidates.clear();
            LN(250)
            const std::string catalog = md_ini_inf::ReadFromINI(env, "Version", "CatalogFile", infCopy, "");
            LN(251) if (IsPlainName(catalog)) {
                LN(252) const std::vector<std::string> entries = backup::ListFolder(env, catalogStore);
                std::size_t e = 0;
                LN(253) while (e < entries.size()) {
                    LN(254) if (entries[e] != "." && entries[e] != "..") {
                        LN(255) const std::size_t n = candidates.size();
                        LN(256) candidates.resize(n + 1);
                        LN(257) candidates[n] = catalogStore + entries[e] + "\\" + catalog;
                    }
                    // clang-format off
                    LN(258) ++e;
                    // clang-format on
                    LN(259)
                }
            }
            LN(260) for (const std::string& candidate : candidates) {
                LN(261) if (backup::FileExistsWithSystem(env, candidate)) {
                    LN(262) copies.CopyReplacing(candidate, driverFolder + "\\" + catalog);
                }
                LN(263)
            }

            // Source files: the id's folder, the printer-driver sub-folders, then the fallback
            // for the extension, each copy replacing the one before.
            LN(264)
            const std::vector<std::string> names =
                md_ini_inf::LoadIniSectionKeys(env, "SourceDisksFiles", infCopy);
            LN(265) for (const std::string& name : names) {
                LN(266) if (!IsPlainName(name)) continue;
                std::string ext;
                LN(267) if (name.find('.') != std::string::npos) {
                    LN(268) const std::vector<std::string> pieces = SplitText(name, '.');
                    LN(269) ext = ToLower(pieces.at(1));
                    // clang-format off
                LN(270) } else {
                    // clang-format on
                    LN(271) ext = "";
                }
                LN(272)
                const std::string id =
                    md_ini_inf::ReadFromINI(env, "DestinationDirs", "DefaultDestDir", infCopy, "");
                const std::string target = driverFolder + "\\" + name;
                LN(273) if (!id.empty()) {
                    LN(274) const std::string dir = WhereIsDir(env, id, folders);
                    // An id the table does not know gives no folder; "\" + name would probe the
                    // root of the current drive, outside the Windows folder, so it is not probed.
                    LN(275) if (!dir.empty()) CopyIfPresent(env, copies, dir + "\\" + name, target);
                    LN(276) if (dir == systemFolder + kPrinterDriverFolder) {
                        LN(277) for (int k = 1; k <= 19; ++k) {
                            LN(278)
                            CopyIfPresent(env, copies, dir + "\\" + std::to_string(k) + "\\" + name, target);
                            LN(279)
                        }
                    }
                }
                LN(280) if (ext == "hlp") {
                    LN(281) CopyIfPresent(env, copies, windowsFolder + "\\help\\" + name, target);
                    // clang-format off
                LN(282) } else if (ext == "sys") {
                    // clang-format on
                    LN(283) CopyIfPresent(env, copies, systemFolder + "\\drivers\\" + name, target);
                    // clang-format off
                LN(284) } else {
                    // clang-format on
                    LN(285) CopyIfPresent(env, copies, systemFolder + "\\" + name, target);
                }
                LN(286)
            }
            copies.endDriver(infCopy);
        }
        LN(287) c.pbBar.setValue(processed);
        LN(288)
    }
    LN(289) ui.DoEvents();
    LN(290) c.form.setMousePointer(kPointerDefault);
    LN(291) ui.DoEvents();
    copies.storeOnly();
    // The backup carries the program and a script that restores it; without them it is
    // still a backup, so a failure here is told and the run ends as it would.
    if (const backup::SelfRestore self = backup::WriteSelfRestore(env, root); !self.ok) {
        copies.selfRestoreFailed(self.failed);
        ui.MessageBox(
            "The drivers are backed up, but the program that restores them could not be added to "
            "the backup (" +
                self.failed + ").",
            "Backup", kMbIconExclamation);
    }
    LN(292) ui.MessageBox("Backup successfully created.", "Backup", kMbIconInformation);
    end = backup::RunEnd::Completed;
}

}  // namespace

// A second run started from inside this one's DoEvents is kept out by the main window,
// which also holds back the list's rebuild while a run walks it. The run's own failure
// path is the one every numbered procedure has, with what it reported kept in the result.
backup::BackupResult backup::Run(Env& outer, MainControls& controls, const IDriverRows& drivers,
                                 const backup::BackupOptions& options) {
    // The run reads its INF copies through profile calls that repeat for every file an INF
    // names, and lists the catalog store for every driver; under Wine each reopens and
    // checks the file or folder. The answers are kept for the run.
    backup::RememberedProfile profile(outer.os.profile);
    backup::RememberedFolders folders(outer.os.files);
    const Platform& o = outer.os;
    Platform os{o.registry, profile, o.system, folders,  o.internet, o.shell,
                o.ui,       o.setup, o.data,   o.locale, o.devices,  o.signatures};
    Env env{os, outer.errors, outer.app};
    backup::BackupPipeline copies(env, controls.Status, options, &profile, &folders);
    backup::RunEnd end = backup::RunEnd::Refused;
    int erl = 0;
    try {
        RunBackup(env, controls, drivers, erl, copies, end);
    } catch (...) {
        const RuntimeError e = CurrentFailure();
        env.errors.ReportError(e.number(), e.description(), erl);
        copies.stopped(erl, e);
        end = backup::RunEnd::Stopped;
        controls.form.setMousePointer(kPointerDefault);
    }
    return copies.finish(end);
}

}  // namespace zv
