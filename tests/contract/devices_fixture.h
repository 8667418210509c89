#pragma once
// What the device-listing contract cases need: the device seam, and a way to make a
// device of the test's own (under Wine, keys of its own in the device tree).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/devices.h"

namespace zv::contract {

struct TestDevice {
    std::string driverKey;
    std::string friendlyName;  // empty: none
    std::string description;
    std::optional<bool> present;  // unset: Windows keeps no such property for it
    std::vector<std::string> extensionInfs;
};

class DevicesContractFixture {
public:
    virtual ~DevicesContractFixture() = default;
    virtual IDevices& devices() = 0;
    virtual void addDevice(const TestDevice& device) = 0;
};

std::unique_ptr<DevicesContractFixture> MakeDevicesContractFixture();

}  // namespace zv::contract
