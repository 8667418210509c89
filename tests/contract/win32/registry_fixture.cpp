#include "contract/registry_fixture.h"

#include <windows.h>

#include <string>

#include "contract/win32/test_keys.h"
#include "platform/win32/factories.h"

namespace zv::contract {
namespace {

constexpr const char* kParent = "Software\\ZorvaneContractTests";

class Win32RegistryFixture final : public RegistryContractFixture {
public:
    Win32RegistryFixture() : m_registry(win32::MakeRegistry()) {
        m_name = UniqueKeyName();
        m_path = kParent;
        m_path += '\\';
        m_path += m_name;
        HKEY key = nullptr;
        if (RegCreateKeyA(HKEY_CURRENT_USER, m_path.c_str(), &key) == ERROR_SUCCESS) RegCloseKey(key);
    }
    ~Win32RegistryFixture() override { RemoveTestKey(kParent, m_name); }
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
