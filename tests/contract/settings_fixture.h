#pragma once
// What the settings-store contract cases need: a platform whose registry is the
// one under test, and a key of the test's own below HKEY_CURRENT_USER that is
// removed again afterwards. Message boxes are recorded, never shown.
#include <memory>
#include <string>

#include "fakes/fake_ui.h"
#include "platform/platform.h"

namespace zv::contract {

class SettingsContractFixture {
public:
    virtual ~SettingsContractFixture() = default;
    virtual Platform& platform() = 0;
    fakes::FakeUi ui;
    // The test's own key, below HKEY_CURRENT_USER; it does not exist when the test starts.
    [[nodiscard]] virtual const std::string& path() const = 0;
};

std::unique_ptr<SettingsContractFixture> MakeSettingsContractFixture();

}  // namespace zv::contract
