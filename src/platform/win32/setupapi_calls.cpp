#include "platform/win32/setupapi_calls.h"

#include <cstring>
#include <memory>

namespace zv::win32 {

bool ForEachDevice(DWORD flags, const std::function<void(HDEVINFO, SP_DEVINFO_DATA&)>& visit, DWORD* error) {
    static const auto getClassDevs = Setupapi<decltype(&::SetupDiGetClassDevsA)>("SetupDiGetClassDevsA");
    static const auto enumDevice = Setupapi<decltype(&::SetupDiEnumDeviceInfo)>("SetupDiEnumDeviceInfo");
    static const auto destroyList =
        Setupapi<decltype(&::SetupDiDestroyDeviceInfoList)>("SetupDiDestroyDeviceInfoList");
    if (!getClassDevs || !enumDevice || !destroyList ||
        !Setupapi<void (*)()>("SetupDiGetDeviceRegistryPropertyA")) {
        *error = ERROR_PROC_NOT_FOUND;
        return false;
    }
    HDEVINFO set = getClassDevs(nullptr, nullptr, nullptr, flags | DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) {
        *error = ::GetLastError();
        return false;
    }
    // Bound at run time, so the list's owner takes the bound destroy call.
    const std::unique_ptr<void, decltype(destroyList)> owner(set, destroyList);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; enumDevice(set, i, &device); ++i) visit(set, device);
    *error = 0;
    return true;
}

std::vector<std::string> DeviceStrings(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    static const auto getProperty =
        Setupapi<decltype(&::SetupDiGetDeviceRegistryPropertyA)>("SetupDiGetDeviceRegistryPropertyA");
    std::vector<std::string> out;
    DWORD type = 0, size = 0;
    getProperty(set, &device, property, &type, nullptr, 0, &size);
    if (size == 0) return out;
    // Two more NULs than asked for, so that a value stored without its end still ends.
    std::vector<char> buffer(size + 2, '\0');
    if (!getProperty(set, &device, property, &type, reinterpret_cast<BYTE*>(buffer.data()), size, nullptr))
        return out;
    if (type != REG_MULTI_SZ && type != REG_SZ) return out;
    for (const char* p = buffer.data(); p < buffer.data() + size && *p; p += std::strlen(p) + 1) {
        out.emplace_back(p);
        if (type == REG_SZ) break;
    }
    return out;
}

}  // namespace zv::win32
