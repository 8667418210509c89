#pragma once
// One Zorvane.exe for every Windows: the 32-bit program carries the 64-bit build as a
// resource and, on 64-bit Windows, runs that instead (a 32-bit process cannot install
// drivers there). The 64-bit build learns the original's path, which is what a backup copies.
#include <optional>
#include <string>

namespace zv::win32 {

// The resource that holds the 64-bit build (RT_RCDATA), in the 32-bit build only.
inline constexpr int kNativeProgramResource = 201;
// Set for the 64-bit program to the path of the 32-bit one that started it.
inline constexpr const char* kHandedOverFrom = "ZORVANE_HANDED_OVER_FROM";

struct HandOver {
    bool ran = false;  // the 64-bit program ran; exitCode is its exit code
    unsigned exitCode = 0;
    std::string failure;  // not ran: why, or "" where no hand-over is wanted (not WOW64)
};

// On 64-bit Windows, writes the carried 64-bit build into a new folder only administrators
// can write to, checks it byte for byte with writes locked out, runs it with this process's
// command line and standard handles, waits, and removes it again.
[[nodiscard]] HandOver RunNativeBuild();

// The program a backup copies: the 32-bit original when this process was handed over to,
// else this program itself. "" when it cannot be told.
[[nodiscard]] std::string ProgramToCopy();

}  // namespace zv::win32
