// The version check compares numbers read from texts. The 32-bit build keeps
// doubles in the x87 unit's wider registers, where a sum of digits can differ
// from the same value stored to memory: equal texts must still give equal values.
#include <gtest/gtest.h>

#include "support/vbrt.h"

namespace zv {
namespace {

TEST(VersionCompareWine, EqualTextsAreNeverNewer) {
    for (const char* v : {"1.03", "1.030", " 1.03", "1.03\r\n", "0.1", "2.675", "1.1"}) {
        EXPECT_FALSE(Val(v) > Val(v)) << v;
        EXPECT_FALSE(Val(v) < Val(v)) << v;
    }
    EXPECT_FALSE(Val("1.03") > Val("1.03"));
    EXPECT_FALSE(Val("1.030") > Val("1.03"));
    EXPECT_TRUE(Val("1.04") > Val("1.03"));
    EXPECT_TRUE(Val("1.1") > Val("1.03"));
}

}  // namespace
}  // namespace zv
