#pragma once
// What every procedure of the program is handed: the platform, the error
// reporter and the application values.
#include <string>

#include "platform/platform.h"
#include "support/ModError.h"

namespace zv {

// Set once by StartUp, read anywhere afterwards.
struct AppValues {
    std::string Appname;
    std::string CurrentVersion;
    std::string MainKey;
    std::string UpdateURL;
};

// The title of the program's own message boxes, before and after StartUp.
inline constexpr const char* kProgramTitle = "Zorvane";

struct Env {
    Platform& os;
    ModError::Reporter& errors;
    AppValues& app;
};

}  // namespace zv
