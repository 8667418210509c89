#pragma once
// Store first, the hive for the labels: the packages of a driver store that no listed driver
// (nor one of its extension drivers) uses. Another Windows' hive may be damaged or partial;
// its store still holds every driver it staged, so a lost name costs the label, not the driver.
#include <string>
#include <vector>

#include "inventory/driver_record.h"
#include "support/env.h"

namespace zv::backup {

// One record per such package folder of <system folder>\DriverStore\FileRepository, in the
// store's listing order: its INF's name as the description, class, provider, version and
// date from the INF's [Version], the folder's name as its id, no device, and the folder as
// its storePackage. Packages from Microsoft (or of no provider) only with microsoft.
[[nodiscard]] std::vector<DriverRecord> StoreOnlyPackages(Env& env, const std::vector<DriverRecord>& listed,
                                                          bool microsoft);

}  // namespace zv::backup
