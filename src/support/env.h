#pragma once
// What every procedure of the program is handed: the platform, the error
// reporter and the application values.
#include <string>

#include "platform/platform.h"
#include "support/ModError.h"
#include "support/identity.h"

namespace zv {

// Set once by StartUp, read anywhere afterwards.
struct AppValues {
    std::string Appname;
    std::string CurrentVersion;
    std::string MainKey;
    std::string UpdateURL;
};

struct Env {
    Platform& os;
    ModError::Reporter& errors;
    AppValues& app;
};

}  // namespace zv
