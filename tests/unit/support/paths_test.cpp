#include "support/paths.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

// A drive root keeps its separator ("D:" names the drive's current folder), and a join
// after it adds no second one: a restore from D:\ writes D:\restore-report.csv.
TEST(Paths, ADriveRootKeepsItsOneSeparator) {
    struct Case {
        std::string folder, stripped, joined, parent;
    };
    for (const Case& c : {
             Case{"D:\\", "D:\\", "D:\\x", "D:\\"},
             Case{"D:\\\\", "D:\\", "D:\\x", "D:\\"},
             Case{"D:\\Backup\\\\", "D:\\Backup", "D:\\Backup\\x", "D:\\"},
             Case{"D:\\Backup\\Zorvane", "D:\\Backup\\Zorvane", "D:\\Backup\\Zorvane\\x", "D:\\Backup"},
         }) {
        const std::string folder = WithoutTrailingSeparator(c.folder);
        EXPECT_EQ(folder, c.stripped) << c.folder;
        EXPECT_EQ(JoinPath(folder, "x"), c.joined) << c.folder;
        EXPECT_EQ(ParentFolder(folder), c.parent) << c.folder;
    }
    EXPECT_EQ(FolderOf("D:\\oem1.inf"), "D:");
    EXPECT_EQ(NameOf("C:/Tools/Zorvane.exe"), "Zorvane.exe");
}

}  // namespace
}  // namespace zv
