#pragma once
// What the registry contract cases need from the registry under test: the seam
// itself and a fresh, empty key of the test's own, removed again afterwards.
#include <memory>
#include <string>

#include "platform/registry.h"

namespace zv::contract {

class RegistryContractFixture {
public:
    virtual ~RegistryContractFixture() = default;
    virtual IRegistry& registry() = 0;
    // The test's own key is root()\path(); it exists and is empty when the test starts.
    [[nodiscard]] virtual Hkey root() const = 0;
    [[nodiscard]] virtual const std::string& path() const = 0;
};

// One per test: the fake on the host, the real registry under Wine.
std::unique_ptr<RegistryContractFixture> MakeRegistryContractFixture();

}  // namespace zv::contract
