#include "hive/hive_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "hive_test_support.h"

namespace zv::hive {
namespace {

using testing::HiveBytes;
using testing::KeyAt;
using testing::Utf16Z;

std::vector<std::u16string> SubkeyNames(const HiveFile& hive, Cell key, bool* whole = nullptr) {
    std::vector<Cell> cells;
    const bool ok = hive.Subkeys(key, &cells);
    if (whole) *whole = ok;
    std::vector<std::u16string> names;
    for (Cell c : cells) {
        std::u16string n;
        EXPECT_TRUE(hive.KeyName(c, &n));
        names.push_back(n);
    }
    return names;
}

// name -> (type, data) of the key's values, and their names in the file's order.
std::map<std::u16string, std::pair<std::uint32_t, std::string>> ValuesOf(const HiveFile& hive, Cell key,
                                                                         std::vector<std::u16string>* order) {
    std::map<std::u16string, std::pair<std::uint32_t, std::string>> out;
    std::vector<Cell> cells;
    EXPECT_TRUE(hive.Values(key, &cells));
    for (Cell c : cells) {
        std::u16string name;
        std::uint32_t type = 0;
        std::string data;
        EXPECT_TRUE(hive.ValueName(c, &name));
        EXPECT_TRUE(hive.ValueData(c, &type, &data));
        order->push_back(name);
        out[name] = {type, data};
    }
    return out;
}

TEST(HiveFile, ReadsEveryListKindNameFormAndWayOfStoringData) {
    HiveFile hive;
    ASSERT_EQ(hive.Load(HiveBytes("SYSTEM")), LoadStatus::kOk);
    EXPECT_FALSE(hive.state().dirty());
    EXPECT_EQ(SubkeyNames(hive, hive.root()), (std::vector<std::u16string>{u"ControlSet001", u"ControlSet002",
                                                                           u"DriverDatabase", u"Select"}));

    // Letter case aside, Latin-1 letters included; each class is listed by another kind of list.
    const Cell classes = KeyAt(hive, {u"controlset002", u"CONTROL", u"Class"});
    ASSERT_NE(classes, kNoCell);
    EXPECT_EQ(
        SubkeyNames(hive, hive.FindSubkey(classes, u"{4D36E968-E325-11CE-BFC1-08002BE10318}")),
        (std::vector<std::u16string>{u"0000", u"0001", u"Properties", u"\u041a\u043b\u044e\u0447"}));  // li
    EXPECT_EQ(SubkeyNames(hive, hive.FindSubkey(classes, u"{4d36e972-e325-11ce-bfc1-08002be10318}")),
              (std::vector<std::u16string>{u"0000", u"0001"}));  // lf
    EXPECT_EQ(SubkeyNames(hive, hive.FindSubkey(classes, u"{4d36e97d-e325-11ce-bfc1-08002be10318}")),
              (std::vector<std::u16string>{u"0000", u"0001", u"0002", u"0003", u"0004"}));  // ri of lh
    EXPECT_TRUE(HiveFile::SameName(u"caf\u00e9", u"CAF\u00c9"));
    EXPECT_FALSE(HiveFile::SameName(u"Kolo", u"Ko\u0142o"));

    const Cell driver =
        hive.FindSubkey(hive.FindSubkey(classes, u"{4d36e968-e325-11ce-bfc1-08002be10318}"), u"0001");
    std::vector<std::u16string> order;
    auto values = ValuesOf(hive, driver, &order);
    EXPECT_EQ(order,
              (std::vector<std::u16string>{u"DriverDesc", u"ProviderName", u"InfPath", u"DriverVersion",
                                           u"DriverDate", u"Settings", u"HardwareIds", u"Flags", u"Short",
                                           u"Ko\u0142o"}));  // the last one's name is stored as UTF-16
    EXPECT_EQ(values[u"DriverDesc"], std::make_pair(1u, Utf16Z(u"Pixelwerk GX")));
    EXPECT_EQ(values[u"HardwareIds"].first, 7u);
    EXPECT_EQ(values[u"HardwareIds"].second,
              Utf16Z(u"PCI\\VEN_1234") + Utf16Z(u"PCI\\VEN_1234&DEV_5678") + std::string(2, '\0'));
    EXPECT_EQ(values[u"Flags"], std::make_pair(4u, std::string("\x78\x56\x34\x12", 4)));  // in the record
    EXPECT_EQ(values[u"Short"], std::make_pair(3u, std::string("\x01\x02", 2)));          // in the record
    EXPECT_EQ(values[u"Settings"], std::make_pair(3u, std::string(40000, '\xAB')));       // three segments
}

TEST(HiveFile, TheOlderFormatKeepsLargeDataInOneCell) {
    HiveFile hive;
    ASSERT_EQ(hive.Load(HiveBytes("OLDFORMAT")), LoadStatus::kOk);
    std::vector<Cell> values;
    ASSERT_TRUE(hive.Values(KeyAt(hive, {u"Big"}), &values));
    ASSERT_EQ(values.size(), 1u);
    std::uint32_t type = 0;
    std::string data;
    ASSERT_TRUE(hive.ValueData(values[0], &type, &data));
    EXPECT_EQ(data, std::string(20000, '\xCD'));
}

TEST(HiveFile, ADirtyHiveIsSaidToBeSoAndReadAllTheSame) {
    struct Case {
        const char* name;
        bool checksumOk;
    };
    for (const Case& c : {Case{"UNSYNCED", true}, Case{"BADSUM", false}}) {
        SCOPED_TRACE(c.name);
        HiveFile hive;
        ASSERT_EQ(hive.Load(HiveBytes(c.name)), LoadStatus::kOk);
        EXPECT_TRUE(hive.state().dirty());
        EXPECT_EQ(hive.state().checksumOk, c.checksumOk);
        EXPECT_NE(KeyAt(hive, {u"ControlSet001"}), kNoCell);
    }
    HiveFile clean;
    ASSERT_EQ(clean.Load(HiveBytes("NOSET")), LoadStatus::kOk);
    EXPECT_FALSE(clean.state().dirty());
}

TEST(HiveFile, RefusesWhatIsNoWholeHive) {
    const std::string good = HiveBytes("SYSTEM");
    const auto patched = [&](std::size_t at, const char* bytes, std::size_t n) {
        std::string s = good;
        std::memcpy(s.data() + at, bytes, n);
        return s;
    };
    struct Case {
        const char* what;
        std::string bytes;
        LoadStatus status;
    };
    const Case cases[] = {
        {"empty", "", LoadStatus::kNotAHive},
        {"a program", "MZ\x90\x00 and more" + std::string(9000, '\0'), LoadStatus::kNotAHive},
        {"a log's base block", patched(28, "\x01\0\0\0", 4), LoadStatus::kNotAHive},
        {"the base block alone", good.substr(0, 4096), LoadStatus::kTruncated},
        {"cut by the writer", HiveBytes("TRUNCATED"), LoadStatus::kTruncated},
        {"cut one byte short", good.substr(0, good.size() - 1), LoadStatus::kTruncated},
        {"a bin without its signature", patched(4096, "hbim", 4), LoadStatus::kDamaged},
        {"a bin of no size", patched(4096 + 8, "\0\0\0\0", 4), LoadStatus::kDamaged},
        {"a root in a bin's header", patched(36, "\x08\x00\x00\x00", 4), LoadStatus::kDamaged},
        {"a root past the bins", patched(36, "\x00\x00\x00\x7F", 4), LoadStatus::kDamaged},
        {"bins of an odd size", patched(40, "\x01\x10\x00\x00", 4), LoadStatus::kDamaged},
    };
    for (const Case& c : cases) {
        HiveFile hive;
        EXPECT_EQ(hive.Load(c.bytes), c.status) << c.what;
        EXPECT_EQ(hive.root(), kNoCell) << c.what;
    }
}

}  // namespace
}  // namespace zv::hive
