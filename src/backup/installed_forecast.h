#pragma once
// The load forecast of installed drivers: each driver's INF tells whether it is kernel-mode
// and for which architectures it is made; its catalog in the catalog store and the embedded
// signatures of its .sys files tell how it is signed. /check tells it for this PC's drivers,
// the window's list shows each driver's signature class.
#include <optional>
#include <string>
#include <vector>

#include "inventory/driver_record.h"
#include "signing/forecast.h"
#include "support/env.h"

namespace zv::backup {

// This Windows as a target: its build and edition from the registry, its processor, whether
// Secure Boot is on. nullopt when the build cannot be read.
[[nodiscard]] std::optional<signing::Target> ThisWindows(Env& env);

// An installed driver's package as the forecast takes it; readable false when its INF or a
// signature could not be read (then every forecast of it is unknown).
struct InstalledDriver {
    DriverRecord driver;
    bool readable = false;
    signing::Package package;
};

// Where installed drivers' files are: the Windows and system folders, the architecture the
// INFs' sections are read for, the catalog store's folders. Read once for many drivers.
struct InstalledPlaces {
    std::string windows;
    std::string system;
    std::string sources;  // the INF sections' decoration ("amd64")
    std::string store;    // ...\CatRoot\, with its folders below
    std::vector<std::string> storeFolders;
};

[[nodiscard]] InstalledPlaces InstalledPlacesOf(Env& env);

// One installed driver's INF, catalog and .sys files.
[[nodiscard]] InstalledDriver ReadInstalledDriver(Env& env, const InstalledPlaces& places,
                                                  const DriverRecord& d);

// Each installed driver's INF, catalog and .sys files, read once for any number of targets.
[[nodiscard]] std::vector<InstalledDriver> ReadInstalled(Env& env, const std::vector<DriverRecord>& drivers);

[[nodiscard]] signing::Forecast ForecastOf(const InstalledDriver& d, const signing::Target& target);

}  // namespace zv::backup
