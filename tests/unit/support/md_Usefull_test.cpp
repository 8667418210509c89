#include "support/md_Usefull.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace zv {
namespace {

using namespace md_Usefull;

constexpr const char* kKey = "SOFTWARE\\FI";

class UsefullTest : public ::testing::Test {
protected:
    fakes::FakePlatform p;
    std::string get(const std::string& name) { return GetString(p.env, kHkeyCurrentUser, kKey, name); }
};

TEST_F(UsefullTest, SettingsRoundTripAndMissingOnesReadEmpty) {
    EXPECT_EQ(get("ZorvaneFirstTime"), "");
    EXPECT_EQ(GetString(p.env, kHkeyCurrentUser, "SOFTWARE\\Nothing\\Here", "x"), "");
    SaveString(p.env, kHkeyCurrentUser, kKey, "ZorvaneFirstTime", "No");
    EXPECT_EQ(get("ZorvaneFirstTime"), "No");
    EXPECT_EQ(get("zorvanefirsttime"), "No");  // value names ignore case
    SaveString(p.env, kHkeyCurrentUser, kKey, "ZorvaneFirstTime", "Again");
    EXPECT_EQ(get("ZorvaneFirstTime"), "Again");
    DelSetting(p.env, kHkeyCurrentUser, kKey, "ZorvaneFirstTime");
    EXPECT_EQ(get("ZorvaneFirstTime"), "");
    DelSetting(p.env, kHkeyCurrentUser, kKey, "NeverThere");
    EXPECT_TRUE(p.reports().empty());
    EXPECT_EQ(p.registry.openHandles(), 0u);
}

TEST_F(UsefullTest, DelSettingUnderAMissingKeyCreatesIt) {
    EXPECT_FALSE(p.registry.keyExists(kHkeyCurrentUser, "SOFTWARE\\Fresh"));
    DelSetting(p.env, kHkeyCurrentUser, "SOFTWARE\\Fresh", "x");
    EXPECT_TRUE(p.registry.keyExists(kHkeyCurrentUser, "SOFTWARE\\Fresh"));
}

TEST_F(UsefullTest, ValueTypesReadAsTheStoreSays) {
    struct Case {
        const char* name;
        Dword type;
        std::vector<std::uint8_t> bytes;
        const char* text;
    } cases[] = {
        {"sz", kRegSz, {'h', 'i', 0}, "hi"},
        {"sz-inner-nul", kRegSz, {'a', 0, 'b', 0}, "a"},
        {"sz-empty", kRegSz, {0}, ""},
        {"binary", kRegBinary, {0x34, 0x12}, "4660"},
        {"binary-negative", kRegBinary, {0xFF, 0xFF}, "-1"},
        {"binary-one-byte", kRegBinary, {0x07}, "7"},
        {"binary-too-long", kRegBinary, {1, 2, 3}, ""},
        {"dword", kRegDword, {1, 0, 0, 0}, ""},
        {"expand", kRegExpandSz, {'%', 'x', '%', 0}, ""},
    };
    for (const auto& c : cases) p.registry.setRaw(kHkeyCurrentUser, kKey, c.name, c.type, c.bytes);
    for (const auto& c : cases) EXPECT_EQ(get(c.name), c.text) << c.name;
    EXPECT_TRUE(p.reports().empty());
}

TEST_F(UsefullTest, AZeroSizeStringHasNoNulToCutAtAndIsReported) {
    p.registry.setRaw(kHkeyCurrentUser, kKey, "Empty0", kRegSz, {});
    EXPECT_EQ(get("Empty0"), "");
    ASSERT_EQ(p.reports().size(), 1u);
    EXPECT_NE(p.reports()[0].text.find("Error Number: 5.\r\n"), std::string::npos);
    EXPECT_NE(p.reports()[0].text.find("Error Line: 415.\r\n"), std::string::npos);
    EXPECT_EQ(p.registry.openHandles(), 0u);  // GetString still closed its key
}

TEST_F(UsefullTest, SplitStringKeepsEveryPiece) {
    struct Case {
        std::string text, sep;
        std::vector<std::string> parts;
    } cases[] = {
        {"1.04,http://x.example/dl,must-download", ",", {"1.04", "http://x.example/dl", "must-download"}},
        {"", ",", {""}},
        {"a,,b,", ",", {"a", "", "b", ""}},
        {"whole", ",", {"whole"}},
        {",", ",", {"", ""}},
        {"aXbxc", "x", {"aXb", "c"}},
        {"a::b", "::", {"a", "b"}},
        {"abc", "", {"abc"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> out = {"stale", "stale"};
        SplitString(p.env, c.text, c.sep, out);
        EXPECT_EQ(out, c.parts) << c.text;
    }
}

TEST_F(UsefullTest, OnlyWebAddressesReachTheShell) {
    struct Case {
        const char* url;
        bool opened;
    } cases[] = {
        {"http://dl.example/page", true},
        {"HTTPS://dl.example/", true},
        {"hTTp://dl.example", true},
        {"http://", false},
        {"file:///C:/windows/system32/calc.exe", false},
        {"C:\\windows\\notepad.exe", false},
        {"javascript:alert(1)", false},
        {"http://dl.example/\r\n", false},
        {"http://dl.example/\"x\" -arg", false},
        {" http://dl.example/", false},
        {"", false},
    };
    for (const auto& c : cases) {
        p.shell.executed.clear();
        OpenInternet(p.env, Hwnd{0x55}, c.url, ShowOnly);
        ASSERT_EQ(p.shell.executed.size(), c.opened ? 1u : 0u) << c.url;
        if (c.opened) {
            const auto& e = p.shell.executed[0];
            EXPECT_EQ(e.parent, Hwnd{0x55});
            EXPECT_EQ(e.verb, "Open");
            EXPECT_EQ(e.file, c.url);
            EXPECT_EQ(e.parameters, "");
            EXPECT_EQ(e.directory, "");
            EXPECT_EQ(e.showCommand, 5);
        }
    }
    p.shell.executeResult = 2;  // the shell could not open it: nothing is reported
    OpenInternet(p.env, kNoWindow, "http://dl.example/", Normal);
    EXPECT_TRUE(p.reports().empty());
}

}  // namespace
}  // namespace zv
