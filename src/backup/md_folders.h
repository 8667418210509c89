#pragma once
// The Windows folder and the system folder, without a trailing separator.
#include <string>

#include "support/env.h"

namespace zv::md_folders {

inline constexpr Dword kFolderBuffer = 255;

// Empty when the platform call fails.
[[nodiscard]] std::string Getpath_WINDOWS(Env& env);
[[nodiscard]] std::string Getpath_SYSTEM(Env& env);

}  // namespace zv::md_folders
