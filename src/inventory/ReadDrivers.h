#pragma once
// The driver list: filling lstDrivers from the device-class key, and the two
// list commands.
#include <string>

#include "support/env.h"
#include "ui/controls.h"

namespace zv {

// The device-class key below HKEY_LOCAL_MACHINE.
inline constexpr const char* kClassKey = "SYSTEM\\CurrentControlSet\\Control\\Class";

// The device cells of a row: the device's name, or this for a driver no device uses,
// and whether the device is present.
inline constexpr const char* kNoDevice = "(no device)";
inline constexpr const char* kPresentYes = "Yes";
inline constexpr const char* kPresentNo = "No";

// Clears lstDrivers and adds one row per instance key whose description is set,
// leaving out the "microsoft" and provider-less ones unless chkMicrosoft is ticked.
// Has no failure path of its own: a failing step is skipped and the run goes on.
void ReadDrivers(Env& env, MainControls& controls);

void chkMicrosoft_Click(Env& env, MainControls& controls);
void cmdSelect_Click(Env& env, MainControls& controls);
void cmdInvert_Click(Env& env, MainControls& controls);

}  // namespace zv
