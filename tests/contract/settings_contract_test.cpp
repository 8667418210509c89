// The settings store over the registry seam: the same cases against the fake on
// the host and against the real registry under HKEY_CURRENT_USER under Wine.
#include <gtest/gtest.h>

#include "contract/settings_fixture.h"
#include "support/md_Usefull.h"

namespace zv::contract {
namespace {

using namespace md_Usefull;

class SettingsContract : public ::testing::Test {
protected:
    std::unique_ptr<SettingsContractFixture> fx = MakeSettingsContractFixture();
    ModError::Reporter errors{fx->ui};
    AppValues app;
    Env env{fx->platform(), errors, app};
    IRegistry& reg() { return fx->platform().registry; }
    const std::string& key() { return fx->path(); }

    std::string get(const std::string& name) { return GetString(env, kHkeyCurrentUser, key(), name); }
    void setRaw(const std::string& name, Dword type, const void* data, Dword size) {
        Hkey k{};
        ASSERT_EQ(reg().CreateKey(kHkeyCurrentUser, key(), &k), kErrorSuccess);
        ASSERT_EQ(reg().SetValueEx(k, name, type, static_cast<const std::uint8_t*>(data), size),
                  kErrorSuccess);
        reg().CloseKey(k);
    }
    bool keyExists() {
        Hkey k{};
        if (reg().OpenKey(kHkeyCurrentUser, key(), &k) != kErrorSuccess) return false;
        reg().CloseKey(k);
        return true;
    }
};

TEST_F(SettingsContract, MissingKeyAndMissingValueReadEmpty) {
    EXPECT_FALSE(keyExists());
    EXPECT_EQ(get("ZorvaneFirstTime"), "");
    EXPECT_FALSE(keyExists());  // reading creates nothing
    SaveString(env, kHkeyCurrentUser, key(), "Other", "x");
    EXPECT_EQ(get("ZorvaneFirstTime"), "");
    EXPECT_TRUE(fx->ui.shown.empty());
}

TEST_F(SettingsContract, ASaveReplacesAndReadsBackAsAString) {
    SaveString(env, kHkeyCurrentUser, key(), "ZorvaneFirstTime", "No");
    EXPECT_EQ(get("ZorvaneFirstTime"), "No");
    EXPECT_EQ(get("ZORVANEFIRSTTIME"), "No");
    SaveString(env, kHkeyCurrentUser, key(), "ZorvaneFirstTime", "a longer text");
    EXPECT_EQ(get("ZorvaneFirstTime"), "a longer text");

    Hkey k{};
    ASSERT_EQ(reg().OpenKey(kHkeyCurrentUser, key(), &k), kErrorSuccess);
    Dword type = 0, size = 0;
    ASSERT_EQ(reg().QueryValueEx(k, "ZorvaneFirstTime", &type, nullptr, &size), kErrorSuccess);
    reg().CloseKey(k);
    EXPECT_EQ(type, kRegSz);
    // Saved without its NUL counted; the platform adds the NUL that follows the text.
    EXPECT_TRUE(size == 13 || size == 14) << size;
    EXPECT_TRUE(fx->ui.shown.empty());
}

TEST_F(SettingsContract, DeletingRemovesTheValueAndCreatesAMissingKey) {
    EXPECT_FALSE(keyExists());
    DelSetting(env, kHkeyCurrentUser, key(), "Nothing");
    EXPECT_TRUE(keyExists());
    SaveString(env, kHkeyCurrentUser, key(), "V", "1");
    DelSetting(env, kHkeyCurrentUser, key(), "v");
    EXPECT_EQ(get("V"), "");
    DelSetting(env, kHkeyCurrentUser, key(), "V");
    EXPECT_TRUE(fx->ui.shown.empty());
}

TEST_F(SettingsContract, OtherTypesReadAsTheStoreSays) {
    const std::uint8_t binary[] = {0x34, 0x12};
    const std::uint8_t one[] = {0x2A};
    const Dword dword = 7;
    setRaw("Bin", kRegBinary, binary, 2);
    setRaw("One", kRegBinary, one, 1);
    setRaw("Dw", kRegDword, &dword, 4);
    setRaw("Exp", kRegExpandSz, "%TEMP%", 7);
    EXPECT_EQ(get("Bin"), "4660");
    EXPECT_EQ(get("One"), "42");
    EXPECT_EQ(get("Dw"), "");
    EXPECT_EQ(get("Exp"), "");
    EXPECT_TRUE(fx->ui.shown.empty());
}

// A string with no NUL inside its reported size leaves nothing to cut at: a
// reported failure and "". That is the case for a zero size, and for a text
// stored without its NUL when the byte after it in memory was not a NUL.
TEST_F(SettingsContract, AStringWithoutANulIsAReportedFailure) {
    const char unterminated[] = "helloXYZ";
    setRaw("Empty0", kRegSz, "", 0);
    setRaw("NoNul", kRegSz, unterminated, 5);
    for (const char* name : {"Empty0", "NoNul"}) {
        fx->ui.shown.clear();
        EXPECT_EQ(get(name), "") << name;
        ASSERT_EQ(fx->ui.shown.size(), 1u) << name;
        EXPECT_NE(fx->ui.shown[0].text.find("Error Number: 5."), std::string::npos) << fx->ui.shown[0].text;
        EXPECT_NE(fx->ui.shown[0].text.find("Error Line: 415."), std::string::npos) << fx->ui.shown[0].text;
    }
}

}  // namespace
}  // namespace zv::contract
