#pragma once
// The file-system operations of the backup run: existence tests that honour the
// hidden and system attributes, the catalog-store listing and folder creation that
// raises run-time errors, all with WOW64 redirection turned off.
#include <string>
#include <vector>

#include "format/folder_names.h"
#include "support/env.h"
#include "support/redirection.h"

namespace zv::backup {

// A folder or a file of that path that is neither hidden nor a system entry.
[[nodiscard]] bool FolderExists(Env& env, const std::string& path);
// A file (never a folder) that is neither hidden nor a system file.
[[nodiscard]] bool FileExists(Env& env, const std::string& path);
// As FileExists, but system files count too.
[[nodiscard]] bool FileExistsWithSystem(Env& env, const std::string& path);
// The names of the folder's entries that are neither hidden nor system entries, "." and ".."
// included, in the file system's order; empty when the folder cannot be listed.
[[nodiscard]] std::vector<std::string> ListFolder(Env& env, const std::string& folder);
// Raises the run-time error for the platform's failure.
void CreateFolder(Env& env, const std::string& path);

}  // namespace zv::backup
