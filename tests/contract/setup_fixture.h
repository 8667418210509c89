#pragma once
// What the driver-store contract cases need: the setup seam, a fresh folder of the
// test's own to put INFs in, and the Windows folder the store lies in.
#include <memory>
#include <optional>
#include <string>

#include "platform/driver_setup.h"

namespace zv::contract {

class SetupContractFixture {
public:
    virtual ~SetupContractFixture() = default;
    virtual IDriverSetup& setup() = 0;
    [[nodiscard]] virtual const std::string& folder() const = 0;  // empty when the test starts
    [[nodiscard]] virtual std::string windowsFolder() const = 0;
    virtual void writeFile(const std::string& path, const std::string& bytes) = 0;
    [[nodiscard]] virtual std::optional<std::string> readFile(const std::string& path) = 0;
    // A store file to remove when the test ends (the real store outlives the test).
    virtual void staged(const std::string& path) = 0;
};

std::unique_ptr<SetupContractFixture> MakeSetupContractFixture();

}  // namespace zv::contract
