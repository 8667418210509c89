#pragma once
// The load forecast of installed drivers: each driver's INF tells whether it is kernel-mode
// and for which architectures it is made; its catalog in the catalog store and the embedded
// signatures of its .sys files tell how it is signed.
#include <optional>
#include <string>
#include <vector>

#include "inventory/driver_record.h"
#include "platform/signatures.h"
#include "signing/forecast.h"
#include "support/env.h"

namespace zv {
class InfFile;
}

namespace zv::cli {

// Whether the INF installs kernel-mode code: a .sys among its source files, or a service of
// type 1 (kernel driver) or 2 (file-system driver) in a services section of its install
// sections. arch is the architecture its sections are read for ("amd64").
[[nodiscard]] bool KernelModeOf(const InfFile& inf, const std::string& arch);

// The architectures the [Manufacturer] section's decorations name (NTx86, NTamd64.10.0, ...);
// an INF without decorations installs on x86 only.
[[nodiscard]] std::vector<signing::Architecture> ArchitecturesOf(const InfFile& inf);

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
[[nodiscard]] std::vector<InstalledDriver> ReadInstalled(Env& env, ISignatures& signatures,
                                                         const std::vector<DriverRecord>& drivers);

[[nodiscard]] signing::Forecast ForecastOf(const InstalledDriver& d, const signing::Target& target);

}  // namespace zv::cli
