#pragma once
// The device listing as a plain list the test fills; it can be told to fail.
#include <vector>

#include "platform/devices.h"

namespace zv::fakes {

class FakeDevices : public IDevices {
public:
    bool ListDevices(std::vector<DeviceEntry>* out, Dword* lastError) override {
        ++listings;
        out->clear();
        if (failWith != 0) {
            *lastError = failWith;
            return false;
        }
        *out = devices;
        return true;
    }

    std::vector<DeviceEntry> devices;
    Dword failWith = 0;
    int listings = 0;
};

}  // namespace zv::fakes
