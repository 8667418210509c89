#include "backup/md_folders.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace zv {
namespace {

TEST(MdFolders, GivesTheFoldersWithoutTrailingSeparatorOrEmptyOnFailure) {
    fakes::FakePlatform p;
    p.system.windowsDirectory = "C:\\Win";
    p.system.systemDirectory = "C:\\Win\\System32";
    EXPECT_EQ(md_folders::Getpath_WINDOWS(p.env), "C:\\Win");
    EXPECT_EQ(md_folders::Getpath_SYSTEM(p.env), "C:\\Win\\System32");

    p.system.windowsDirectory = "C:\\" + std::string(254, 'w');  // needs 258 characters
    EXPECT_EQ(md_folders::Getpath_WINDOWS(p.env), "");
    p.system.failFolderCalls = true;
    EXPECT_EQ(md_folders::Getpath_SYSTEM(p.env), "");
    EXPECT_TRUE(p.reports().empty());
}

}  // namespace
}  // namespace zv
