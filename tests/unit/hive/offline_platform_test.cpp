#include "hive/offline_platform.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_system.h"

namespace zv::hive {
namespace {

// The run reads the folders through a fixed buffer and takes a too-small answer as a failure;
// a path with %SystemRoot% (an expandable registry value) must name the other Windows too.
TEST(OfflineSystem, AnswersWithTheOtherWindowsFoldersAsTheCallsDo) {
    fakes::FakeSystem live;
    live.environment["SYSTEMROOT"] = "C:\\WINDOWS";
    live.environment["TEMP"] = "C:\\Temp";
    OfflineSystem offline(live, "D:\\Windows");
    char buffer[64];
    EXPECT_EQ(offline.GetSystemDirectory(buffer, sizeof buffer), 19u);
    EXPECT_STREQ(buffer, "D:\\Windows\\System32");
    EXPECT_EQ(offline.GetWindowsDirectory(buffer, 10), 11u);  // the size needed, with the NUL
    EXPECT_EQ(offline.GetWindowsDirectory(buffer, 11), 10u);
    EXPECT_STREQ(buffer, "D:\\Windows");
    ASSERT_GT(offline.ExpandEnvironmentStrings("%SystemRoot%\\inf;%WINDIR%\\x;%temp%", buffer, sizeof buffer),
              0u);
    EXPECT_STREQ(buffer, "D:\\Windows\\inf;D:\\Windows\\x;C:\\Temp");
}

}  // namespace
}  // namespace zv::hive
