#pragma once
// The devices Windows knows, present or not, and the driver instance each one uses:
// setupapi's device listing with its registry and device properties.
#include <string>
#include <vector>

#include "platform/types.h"

namespace zv {

struct DeviceEntry {
    std::string driverKey;  // SPDRP_DRIVER: "{class GUID}\0000", the class key's instance; may be empty
    std::string name;       // SPDRP_FRIENDLYNAME, else SPDRP_DEVICEDESC
    bool present = false;   // connected now (DEVPKEY_Device_IsPresent, else the devnode's status)
    // The INF names of the device's extension drivers; none where Windows keeps no such property.
    std::vector<std::string> extensionInfs;
};

class IDevices {
public:
    virtual ~IDevices() = default;
    // Every device, present or not (SetupDiGetClassDevs with DIGCF_ALLCLASSES), in the
    // platform's order. False sets lastError and leaves devices empty.
    virtual bool ListDevices(std::vector<DeviceEntry>* devices, Dword* lastError) = 0;
};

}  // namespace zv
