#include "contract/settings_fixture.h"

#include "fakes/fake_platform.h"

namespace zv::contract {
namespace {

class FakeSettingsFixture final : public SettingsContractFixture {
public:
    Platform& platform() override { return m_os; }
    [[nodiscard]] const std::string& path() const override { return m_path; }

private:
    fakes::FakePlatform m_fakes;
    Platform m_os{m_fakes.registry,
                  m_fakes.profile,
                  m_fakes.system,
                  m_fakes.files,
                  m_fakes.internet,
                  m_fakes.shell,
                  ui,
                  m_fakes.setup,
                  m_fakes.data,
                  m_fakes.locale,
                  m_fakes.devices,
                  m_fakes.signatures};
    std::string m_path = "Software\\ZorvaneSettingsTests\\fake\\FI";
};

}  // namespace

std::unique_ptr<SettingsContractFixture> MakeSettingsContractFixture() {
    return std::make_unique<FakeSettingsFixture>();
}

}  // namespace zv::contract
