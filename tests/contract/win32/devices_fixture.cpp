// Devices of the test's own in Wine's device tree: keys below Enum\ROOT that setupapi
// lists as devices, with device properties where Wine keeps them (a Properties key per
// property, the property's type in the upper bits of the value's type). Removed again
// when the test ends. Real Windows guards its device tree: these cases run under Wine.
#include <windows.h>

#include <string>
#include <vector>

#include "contract/devices_fixture.h"
#include "contract/win32/test_keys.h"
#include "platform/win32/factories.h"

namespace zv::contract {
namespace {

constexpr const char* kRoot = "SYSTEM\\CurrentControlSet\\Enum\\ROOT";
constexpr const char* kIsPresent = "Properties\\{540b947e-8b40-45bc-a8a2-6a0b894cbda2}\\0005";
constexpr const char* kExtensionInfs = "Properties\\{a8b865dd-2e3d-4094-ad97-e593a70c75d6}\\0014";

void SetValue(HKEY parent, const std::string& sub, const char* name, DWORD type, const void* data,
              DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyA(parent, sub.c_str(), &key) != ERROR_SUCCESS) return;
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void SetText(HKEY parent, const std::string& sub, const char* name, const std::string& text) {
    SetValue(parent, sub, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

class RealDevicesFixture final : public DevicesContractFixture {
public:
    RealDevicesFixture() : m_devices(win32::MakeDevices()), m_name("ZVTEST" + UniqueKeyName()) {}
    ~RealDevicesFixture() override { RemoveMachineTestKey(kRoot, m_name); }
    IDevices& devices() override { return *m_devices; }

    void addDevice(const TestDevice& d) override {
        HKEY root = nullptr;
        if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kRoot, &root) != ERROR_SUCCESS) return;
        char instance[16];
        wsprintfA(instance, "%04u", m_count++);
        const std::string key = m_name + "\\" + instance;
        SetText(root, key, "Driver", d.driverKey);
        // Wine lists only devices whose class it can read.
        SetText(root, key, "ClassGUID", d.driverKey.substr(0, d.driverKey.find('\\')));
        SetText(root, key, "DeviceDesc", d.description);
        if (!d.friendlyName.empty()) SetText(root, key, "FriendlyName", d.friendlyName);
        if (d.present) {
            const BYTE value = *d.present ? 0xFF : 0x00;
            SetValue(root, key + "\\" + kIsPresent, nullptr, 0xFFFF0011u, &value, 1);
        }
        if (!d.extensionInfs.empty()) {
            std::wstring list;
            for (const std::string& inf : d.extensionInfs)
                list += std::wstring(inf.begin(), inf.end()) + L'\0';
            list += L'\0';
            SetValue(root, key + "\\" + kExtensionInfs, nullptr, 0xFFFF2012u, list.data(),
                     static_cast<DWORD>(list.size() * sizeof(wchar_t)));
        }
        RegCloseKey(root);
    }

private:
    std::unique_ptr<IDevices> m_devices;
    std::string m_name;
    unsigned m_count = 0;
};

}  // namespace

std::unique_ptr<DevicesContractFixture> MakeDevicesContractFixture() {
    return std::make_unique<RealDevicesFixture>();
}

}  // namespace zv::contract
