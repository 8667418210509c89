// The device listing over setupapi. The device-property call and the devnode status
// are looked up at run time: Windows XP has no SetupDiGetDevicePropertyW, and a
// property Windows does not keep (IsPresent before Windows 8, the extension INFs
// before Windows 10, any of them under Wine) reads as not there.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/ansi_text.h"
#include "platform/win32/factories.h"
#include "platform/win32/setupapi_calls.h"

namespace zv::win32 {
namespace {

// devpropdef.h's DEVPROPKEY, spelt out: the SDK declares it only for Vista and later.
struct PropertyKey {
    GUID fmtid;
    ULONG pid;
};
constexpr ULONG kDevpropTypeBoolean = 0x11;
constexpr ULONG kDevpropTypeStringList = 0x2012;
constexpr ULONG kCrSuccess = 0;

// DEVPKEY_Device_IsPresent.
constexpr PropertyKey kIsPresent{
    {0x540b947e, 0x8b40, 0x45bc, {0xa8, 0xa2, 0x6a, 0x0b, 0x89, 0x4c, 0xbd, 0xa2}}, 5};
// The driver property set's list of extension INFs of the device's driver
// (DEVPKEY_Device_DriverExtendedInfs, a string list, Windows 10 and later).
constexpr PropertyKey kExtensionInfs{
    {0xa8b865dd, 0x2e3d, 0x4094, {0xad, 0x97, 0xe5, 0x93, 0xa7, 0x0c, 0x75, 0xd6}}, 20};

using GetDevicePropertyW = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, const PropertyKey*, ULONG*, PBYTE, DWORD,
                                         PDWORD, DWORD);
using GetDevNodeStatus = DWORD(WINAPI*)(PULONG, PULONG, DWORD, ULONG);

// A REG_SZ property: the driver key, the names.
std::string RegistryText(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    std::vector<std::string> strings = DeviceStrings(set, device, property);
    return strings.empty() ? "" : std::move(strings.front());
}

class Win32Devices final : public IDevices {
public:
    Win32Devices()
        : m_property(Setupapi<GetDevicePropertyW>("SetupDiGetDevicePropertyW")),
          m_status(Setupapi<GetDevNodeStatus>("CM_Get_DevNode_Status")) {}

    bool ListDevices(std::vector<DeviceEntry>* devices, Dword* lastError) override {
        devices->clear();
        DWORD error = 0;
        const bool listed = ForEachDevice(
            0,
            [&](HDEVINFO set, SP_DEVINFO_DATA& device) {
                DeviceEntry e;
                e.driverKey = RegistryText(set, device, SPDRP_DRIVER);
                e.name = RegistryText(set, device, SPDRP_FRIENDLYNAME);
                if (e.name.empty()) e.name = RegistryText(set, device, SPDRP_DEVICEDESC);
                e.present = present(set, device);
                e.extensionInfs = stringList(set, device, kExtensionInfs);
                devices->push_back(std::move(e));
            },
            &error);
        if (!listed) *lastError = error;
        return listed;
    }

private:
    bool present(HDEVINFO set, SP_DEVINFO_DATA& device) const {
        if (m_property) {
            ULONG type = 0;
            BYTE value = 0;
            DWORD size = 0;
            if (m_property(set, &device, &kIsPresent, &type, &value, sizeof value, &size, 0) &&
                type == kDevpropTypeBoolean && size == sizeof value)
                return value != 0;
        }
        // A device that is not connected has no devnode: CR_NO_SUCH_DEVINST.
        ULONG status = 0, problem = 0;
        return m_status && m_status(&status, &problem, device.DevInst, 0) == kCrSuccess;
    }

    std::vector<std::string> stringList(HDEVINFO set, SP_DEVINFO_DATA& device, const PropertyKey& key) const {
        std::vector<std::string> out;
        if (!m_property) return out;
        ULONG type = 0;
        DWORD size = 0;
        m_property(set, &device, &key, &type, nullptr, 0, &size, 0);
        if (size == 0 || type != kDevpropTypeStringList) return out;
        // Two more NULs than asked for, so that a list stored without its end still ends.
        std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
        if (!m_property(set, &device, &key, &type, reinterpret_cast<BYTE*>(data.data()), size, nullptr, 0))
            return out;
        // An INF name the code page cannot hold is left out: the "A" calls could not open it,
        // and a look-alike could name another INF.
        for (const wchar_t* p = data.data(); *p; p += wcslen(p) + 1)
            if (std::string name; AnsiFromWide(p, &name)) out.push_back(std::move(name));
        return out;
    }

    GetDevicePropertyW m_property = nullptr;
    GetDevNodeStatus m_status = nullptr;
};

}  // namespace

std::unique_ptr<IDevices> MakeDevices() {
    return std::make_unique<Win32Devices>();
}

}  // namespace zv::win32
