#include "inventory/md_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "support/runtime_error.h"

namespace zv::md_registry {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr Hkey kLm = kHkeyLocalMachine;
const std::string kKey = "SOFTWARE\\Test\\Key";

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

class MdRegistryTest : public ::testing::Test {
protected:
    fakes::FakePlatform fp;
    fakes::FakeRegistry& reg = fp.registry;
    Env& env = fp.env;

    void ExpectCleanRun() {
        EXPECT_EQ(reg.openHandles(), 0u);
        EXPECT_TRUE(fp.reports().empty());
    }
};

TEST_F(MdRegistryTest, ReadKeyGivesStringsAndNumbersAndEmptyForEverythingElse) {
    reg.setString(kLm, kKey, "", "the default");
    reg.setString(kLm, kKey, "Str", "text");
    reg.setString(kLm, kKey, "EmptyStr", "");
    reg.setDword(kLm, kKey, "AllBits", 0xFFFFFFFFu);
    reg.setDword(kLm, kKey, "Seven", 7);
    reg.setRaw(kLm, kKey, "NoNul", kRegSz, Text("abc"));
    reg.setRaw(kLm, kKey, "SizeZero", kRegSz, {});
    reg.setRaw(kLm, kKey, "Expand", kRegExpandSz, Text("%TEMP%\0"));
    reg.setRaw(kLm, kKey, "Multi", kRegMultiSz, Bytes{'a', 0, 'b', 0, 0});
    reg.setRaw(kLm, kKey, "Binary", kRegBinary, Bytes{1, 2, 3, 4});
    // Longer than one query's buffer: read after asking for its size.
    reg.setString(kLm, kKey, "Long", std::string(3000, 'x'));

    const struct {
        std::string path;
        std::string name;
        RegValue expected;
    } cases[] = {
        {kKey, "", std::string("the default")},
        {kKey, "str", std::string("text")},  // value names ignore case
        {kKey, "EmptyStr", std::string()},
        {kKey, "AllBits", std::int32_t{-1}},
        {kKey, "Seven", std::int32_t{7}},
        // The last byte is taken for the NUL, so a value stored without one loses a character.
        {kKey, "NoNul", std::string("ab")},
        {kKey, "SizeZero", std::monostate{}},
        {kKey, "Expand", std::monostate{}},
        {kKey, "Multi", std::monostate{}},
        {kKey, "Binary", std::monostate{}},
        {kKey, "Long", std::string(3000, 'x')},
        {kKey, "Missing", std::monostate{}},
        {"SOFTWARE\\Test\\Missing", "Str", std::monostate{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " / " + c.name);
        EXPECT_EQ(ReadKey(env, kLm, c.path, c.name), c.expected);
    }
    // Through keys kept open (relative to a parent, as the driver list reads): the same
    // value for every case, and every key closed at the end.
    {
        OpenKeys keys(reg);
        keys.Keep(kLm, "SOFTWARE\\Test");
        for (const auto& c : cases) {
            SCOPED_TRACE("open keys: " + c.path + " / " + c.name);
            EXPECT_EQ(ReadKey(env, kLm, c.path, c.name, &keys), c.expected);
        }
    }
    EXPECT_TRUE(fp.ui.shown.empty());
    ExpectCleanRun();
}

TEST_F(MdRegistryTest, ReadKeyOpensForReadingOnly) {
    reg.setString(kLm, kKey, "Str", "text");
    reg.denyWriteAccess(kLm, kKey);
    EXPECT_EQ(ReadKey(env, kLm, kKey, "Str"), RegValue(std::string("text")));
    ExpectCleanRun();
}

TEST_F(MdRegistryTest, QueryValueExStatusesAndWhatItLeavesAlone) {
    reg.setString(kLm, kKey, "Str", "text");
    reg.setRaw(kLm, kKey, "SizeZero", kRegSz, {});
    reg.setRaw(kLm, kKey, "Binary", kRegBinary, Bytes{1});
    // A malformed REG_DWORD longer than the number must not be written past it.
    reg.setRaw(kLm, kKey, "LongDword", kRegDword, Bytes{1, 0, 0, 0, 9, 9, 9, 9});
    Hkey h{};
    ASSERT_EQ(reg.OpenKeyEx(kLm, kKey, 0, kKeyQueryValue, &h), kErrorSuccess);

    const struct {
        const char* name;
        Long status;
        RegValue after;
    } cases[] = {
        {"Str", kErrorSuccess, std::string("text")},
        {"Missing", kErrorFileNotFound, std::string("keep")},
        {"Binary", -1, std::string("keep")},
        {"SizeZero", kErrorSuccess, std::string("keep")},  // ends quietly, value as it was
        {"LongDword", kErrorMoreData, std::string("keep")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegValue v = std::string("keep");
        EXPECT_EQ(QueryValueEx(env, h, c.name, v), c.status);
        EXPECT_EQ(v, c.after);
    }
    RegValue v = std::string("keep");
    EXPECT_EQ(QueryValueEx(env, kNoKey, "Str", v), kErrorInvalidHandle);
    reg.CloseKey(h);
    ExpectCleanRun();
}

TEST_F(MdRegistryTest, ValueTextShowsNumbersInDecimalAndEmptyAsNothing) {
    EXPECT_EQ(ValueText(RegValue{}), "");
    EXPECT_EQ(ValueText(RegValue{std::int32_t{-1}}), "-1");
    EXPECT_EQ(ValueText(RegValue{std::string("oem1.inf")}), "oem1.inf");
}

TEST_F(MdRegistryTest, ListKeyStopsAtTheFirstNameThatDoesNotFit) {
    const std::string name63(63, 'a');
    reg.createKey(kLm, kKey + "\\" + name63);
    reg.createKey(kLm, kKey + "\\" + std::string(64, 'b'));
    reg.createKey(kLm, kKey + "\\ccc");
    EXPECT_EQ(ListKey(env, kLm, kKey), std::vector<std::string>{name63});
    reg.createKey(kLm, "SOFTWARE\\Other\\0001");
    reg.createKey(kLm, "SOFTWARE\\Other\\0000");
    EXPECT_EQ(ListKey(env, kLm, "SOFTWARE\\Other"), (std::vector<std::string>{"0000", "0001"}));
    EXPECT_TRUE(fp.ui.shown.empty());
    ExpectCleanRun();
}

TEST_F(MdRegistryTest, ListKeyOfAKeyWithoutSubkeysIsEmptyAndSilent) {
    reg.createKey(kLm, kKey);
    EXPECT_TRUE(ListKey(env, kLm, kKey).empty());
    EXPECT_TRUE(fp.ui.shown.empty());
    ExpectCleanRun();
}

TEST_F(MdRegistryTest, ListKeyShowsCannotOpenKeyOncePerCall) {
    reg.createKey(kLm, kKey + "\\sub");
    reg.denyWriteAccess(kLm, kKey);
    for (const std::string& path : {kKey, std::string("SOFTWARE\\Missing")}) {
        SCOPED_TRACE(path);
        fp.ui.shown.clear();
        EXPECT_TRUE(ListKey(env, kLm, path).empty());
        EXPECT_TRUE(ListKey(env, kLm, path).empty());
        ASSERT_EQ(fp.ui.shown.size(), 2u);
        for (const auto& m : fp.ui.shown) {
            EXPECT_EQ(m.text, "Cannot Open Key");
            EXPECT_EQ(m.title, "Zorvane");
            EXPECT_EQ(m.style, kMbOk);
        }
    }
    ExpectCleanRun();
}

TEST_F(MdRegistryTest, EnumRegistryValuesGivesEveryTypeAsText) {
    fp.system.environment["SYSTEMROOT"] = "C:\\WINDOWS";
    fp.system.environment["PROGRAMFILES"] = "C:\\Program Files";
    reg.setDword(kLm, kKey, "AllBits", 0xFFFFFFFFu);
    reg.setString(kLm, kKey, "Str", "text");
    reg.setRaw(kLm, kKey, "NoNul", kRegSz, Text("abc"));
    reg.setRaw(kLm, kKey, "SizeZero", kRegSz, {});
    reg.setRaw(kLm, kKey, "Shorter", kRegExpandSz, Text(std::string("%SystemRoot%\\inf", 17) + '\0'));
    // Expands to more than the stored text's length: still given in full.
    reg.setRaw(kLm, kKey, "Longer", kRegExpandSz, Text(std::string("%ProgramFiles%\\x") + '\0'));
    reg.setRaw(kLm, kKey, "Unknown", kRegExpandSz, Text(std::string("%NOPE%") + '\0'));
    reg.setRaw(kLm, kKey, "Multi", kRegMultiSz, Bytes{'a', 0, 'b', 'c', 0, 0});
    reg.setRaw(kLm, kKey, "Binary", kRegBinary, Bytes{0x00, 0xAB, 0x7F, 0x05});
    reg.setRaw(kLm, kKey, "NoBytes", kRegBinary, {});
    reg.setRaw(kLm, kKey, "Other", kRegNone, Bytes{0xFE});

    const RegistryValues values = EnumRegistryValues(env, kLm, kKey);
    const std::vector<RegistryValues::Item> expected = {
        {"AllBits", "-1"},
        {"Str", "text"},
        {"NoNul", "abc"},
        {"SizeZero", ""},
        {"Shorter", "C:\\WINDOWS\\inf"},
        {"Longer", "C:\\Program Files\\x"},
        {"Unknown", "%NOPE%"},
        {"Multi", "a,bc"},
        {"Binary", "00 AB 7F 05"},
        {"NoBytes", ""},
        {"Other", "FE"},
    };
    EXPECT_EQ(std::vector<RegistryValues::Item>(values.begin(), values.end()), expected);
    ASSERT_NE(values.Find("multi"), nullptr);
    EXPECT_EQ(*values.Find("multi"), "a,bc");
    EXPECT_EQ(values.Find("absent"), nullptr);
    ExpectCleanRun();
}

TEST_F(MdRegistryTest, EnumRegistryValuesRetriesWhatDoesNotFitTheFirstBuffers) {
    const std::string big(5000, 'x');
    const std::string longName(300, 'n');
    reg.setString(kLm, kKey, "Big", big);
    reg.setRaw(kLm, kKey, "BigBinary", kRegBinary, Bytes(4097, 0x11));
    reg.setString(kLm, kKey, longName, "long name");
    reg.setString(kLm, kKey, "After", "still there");
    const RegistryValues values = EnumRegistryValues(env, kLm, kKey);
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0].second, big);
    EXPECT_EQ(values[1].second.size(), 4097u * 3 - 1);
    EXPECT_EQ(values[2].first, longName);
    EXPECT_EQ(values[3].second, "still there");
    ExpectCleanRun();
}

TEST_F(MdRegistryTest, EnumRegistryValuesOfTheRootItselfAndOfAMissingKey) {
    reg.setString(kHkeyCurrentUser, "", "AtRoot", "r");
    const RegistryValues root = EnumRegistryValues(env, kHkeyCurrentUser, "");
    ASSERT_EQ(root.size(), 1u);
    EXPECT_EQ(root[0], RegistryValues::Item("AtRoot", "r"));
    EXPECT_EQ(reg.calls["OpenKeyEx"], 0);

    EXPECT_TRUE(EnumRegistryValues(env, kLm, "SOFTWARE\\Missing").empty());
    EXPECT_TRUE(fp.ui.shown.empty());
    ExpectCleanRun();
}

TEST_F(MdRegistryTest, TrimNullCutsAtTheFirstNulAndStoresItBack) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {{std::string("ab\0cd\0", 6), "ab"}, {"abc", "abc"}, {std::string("\0x", 2), ""}, {"", ""}};
    for (const auto& c : cases) {
        std::string s = c.in;
        EXPECT_EQ(TrimNull(env, s), c.out);
        EXPECT_EQ(s, c.out);
    }
}

