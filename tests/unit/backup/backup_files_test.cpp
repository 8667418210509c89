// The backup's file helpers on their own: what counts as there, what a listing
// shows, how a failed folder or copy is raised, the copy journal, and the rule
// for a name that must stay inside its folder.
#include "backup/backup_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "support/runtime_error.h"

namespace zv::backup {
namespace {

// The number of the run-time error the call raised; 0 when it raised none.
template <class Call>
Long RaisedBy(Call&& call) {
    try {
        call();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

class BackupFilesTest : public ::testing::Test {
protected:
    fakes::FakePlatform p;

    void SetUp() override {
        p.files.addFolder("C:\\d");
        p.files.addFile("C:\\d\\plain.sys", "a");
        p.files.addFile("C:\\d\\hidden.sys", "b", kFileAttributeHidden);
        p.files.addFile("C:\\d\\system.sys", "c", kFileAttributeSystem);
        p.files.addFile("C:\\d\\readonly.sys", "d", kFileAttributeReadonly);
        p.files.addFolder("C:\\d\\sub");
        p.files.addFolder("C:\\d\\secret", kFileAttributeDirectory | kFileAttributeHidden);
    }
};

TEST_F(BackupFilesTest, ExistenceHonoursHiddenAndSystemAndTellsFilesFromFolders) {
    struct Case {
        const char* path;
        bool file, fileWithSystem, folder;
    };
    for (const Case& c : {
             Case{"C:\\d\\plain.sys", true, true, true},
             Case{"C:\\d\\readonly.sys", true, true, true},
             Case{"C:\\d\\hidden.sys", false, false, false},
             Case{"C:\\d\\system.sys", false, true, false},
             Case{"C:\\d\\sub", false, false, true},
             Case{"C:\\d\\secret", false, false, false},
             Case{"C:\\d\\missing.sys", false, false, false},
             Case{"C:\\nowhere\\x.sys", false, false, false},
         }) {
        EXPECT_EQ(FileExists(p.env, c.path), c.file) << c.path;
        EXPECT_EQ(FileExistsWithSystem(p.env, c.path), c.fileWithSystem) << c.path;
        EXPECT_EQ(FolderExists(p.env, c.path), c.folder) << c.path;
    }
}

TEST_F(BackupFilesTest, EveryFileCallRunsWithRedirectionOffAndRestoresItAfter) {
    p.files.emulateWow64("C:\\WINDOWS\\system32", "C:\\WINDOWS\\SysWOW64");
    p.files.addFile("C:\\WINDOWS\\system32\\drivers\\native.sys", "64");
    EXPECT_TRUE(FileExists(p.env, "C:\\WINDOWS\\system32\\drivers\\native.sys"));
    EXPECT_FALSE(ListFolder(p.env, "C:\\WINDOWS\\system32\\drivers\\").empty());
    CreateFolder(p.env, "C:\\WINDOWS\\system32\\new");
    EXPECT_EQ(p.files.callsWhileRedirected, 0);
    EXPECT_FALSE(p.files.redirectionOff());  // back on for whatever runs next
}

TEST_F(BackupFilesTest, ListingLeavesOutHiddenAndSystemEntriesAndIsEmptyForAMissingFolder) {
    std::vector<std::string> names = ListFolder(p.env, "C:\\d\\");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "plain.sys", "readonly.sys", "sub"}));
    EXPECT_TRUE(ListFolder(p.env, "C:\\nowhere\\").empty());
}

TEST_F(BackupFilesTest, AFailedFolderOrCopyRaisesTheErrorThePlatformGave) {
    EXPECT_EQ(RaisedBy([&] { CreateFolder(p.env, "C:\\d\\made"); }), 0);
    EXPECT_TRUE(p.files.isFolder("C:\\d\\made"));
    EXPECT_EQ(RaisedBy([&] { CreateFolder(p.env, "C:\\d\\made"); }), kErrPathFileAccess);
    EXPECT_EQ(RaisedBy([&] { CreateFolder(p.env, "C:\\nowhere\\x"); }), kErrPathNotFound);
}

TEST(PlainNameTest, ANameMustStayInsideTheFolderItIsAppendedTo) {
    for (const char* name : {"a.sys", "A B.cat", ".hidden", "x..y", "trailing.", "  lead", "~$tmp"})
        EXPECT_TRUE(IsPlainName(name)) << name;
    for (const char* name : {"", "..\\up.sys", "a/b", "sub\\a.sys", "C:a.sys", "a.sys:stream", ".", "..",
                             "...", " ", ". .", " . "})
        EXPECT_FALSE(IsPlainName(name)) << '"' << name << '"';
}

}  // namespace
}  // namespace zv::backup
