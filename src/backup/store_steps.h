#pragma once
// What the backup run does for each ticked driver after its own steps, so that the
// backup reinstalls on Windows from Vista on: the driver-store package copied whole,
// the catalog saved under its CatalogFile name, the decorated source sections of the
// running Windows' architecture, and the report of every file written or not found.
#include <memory>
#include <string>
#include <vector>

#include "backup/backup_files.h"
#include "backup/backup_report.h"
#include "backup/driver_store.h"
#include "backup/folder_names.h"
#include "support/env.h"

namespace zv::backup {

// The paths one source file is probed at, in order, each copy replacing the one before:
// the folder of the destination-directory id, its numbered printer sub-folders, then the
// fallback folder for the extension (as the run does for [SourceDisksFiles]).
[[nodiscard]] std::vector<std::string> SourceProbes(Env& env, const std::string& name, const std::string& id,
                                                    const WindowsFolders& folders);

// The catalog's name: CatalogFile.<NTarch> of the running Windows, else CatalogFile.NT,
// else CatalogFile, from [Version] of the INF; "" when none is given.
[[nodiscard]] std::string CatalogName(Env& env, const std::string& infFile, const Architecture& arch);

class StoreSteps {
public:
    explicit StoreSteps(Env& env);

    // Once the backup root and the Windows folders are known.
    void start(const std::string& root, const WindowsFolders& folders);
    // Around the run's own steps for one ticked driver.
    void beginDriver(const std::string& description, const std::string& className, const std::string& inf);
    void endDriver(const std::string& driverFolder, const std::string& infCopy);
    // Writes the report of what was done so far; raises when it cannot be written. Does
    // nothing when the run never reached the backup root.
    void writeReport();

    [[nodiscard]] const std::vector<ReportRow>& rows() const { return m_rows; }

private:
    struct Driver {
        std::string description, className, inf;
    };
    bool copiedTo(const std::string& target) const;
    void copyIfPresent(const std::string& source, const std::string& target);
    void catalogUnderItsName(const std::string& driverFolder, const std::string& infCopy);
    void decoratedSources(const std::string& driverFolder, const std::string& infCopy);
    std::vector<std::string> namedFiles(const std::string& infCopy);
    // Rows for the copies since the driver began; with the INF's names, rows for each not found.
    void rowsOf(const std::string& driverFolder, const std::vector<std::string>& named);

    Env& m_env;
    CopyJournal m_journal;
    Architecture m_arch;
    std::string m_root;
    WindowsFolders m_folders;
    std::unique_ptr<PackageFinder> m_finder;
    bool m_inDriver = false;
    bool m_anyDriver = false;
    bool m_reportTried = false;
    Driver m_driver;
    std::size_t m_mark = 0;  // the journal's first copy of the current driver
    std::vector<ReportRow> m_rows;
};

}  // namespace zv::backup
