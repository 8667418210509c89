#pragma once
// The load forecast of installed drivers: each driver's INF tells whether it is kernel-mode
// and for which architectures it is made; its catalog in the catalog store and the embedded
// signatures of its .sys files tell how it is signed.
#include <optional>
#include <string>
#include <vector>

#include "inventory/driver_record.h"
#include "signing/forecast.h"
#include "support/env.h"

namespace zv::cli {

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

// Each installed driver's INF, catalog and .sys files, read once for any number of targets.
[[nodiscard]] std::vector<InstalledDriver> ReadInstalled(Env& env, const std::vector<DriverRecord>& drivers);

[[nodiscard]] signing::Forecast ForecastOf(const InstalledDriver& d, const signing::Target& target);

}  // namespace zv::cli
