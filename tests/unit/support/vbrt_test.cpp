#include "support/vbrt.h"

#include <gtest/gtest.h>

#include "fakes/fake_system.h"

namespace zv {
namespace {

TEST(ValTest, ReadsTheLeadingNumberWithADotWhateverTheLocale) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"1.04", 1.04}, {"1.03", 1.03}, {"1.030", 1.03}, {"2", 2},       {" 1 . 1x", 1.1},
        {"v1.2", 0},    {"", 0},        {"-3.5", -3.5},  {"1.2.3", 1.2}, {"1.04\r\n", 1.04},
        {"1e2", 100},   {".5", 0.5},    {"abc", 0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(Val(c.text), c.value) << c.text;
    EXPECT_GT(Val("1.1"), Val("1.03"));
    EXPECT_FALSE(Val("1.030") > Val("1.03"));
}

TEST(ToIntegerTest, OverflowsOutsideSixteenBits) {
    EXPECT_EQ(ToInteger(32767), 32767);
    EXPECT_EQ(ToInteger(-32768), -32768);
    try {
        (void)ToInteger(32768);
        FAIL() << "no overflow";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 6);
        EXPECT_EQ(e.description(), "Overflow");
    }
}

TEST(DwordTextTest, LittleEndianSignedFromAtMostFourBytes) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* text;
    };
    for (const Case& c : {Case{{}, "0"}, Case{{42}, "42"}, Case{{0x34, 0x12}, "4660"},
                          Case{{0, 0, 0, 1}, "16777216"}, Case{{0xFF, 0xFF, 0xFF, 0xFF}, "-1"},
                          Case{{0, 0, 0, 0x80}, "-2147483648"}, Case{{1, 0, 0, 0, 9, 9}, "1"}}) {
        EXPECT_EQ(DwordText(c.bytes.data(), c.bytes.size()), c.text) << c.bytes.size();
        EXPECT_EQ(DwordText(std::string(c.bytes.begin(), c.bytes.end())), c.text);
    }
}

TEST(RaiseWin32Test, MapsFileErrorsAndFallsBackToTheHresult) {
    fakes::FakeSystem system;
    auto number = [&](Dword e) {
        try {
            RaiseWin32(system, e);
        } catch (const RuntimeError& r) {
            return r.number();
        }
        return Long{0};
    };
    EXPECT_EQ(number(2), 53);
    EXPECT_EQ(number(3), 76);
    EXPECT_EQ(number(5), 75);
    EXPECT_EQ(number(183), 75);
    EXPECT_EQ(number(1117), static_cast<Long>(0x8007045Du));
}

}  // namespace
}  // namespace zv
