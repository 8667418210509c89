#include "backup/remembered_folders.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace zv {
namespace {

std::vector<std::string> Names(IFileSystem& files, const std::string& pattern) {
    std::vector<FindEntry> entries;
    std::vector<std::string> names;
    if (files.FindFiles(pattern, &entries))
        for (const FindEntry& e : entries) names.push_back(e.name);
    return names;
}

// A kept listing stands until something is written into that folder, under any name
// Windows would take for it; writes elsewhere, deeper down included, leave it.
TEST(RememberedFoldersTest, KeepsAListingUntilItsFolderIsWritten) {
    fakes::FakePlatform p;
    p.files.addDrive('C');
    const std::string store = "C:\\Windows\\system32\\CatRoot\\";
    p.files.addFolder(store + "{F750E6C3}");
    backup::RememberedFolders folders(p.files);
    struct Write {
        std::string path;
        bool forgets;
    } writes[] = {
        {store + "{F750E6C3}\\new.cat", false},     // inside an entry: the listing is the same
        {"C:\\Windows\\system32\\new.dll", false},  // beside the store
        {"c:/windows/SYSTEM32/catroot/Zorvane", true},
        {"\\\\?\\C:\\Windows\\system32\\CatRoot\\Zorvane", true},
        {"C:\\Windows\\system32\\CatRoot.\\Zorvane", true},  // Windows drops the dot
        {"C:\\Windows\\SYSTEM~1\\CatRoot\\Zorvane", true},   // a short alias may be any folder
        {"Zorvane", true},                                   // relative: could be anywhere
    };
    int added = 0;
    for (const Write& w : writes) {
        const std::vector<std::string> before = Names(folders, store + "*");
        const std::string entry = "{added" + std::to_string(++added) + "}";
        p.files.addFolder(store + entry);  // behind its back
        EXPECT_EQ(Names(folders, store + "*"), before) << w.path;
        folders.written(w.path);
        EXPECT_EQ(Names(folders, store + "*") != before, w.forgets) << w.path;
    }
    // Its own calls tell it too.
    const std::vector<std::string> before = Names(folders, store + "*");
    EXPECT_TRUE(folders.CreateDirectory(store + "Zorvane"));
    EXPECT_NE(Names(folders, store + "*"), before);
}

// A file's attributes are kept the same way: until its folder is written, and apart for a
// thread with WOW64 redirection off (a 32-bit run sees another system32 with it on).
TEST(RememberedFoldersTest, KeepsAnAnswerOfAttributesUntilItsFolderIsWritten) {
    fakes::FakePlatform p;
    p.files.addDrive('C');
    p.files.emulateWow64("C:\\Windows\\system32", "C:\\Windows\\SysWOW64");
    const std::string sys = "C:\\Windows\\system32\\drivers\\a.sys";
    p.files.addFile(sys, "native");
    backup::RememberedFolders folders(p.files);
    EXPECT_EQ(folders.GetFileAttributes(sys), kInvalidFileAttributes);  // SysWOW64 has none
    std::uintptr_t old = 0;
    ASSERT_TRUE(folders.DisableFsRedirection(&old));
    EXPECT_NE(folders.GetFileAttributes(sys), kInvalidFileAttributes);
    EXPECT_TRUE(folders.RevertFsRedirection(old));
    p.files.addFile("C:\\Windows\\SysWOW64\\drivers\\a.sys", "32-bit");  // behind its back
    EXPECT_EQ(folders.GetFileAttributes(sys), kInvalidFileAttributes);
    folders.written("C:\\Windows\\system32\\drivers\\b.sys");
    EXPECT_NE(folders.GetFileAttributes(sys), kInvalidFileAttributes);
}

}  // namespace
}  // namespace zv
