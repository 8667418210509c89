#pragma once
// Registry keys of a test's own under HKEY_CURRENT_USER, and their removal.
#include <string>

namespace zv::contract {

// A name no other test process or test case uses.
[[nodiscard]] std::string UniqueKeyName();

// Removes HKEY_CURRENT_USER\parent\name with everything below it. The parent
// itself stays, shared by the test processes that run side by side.
void RemoveTestKey(const char* parent, const std::string& name);
// The same below HKEY_LOCAL_MACHINE (the device tests' keys in Wine's device tree).
void RemoveMachineTestKey(const char* parent, const std::string& name);

}  // namespace zv::contract
