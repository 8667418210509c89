#include "contract/settings_fixture.h"

#include <windows.h>

#include <string>

#include "contract/win32/test_keys.h"
#include "platform/win32/factories.h"

namespace zv::contract {
namespace {

constexpr const char* kParent = "Software\\ZorvaneSettingsTests";

class Win32SettingsFixture final : public SettingsContractFixture {
public:
    Win32SettingsFixture() {
        m_name = UniqueKeyName();
        m_path = std::string(kParent) + "\\" + m_name + "\\FI";
    }
    ~Win32SettingsFixture() override { RemoveTestKey(kParent, m_name); }
    Platform& platform() override { return m_os; }
    [[nodiscard]] const std::string& path() const override { return m_path; }

private:
    std::unique_ptr<IRegistry> m_registry = win32::MakeRegistry();
    std::unique_ptr<IProfile> m_profile = win32::MakeProfile();
    std::unique_ptr<ISystem> m_system = win32::MakeSystem();
    std::unique_ptr<IFileSystem> m_files = win32::MakeFileSystem();
    std::unique_ptr<IInternet> m_internet = win32::MakeInternet();
    std::unique_ptr<IShell> m_shell = win32::MakeShell();
    std::unique_ptr<IDriverSetup> m_setup = win32::MakeDriverSetup();
    std::unique_ptr<IFileData> m_data = win32::MakeFileData();
    std::unique_ptr<ILocale> m_locale = win32::MakeLocale();
    std::unique_ptr<IDevices> m_devices = win32::MakeDevices();
    std::unique_ptr<ISignatures> m_signatures = win32::MakeSignatures();
    Platform m_os{*m_registry, *m_profile, *m_system, *m_files,  *m_internet, *m_shell,
                  ui,          *m_setup,   *m_data,   *m_locale, *m_devices,  *m_signatures};
    std::string m_name;
    std::string m_path;
};

}  // namespace

std::unique_ptr<SettingsContractFixture> MakeSettingsContractFixture() {
    return std::make_unique<Win32SettingsFixture>();
}

}  // namespace zv::contract
