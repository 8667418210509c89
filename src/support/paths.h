#pragma once
// Windows paths as texts: "\" joins, a drive root keeps its separator.
#include <string>

#include "platform/types.h"

namespace zv {

// FindFiles marks links and junctions with it; walks do not follow them.
inline constexpr Dword kFileAttributeReparsePoint = 0x400;

// The last part of a path: what follows its last "\" (or "/"), the whole text when it has none.
[[nodiscard]] std::string NameOf(const std::string& path);
// What comes before the last "\", or "" when there is none: "D:\a.inf" gives "D:".
[[nodiscard]] std::string FolderOf(const std::string& path);
// The folder that holds a folder: as FolderOf, but a drive root keeps its separator
// ("D:\x" gives "D:\"), since "D:" names the current folder of drive D.
[[nodiscard]] std::string ParentFolder(const std::string& path);
// "D:\Backup\\" and "D:\Backup" are one folder; a separator of three characters or fewer
// ("D:\", "\") stays, for the same reason.
[[nodiscard]] std::string WithoutTrailingSeparator(std::string folder);
// folder + "\" + name, with no second separator after a folder that ends in one ("D:\").
[[nodiscard]] std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace zv
