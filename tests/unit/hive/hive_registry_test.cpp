#include "hive/hive_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "hive_test_support.h"
#include "inventory/ReadDrivers.h"

namespace zv::hive {
namespace {

using testing::HiveBytes;

const std::string kDriver =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\0001";

class HiveRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(system.Load(HiveBytes("SYSTEM")), LoadStatus::kOk);
        ASSERT_EQ(drivers.Load(HiveBytes("DRIVERS")), LoadStatus::kOk);
        registry.Mount("SYSTEM", system);
        registry.Mount("DRIVERS", drivers);
    }
    Hkey open(const std::string& path, Long expect = kErrorSuccess) {
        Hkey key = Hkey{1};
        EXPECT_EQ(registry.OpenKeyEx(kHkeyLocalMachine, path, 0, kKeyRead, &key), expect) << path;
        if (expect != kErrorSuccess) {
            EXPECT_EQ(key, kNoKey) << path;
        }
        return key;
    }
    std::vector<std::string> subkeys(Hkey key) {
        std::vector<std::string> out;
        char name[64];
        for (Dword i = 0; registry.EnumKey(key, i, name, sizeof name) == kErrorSuccess; ++i)
            out.push_back(name);
        return out;
    }
    std::string text(Hkey key, const std::string& value, Long* status = nullptr) {
        Dword type = 0, size = 0;
        Long s = registry.QueryValueEx(key, value, &type, nullptr, &size);
        std::string data(size, '\0');
        if (s == kErrorSuccess)
            s = registry.QueryValueEx(key, value, &type, reinterpret_cast<std::uint8_t*>(data.data()), &size);
        if (status) *status = s;
        return data;
    }

    fakes::FakePlatform p;
    HiveFile system, drivers;
    HiveRegistry registry{p.locale};
};

TEST_F(HiveRegistryTest, TheDriverListReadsTheControlSetSelectNamesUnchanged) {
    Platform os{registry, p.profile, p.system, p.files,  p.internet, p.shell,
                p.ui,     p.setup,   p.data,   p.locale, p.devices,  p.signatures};
    Env env{os, p.errors, p.app};
    fakes::FakeCheckBox microsoft;
    microsoft.ticked = 1;
    const std::vector<DriverRecord> records = ListDrivers(env, microsoft);
    std::vector<std::string> descriptions;
    for (const DriverRecord& r : records) descriptions.push_back(r.description);
    // ControlSet001 is a decoy; the key and value whose names the code page lacks are left out;
    // a description it lacks characters of keeps the others, with "?" for those lost.
    EXPECT_EQ(descriptions, (std::vector<std::string>{"Basic display", "Pixelwerk GX",
                                                      "?\xF3"
                                                      "d? NIC",
                                                      "Caf\xE9 NIC", "Chipset A", "Chipset B", "Chipset C",
                                                      "Chipset D", "Chipset E"}));
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(records[1].id, "{4d36e968-e325-11ce-bfc1-08002be10318}\\0001");
    EXPECT_EQ(records[1].className, "Display");
    EXPECT_EQ(records[1].classDefault, "Display adapters");
    EXPECT_EQ(records[1].infName, "oem3.inf");
    EXPECT_EQ(records[1].version, "31.0.15.1");
    EXPECT_EQ(records[1].date, "5-17-2024");
    EXPECT_TRUE(p.ui.shown.empty());         // the listing's full-access opens succeeded
    EXPECT_EQ(registry.droppedNames(), 1u);  // the key; the value is never asked for by this listing
    EXPECT_EQ(registry.lossyTexts(), 1u);
    EXPECT_EQ(registry.openHandles(), 0u);
}