// Run-time failures go to the reporter with the failing line, the function returns what
// it had, and the key it opened is closed all the same.
TEST_F(MdRegistryTest, FailuresAreReportedWithTheirLineAndCloseTheKey) {
    reg.createKey(kLm, kKey + "\\one");
    reg.createKey(kLm, kKey + "\\two");
    reg.setString(kLm, kKey, "First", "1");
    reg.setString(kLm, kKey, "Second", "2");
    reg.raiseOn("EnumKey", 2, kErrOutOfMemory);
    EXPECT_TRUE(ListKey(env, kLm, kKey).empty());
    reg.raiseOn("EnumValue", 2, kErrOutOfMemory);
    {
        const RegistryValues values = EnumRegistryValues(env, kLm, kKey);
        ASSERT_EQ(values.size(), 1u);  // as far as it was built
        EXPECT_EQ(values[0].first, "First");
    }
    reg.raiseOn("OpenKeyEx", 1, kErrOutOfMemory);
    EXPECT_EQ(ReadKey(env, kLm, kKey, "First"), RegValue{});
    const auto reports = fp.reports();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_NE(reports[0].text.find("Error Line: 14.\r\n"), std::string::npos);
    EXPECT_NE(reports[1].text.find("Error Line: 32.\r\n"), std::string::npos);
    EXPECT_NE(reports[2].text.find("Error Line: 1.\r\n"), std::string::npos);
    EXPECT_EQ(reg.openHandles(), 0u);
}

TEST_F(MdRegistryTest, QueryValueExFailsQuietly) {
    reg.setString(kLm, kKey, "Str", "text");
    reg.raiseOn("QueryValueEx", 1, kErrOutOfMemory);
    EXPECT_EQ(ReadKey(env, kLm, kKey, "Str"), RegValue{});
    ExpectCleanRun();
}

}  // namespace
}  // namespace zv::md_registry
