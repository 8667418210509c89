#pragma once
// The backup run's pipeline: the copies of its own numbered steps, and after them, for
// each ticked driver, what makes the backup reinstall on Windows from Vista on: the
// driver-store package copied whole, the catalog saved under its CatalogFile name, the
// decorated source sections of the running Windows' architecture, and the extension
// drivers of the driver's device, each in a sub-folder named after its INF. It keeps the run's
// result and writes the report from it when the run is over.
//
// Only the numbered copies raise (the run's failure path is theirs). Everything else here
// records its failures for the driver and lets the run go on.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backup/backup_result.h"
#include "backup/driver_store.h"
#include "backup/file_copies.h"
#include "format/folder_names.h"
#include "format/inf_reader.h"
#include "support/env.h"
#include "support/runtime_error.h"
#include "ui/controls.h"

namespace zv::backup {

// The paths one source file is probed at, in order, each copy replacing the one before:
// the folder of the destination-directory id, its numbered printer sub-folders, then the
// fallback folder for the extension (as the run does for [SourceDisksFiles]).
[[nodiscard]] std::vector<std::string> SourceProbes(Env& env, const std::string& name, const std::string& id,
                                                    const WindowsFolders& folders);

struct BackupOptions {
    // After each ticked driver's files: its result, its number (1-based) and the ticked count.
    std::function<void(const DriverResult& driver, long number, long ticked)> onDriver;
    // The other Windows the drivers are read from, as the report names it; "" for this one.
    std::string offlineWindows;
    // Ticked packages only the store knows (records with a storePackage), backed up after the
    // drivers, each into <class>\<package folder name>.
    std::vector<DriverRecord> storePackages;
};

class BackupPipeline {
public:
    // profile and folders, when given, are the ones env reads INFs and lists folders through;
    // they learn of every file written.
    BackupPipeline(Env& env, IStatusBar& status, BackupOptions options, RememberedProfile* profile = nullptr,
                   RememberedFolders* folders = nullptr);

    // Once the backup root and the Windows folders are known, with the ticked count.
    void start(const std::string& root, const WindowsFolders& folders, long ticked);
    void beginDriver(const DriverRecord& driver);
    void setDriverFolder(const std::string& folder);
    // A copy of the run's own steps, replacing the target: raises the run-time error of a
    // failed copy, as the copy statement itself would.
    void CopyReplacing(const std::string& from, const std::string& to);
    // The additions for the current driver; they raise nothing.
    void endDriver(const std::string& infCopy);
    // The run's failure path reported this.
    void stopped(int line, const RuntimeError& error);
    // The program or the restore script could not be added to the backup: which, and why.
    void selfRestoreFailed(const std::string& what) { m_result.selfRestoreFailed = what; }
    // The store packages of the options, after the drivers; they raise nothing.
    void storeOnly();
    // The run is over: the report is written from the result, which is returned.
    [[nodiscard]] BackupResult finish(RunEnd end);

private:
    DriverResult& current() { return m_result.drivers.back(); }
    void record(const std::string& from, const std::string& to, const CopyResult& copy);
    void recordFailure(const std::string& file, Dword error);
    void copyAddition(const std::string& from, const std::string& to);
    void copyPackage(const std::string& from, const std::string& to, int depth);
    [[nodiscard]] bool written(const std::string& file) const;
    // The first bytes of a file the current driver's copies wrote, by its name in the
    // driver folder; nullptr when they are not known. whole: only when they are all of it.
    [[nodiscard]] const std::string* headOf(const std::string& file, bool whole) const;
    [[nodiscard]] std::string nameInFolder(const std::string& path);
    bool catalogFromStore(const std::vector<std::string>& names, const std::string& file);
    void catalogUnderItsName(const InfFile& inf);
    void sourcesWithoutPackage(const InfFile& inf);
    void notFound(const InfFile& inf);
    void extensionDrivers();
    bool makeFolder(const std::string& folder);
    void closeDriver();
    void writeReport();

    Env& m_env;
    BackupOptions m_options;
    RunCopies m_copies;
    Architecture m_arch;
    WindowsFolders m_folders;
    std::unique_ptr<PackageFinder> m_finder;
    long m_ticked = 0;
    bool m_inDriver = false;
    // By lower-cased name in the driver folder: what the last copy there began with, and its size.
    std::map<std::string, std::pair<std::string, std::uint64_t>> m_heads;
    BackupResult m_result;
};

}  // namespace zv::backup
