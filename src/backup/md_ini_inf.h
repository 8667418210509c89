#pragma once
// INF files read as profile files, through the platform's profile-file calls.
#include <string>
#include <vector>

#include "support/env.h"

namespace zv::md_ini_inf {

// Buffer sizes of the two reads; they are limits of the program.
inline constexpr Dword kValueBuffer = 750;
inline constexpr Dword kSectionBuffer = 5 * 1024;

// The key's value cut to 749 characters, or the default when the file, section or key is missing.
[[nodiscard]] std::string ReadFromINI(Env& env, const std::string& section, const std::string& key,
                                      const std::string& file, const std::string& defaultValue);

// The section's key names in file order; one empty name when the section is missing or empty.
[[nodiscard]] std::vector<std::string> LoadIniSectionKeys(Env& env, const std::string& section,
                                                          const std::string& file);

}  // namespace zv::md_ini_inf
