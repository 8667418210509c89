#include "contract/settings_fixture.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32/factories.h"

namespace zv::contract {
namespace {

constexpr const char* kParent = "Software\\ZorvaneSettingsTests";

// RegDeleteTreeA is Vista and later, and the build targets XP headers.
void DeleteTree(HKEY parent, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    char child[256];
    while (RegEnumKeyA(key, 0, child, sizeof child) == ERROR_SUCCESS) {
        const std::string before = child;
        DeleteTree(key, before);
        if (RegEnumKeyA(key, 0, child, sizeof child) == ERROR_SUCCESS && before == child) break;
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, name.c_str());
}

class Win32SettingsFixture final : public SettingsContractFixture {
public:
    Win32SettingsFixture() {
        static unsigned counter = 0;
        char name[64];
        std::snprintf(name, sizeof name, "p%lut%lun%u", static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned long>(GetTickCount()), ++counter);
        m_name = name;
        m_path = std::string(kParent) + "\\" + m_name + "\\FI";
    }
    ~Win32SettingsFixture() override {
        HKEY parent = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kParent, 0, KEY_ALL_ACCESS, &parent) != ERROR_SUCCESS) return;
        DeleteTree(parent, m_name);
        RegCloseKey(parent);
        RegDeleteKeyA(HKEY_CURRENT_USER, kParent);  // once no other test's key is left
    }
    Platform& platform() override { return m_os; }
    [[nodiscard]] const std::string& path() const override { return m_path; }

private:
    std::unique_ptr<IRegistry> m_registry = win32::MakeRegistry();
    std::unique_ptr<IProfile> m_profile = win32::MakeProfile();
    std::unique_ptr<ISystem> m_system = win32::MakeSystem();
    std::unique_ptr<IFileSystem> m_files = win32::MakeFileSystem();
    std::unique_ptr<IInternet> m_internet = win32::MakeInternet();
    std::unique_ptr<IShell> m_shell = win32::MakeShell();
    Platform m_os{*m_registry, *m_profile, *m_system, *m_files, *m_internet, *m_shell, ui};
    std::string m_name;
    std::string m_path;
};

}  // namespace

std::unique_ptr<SettingsContractFixture> MakeSettingsContractFixture() {
    return std::make_unique<Win32SettingsFixture>();
}

}  // namespace zv::contract
