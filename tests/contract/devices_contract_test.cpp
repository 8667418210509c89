// The device listing as the driver list relies on it: each device with its driver's
// class instance, the friendly name before the description, whether it is present,
// and its extension INFs, none where no such property is kept.
#include <gtest/gtest.h>

#include <string>

#include "contract/devices_fixture.h"

namespace zv::contract {
namespace {

const DeviceEntry* Find(const std::vector<DeviceEntry>& all, const std::string& driverKey) {
    for (const DeviceEntry& d : all)
        if (d.driverKey == driverKey) return &d;
    return nullptr;
}

TEST(DevicesContract, ListsEachDeviceWithItsDriverNamePresenceAndExtensions) {
    auto f = MakeDevicesContractFixture();
    const std::string guid = "{5a1fd0e0-7c3e-4b1a-9d2f-0e5b8c6a0001}";
    f->addDevice(
        {guid + "\\0000", "Contract NIC (port 1)", "Contract NIC", true, {"zvext1.inf", "oem77.inf"}});
    f->addDevice({guid + "\\0001", "", "Contract stick", false, {}});
    f->addDevice({guid + "\\0002", "", "Contract bus", std::nullopt, {}});
    std::vector<DeviceEntry> all{DeviceEntry{"stale", "", false, {}}};
    Dword error = 99;
    ASSERT_TRUE(f->devices().ListDevices(&all, &error)) << error;

    const DeviceEntry* nic = Find(all, guid + "\\0000");
    ASSERT_NE(nic, nullptr);
    EXPECT_EQ(nic->name, "Contract NIC (port 1)");
    EXPECT_TRUE(nic->present);
    EXPECT_EQ(nic->extensionInfs, (std::vector<std::string>{"zvext1.inf", "oem77.inf"}));

    const DeviceEntry* stick = Find(all, guid + "\\0001");
    ASSERT_NE(stick, nullptr);
    EXPECT_EQ(stick->name, "Contract stick");
    EXPECT_FALSE(stick->present);
    EXPECT_TRUE(stick->extensionInfs.empty());

    // Without the presence property, a device the system has a node for counts as present.
    const DeviceEntry* bus = Find(all, guid + "\\0002");
    ASSERT_NE(bus, nullptr);
    EXPECT_TRUE(bus->present);
    EXPECT_EQ(Find(all, "stale"), nullptr);
}

}  // namespace
}  // namespace zv::contract
