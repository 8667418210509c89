#pragma once
// setupapi's device-list calls, bound from the system folder on their first use: the
// program does not import setupapi, which most starts never need. The device listing
// and the restore's present devices walk their lists through the same binding.
#include <windows.h>

#include <setupapi.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/system_library.h"

namespace zv::win32 {

// setupapi's function of that name, typed as declared; null where it is missing.
template <class Fn>
[[nodiscard]] Fn Setupapi(const char* name) {
    return SystemProc<Fn>("setupapi.dll", name);
}

// Calls visit for every device of SetupDiGetClassDevsA(no class, flags | DIGCF_ALLCLASSES).
// False, with error set, when setupapi lacks the calls or gives no list.
bool ForEachDevice(DWORD flags, const std::function<void(HDEVINFO, SP_DEVINFO_DATA&)>& visit, DWORD* error);

// The strings of a device's registry property (SPDRP_*): one for REG_SZ, each of a
// REG_MULTI_SZ; none for another type, an empty value or a failing read.
[[nodiscard]] std::vector<std::string> DeviceStrings(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property);

}  // namespace zv::win32
