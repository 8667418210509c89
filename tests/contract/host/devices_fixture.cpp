#include "contract/devices_fixture.h"

#include "fakes/fake_devices.h"

namespace zv::contract {
namespace {

class FakeDevicesFixture final : public DevicesContractFixture {
public:
    IDevices& devices() override { return m_devices; }
    void addDevice(const TestDevice& d) override {
        m_devices.devices.push_back(DeviceEntry{d.driverKey,
                                                d.friendlyName.empty() ? d.description : d.friendlyName,
                                                d.present.value_or(true), d.extensionInfs});
    }

private:
    fakes::FakeDevices m_devices;
};

}  // namespace

std::unique_ptr<DevicesContractFixture> MakeDevicesContractFixture() {
    return std::make_unique<FakeDevicesFixture>();
}

}  // namespace zv::contract
