#pragma once
// Finding the INF files of a backup folder, and what an INF says about itself:
// the hardware ids it installs on and the catalog it names.
#include <string>
#include <vector>

#include "support/env.h"

namespace zv::restore {

// Every INF below folder (its sub-folders included), full paths, each folder's files in
// name order before its sub-folders. A published copy "oemNN.inf" that has the same
// content as another INF of its folder is left out: it is the same driver. Reparse
// points are not followed, so a link back up the tree cannot make the walk endless.
[[nodiscard]] std::vector<std::string> FindInfFiles(Env& env, const std::string& folder);

// The hardware and compatible ids of the INF's models for the architecture ("x86",
// "amd64"): the models sections its [Manufacturer] entries name, decorated for the
// architecture where the INF has such a section, else undecorated. In file order, each once;
// none when the INF cannot be read.
[[nodiscard]] std::vector<std::string> HardwareIdsOf(Env& env, const std::string& inf,
                                                     const std::string& arch);

// The catalog the INF names for the architecture (CatalogFile.NTx86 / .NTamd64, then
// CatalogFile.NT, then CatalogFile), or "" (also when the INF cannot be read).
[[nodiscard]] std::string CatalogOf(Env& env, const std::string& inf, const std::string& arch);

// "oem" + digits + ".inf", in any letter case.
[[nodiscard]] bool IsPublishedName(const std::string& name);

}  // namespace zv::restore
