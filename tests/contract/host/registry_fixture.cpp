#include "contract/registry_fixture.h"

#include "fakes/fake_registry.h"

namespace zv::contract {
namespace {

class FakeRegistryFixture final : public RegistryContractFixture {
public:
    FakeRegistryFixture() { m_registry.createKey(kHkeyCurrentUser, m_path); }
    IRegistry& registry() override { return m_registry; }
    [[nodiscard]] Hkey root() const override { return kHkeyCurrentUser; }
    [[nodiscard]] const std::string& path() const override { return m_path; }

private:
    fakes::FakeRegistry m_registry;
    std::string m_path = "Software\\ZorvaneContractTests\\fake";
};

}  // namespace

std::unique_ptr<RegistryContractFixture> MakeRegistryContractFixture() {
    return std::make_unique<FakeRegistryFixture>();
}

}  // namespace zv::contract