TEST_F(HiveRegistryTest, AnswersWithTheStatusCodesOfTheRegistryCalls) {
    EXPECT_EQ(subkeys(kHkeyLocalMachine), (std::vector<std::string>{"DRIVERS", "SYSTEM"}));
    const Hkey root = open("system");
    EXPECT_EQ(subkeys(root), (std::vector<std::string>{"ControlSet001", "ControlSet002", "CurrentControlSet",
                                                       "DriverDatabase", "Select"}));
    open("SYSTEM\\CurrentControlSet\\Control\\Nothing", kErrorFileNotFound);
    open("SOFTWARE", kErrorFileNotFound);
    const Hkey packages = open("DRIVERS\\DriverDatabase\\DriverPackages\\pixelwerk.inf_amd64_4f1e");
    EXPECT_EQ(text(packages, ""), std::string("oem3.inf\0", 9));

    const Hkey driver = open(kDriver);
    Long status = 0;
    EXPECT_EQ(text(driver, "driverdesc"), std::string("Pixelwerk GX\0", 13));
    EXPECT_EQ(text(driver, "HardwareIds"), std::string("PCI\\VEN_1234\0PCI\\VEN_1234&DEV_5678\0\0", 36));
    EXPECT_EQ(text(driver, "Settings"), std::string(40000, '\xAB'));
    EXPECT_EQ(text(driver, "Flags"), std::string("\x78\x56\x34\x12", 4));
    text(driver, "Missing", &status);
    EXPECT_EQ(status, kErrorFileNotFound);
    // Only the name itself opens a key or value, never one the code page turns it into.
    text(driver, "Kolo", &status);
    EXPECT_EQ(status, kErrorFileNotFound);

    Dword type = 0, size = 4;
    std::uint8_t small[4];
    EXPECT_EQ(registry.QueryValueEx(driver, "DriverDesc", &type, small, &size), kErrorMoreData);
    EXPECT_EQ(size, 13u);
    char name[8];
    EXPECT_EQ(registry.EnumKey(root, 0, name, 8), kErrorMoreData);  // "ControlSet001" and its NUL
    EXPECT_EQ(registry.EnumKey(root, 5, name, 8), kErrorNoMoreItems);

    char valueName[32];
    Dword cch = sizeof valueName;
    std::uint8_t data[64];
    Dword cb = sizeof data;
    EXPECT_EQ(registry.EnumValue(driver, 2, valueName, &cch, &type, data, &cb), kErrorSuccess);
    EXPECT_EQ(std::string(valueName), "InfPath");
    EXPECT_EQ(cb, 9u);
    cch = 4;
    EXPECT_EQ(registry.EnumValue(driver, 2, valueName, &cch, &type, data, &cb), kErrorMoreData);
    cch = sizeof valueName;
    EXPECT_EQ(registry.EnumValue(driver, 9, valueName, &cch, &type, data, &cb),
              kErrorNoMoreItems);  // "Koło" left out

    // Read-only: every write is refused and changes nothing.
    const std::uint8_t bytes[] = {'x', 0};
    Hkey created = Hkey{1};
    EXPECT_EQ(registry.SetValueEx(driver, "DriverDesc", kRegSz, bytes, 2), kErrorAccessDenied);
    EXPECT_EQ(registry.DeleteValue(driver, "DriverDesc"), kErrorAccessDenied);
    EXPECT_EQ(registry.CreateKey(driver, "New", &created), kErrorAccessDenied);
    EXPECT_EQ(created, kNoKey);
    EXPECT_EQ(text(driver, "DriverDesc"), std::string("Pixelwerk GX\0", 13));

    for (Hkey k : {root, packages, driver}) EXPECT_EQ(registry.CloseKey(k), kErrorSuccess);
    EXPECT_EQ(registry.CloseKey(driver), kErrorInvalidHandle);
    EXPECT_EQ(registry.EnumKey(driver, 0, name, 8), kErrorInvalidHandle);
    EXPECT_EQ(registry.openHandles(), 0u);
}

TEST(HiveRegistry, AControlSetThatSelectNamesButTheHiveLacksIsNoCurrentControlSet) {
    fakes::FakeLocale locale;
    HiveFile system;
    ASSERT_EQ(system.Load(HiveBytes("NOSET")), LoadStatus::kOk);
    HiveRegistry registry(locale);
    registry.Mount("SYSTEM", system);
    EXPECT_EQ(registry.currentControlSet(), 3u);
    EXPECT_EQ(registry.currentControlSetName(), "ControlSet003");
    EXPECT_FALSE(registry.hasCurrentControlSet());
    Hkey key = kNoKey;
    EXPECT_EQ(registry.OpenKeyEx(kHkeyLocalMachine, "SYSTEM\\CurrentControlSet", 0, kKeyRead, &key),
              kErrorFileNotFound);
    EXPECT_EQ(registry.OpenKeyEx(kHkeyLocalMachine, "SYSTEM", 0, kKeyRead, &key), kErrorSuccess);
    char name[64];
    std::vector<std::string> names;
    for (Dword i = 0; registry.EnumKey(key, i, name, sizeof name) == kErrorSuccess; ++i)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"ControlSet001", "Select"}));
}

}  // namespace
}  // namespace zv::hive
