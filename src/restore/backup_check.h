#pragma once
// Checking a backup against its report before anything is installed from it: every file
// the report lists as copied must still have its size and SHA-256. Reads only.
#include <cstdint>
#include <string>
#include <vector>

#include "support/env.h"
#include "ui/controls.h"

namespace zv::restore {

struct ExpectedFile {
    std::string name;  // relative to the driver folder
    std::uint64_t size = 0;
    std::string sha256;
    bool nameOk = true;  // false: the report's name leaves the driver folder
};

struct ExpectedDriver {
    std::string label;             // the folder below the backup's Zorvane folder: <class>\<description>
    std::string folder;            // full path
    std::vector<std::string> ids;  // the class-key instances backed up into it (newer reports)
    std::string inf;               // the driver's INF, as the folder holds it
    // The forecast the backup made (reports since it had one); "" when the report has none.
    std::string signature, afterInstall;
    std::vector<ExpectedFile> files;
};

struct BackupReport {
    std::string root;                     // the folder the reports lie in (the backup's Zorvane)
    std::vector<std::string> paths;       // the reports read, newest first
    std::vector<ExpectedDriver> drivers;  // in the order of the newest report listing them
};

struct DriverCheck {
    std::string label, folder;
    int files = 0;  // files checked
    std::vector<std::string> changed, missing;
    [[nodiscard]] bool intact() const { return changed.empty() && missing.empty(); }
};

// The reports of the backup in folder, or in folder\Zorvane: each driver folder as the
// newest report that lists it describes it (a later run of a few drivers into the same
// folder leaves the others as the earlier report has them). False when neither folder
// holds a report that can be read.
bool ReadBackupReport(Env& env, const std::string& folder, BackupReport* report);

// The driver an INF folder belongs to: the one whose folder is it or lies above it (an
// extension driver lies in a sub-folder of its base's), the deepest when several do; null
// when the report lists none.
[[nodiscard]] const ExpectedDriver* DriverHolding(const BackupReport& report, const std::string& folder);

// The report of the backup a restore folder belongs to: the folder itself, its Zorvane
// folder, or (for a class or driver folder of a backup) one of the two above it.
bool FindBackupReport(Env& env, const std::string& folder, BackupReport* report);

[[nodiscard]] DriverCheck CheckDriver(Env& env, const ExpectedDriver& driver);

// The driver's forecast for a clean install: the report's where it has one, else read from
// the files of its folder.
struct DriverForecast {
    std::string signature;     // "WHQL", "cross-signed", ...
    std::string afterInstall;  // "loads", "will not load: test-signed", ...
};
[[nodiscard]] DriverForecast ForecastOf(Env& env, const ExpectedDriver& driver);
// "Net\X: will not load after a clean install: test-signed (self-/test-signed)"; "" for a
// driver that loads, may load or whose forecast is unknown.
[[nodiscard]] std::string NotLoadingLine(const ExpectedDriver& driver, const DriverForecast& forecast);

// "Net\Fenlake Gigabit Ethernet 5120: intact, 5 files" or
// "Net\Fenlake Gigabit Ethernet 5120: damaged, e1d.sys changed, e1d.cat missing".
[[nodiscard]] std::string CheckLine(const DriverCheck& check);
// The first file that keeps a damaged driver from being installed, and what became of it.
[[nodiscard]] std::string DamageText(const DriverCheck& check);

// File, Verify backup...: asks for the folder, checks every driver of its report with the
// bar and status text following, and shows one line per driver and the counts.
void VerifyChosenFolder(Env& env, MainControls& controls);

}  // namespace zv::restore
