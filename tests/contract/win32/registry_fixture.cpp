#include "contract/registry_fixture.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32/factories.h"

namespace zv::contract {
namespace {

constexpr const char* kParent = "Software\\ZorvaneContractTests";

// RegDeleteTreeA is Vista and later, and the build targets XP headers.
void DeleteTree(HKEY parent, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    char child[256];
    // Always index 0: every deletion moves the next subkey to the front.
    while (RegEnumKeyA(key, 0, child, sizeof child) == ERROR_SUCCESS) {
        const std::string before = child;
        DeleteTree(key, before);
        if (RegEnumKeyA(key, 0, child, sizeof child) == ERROR_SUCCESS && before == child) break;
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, name.c_str());
}

class Win32RegistryFixture final : public RegistryContractFixture {
public:
    Win32RegistryFixture() : m_registry(win32::MakeRegistry()) {
        static unsigned counter = 0;
        char name[64];
        std::snprintf(name, sizeof name, "p%lut%lun%u", static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned long>(GetTickCount()), ++counter);
        m_name = name;
        m_path = kParent;
        m_path += '\\';
        m_path += m_name;
        HKEY key = nullptr;
        if (RegCreateKeyA(HKEY_CURRENT_USER, m_path.c_str(), &key) == ERROR_SUCCESS) RegCloseKey(key);
    }
    ~Win32RegistryFixture() override {
        HKEY parent = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kParent, 0, KEY_ALL_ACCESS, &parent) != ERROR_SUCCESS) return;
        DeleteTree(parent, m_name);
        RegCloseKey(parent);
        // Only succeeds once no other test's key is left below it.
        RegDeleteKeyA(HKEY_CURRENT_USER, kParent);
    }
    IRegistry& registry() override { return *m_registry; }
    [[nodiscard]] Hkey root() const override { return kHkeyCurrentUser; }
    [[nodiscard]] const std::string& path() const override { return m_path; }

private:
    std::unique_ptr<IRegistry> m_registry;
    std::string m_name;
    std::string m_path;
};

}  // namespace

std::unique_ptr<RegistryContractFixture> MakeRegistryContractFixture() {
    return std::make_unique<Win32RegistryFixture>();
}

}  // namespace zv::contract
