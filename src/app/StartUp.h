#pragma once
// The start-up sequence: application values, the About item's caption, the
// version check and the first-run agreement. It may end the program.
#include <memory>
#include <string>
#include <vector>

#include "support/env.h"
#include "ui/controls.h"

namespace zv {

class clsHTTP;

// The maker's update server: the one place its host name is written.
inline constexpr const char* kUpdateHost = "updates.fenwright.example";

// Program-wide values of the check; CheckVersion lives until the program ends.
struct StartUpState {
    StartUpState();
    ~StartUpState();
    std::unique_ptr<clsHTTP> CheckVersion;
    std::vector<std::string> DataArray;
    int MsgboxRes = 0;
};

void StartUp(Env& env, IFormWindow& form, StartUpState& state);

}  // namespace zv
