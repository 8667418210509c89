#include "backup/remembered_folders.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// A folder probed again and again is listed once and answers as the file system would,
// for names it holds in another case and names it lacks; what is written in it, or in a
// folder made where a probe found none, is asked again.
TEST(RememberedFoldersTest, AFolderProbedOftenAnswersFromOneListing) {
    fakes::FakePlatform p;
    p.files.addDrive('C');
    const std::string drivers = "C:\\Windows\\system32\\drivers\\";
    p.files.addFile(drivers + "Present.sys", "x", kFileAttributeArchive | kFileAttributeReadonly);
    p.files.addFolder(drivers + "etc");
    backup::RememberedFolders folders(p.files);
    const auto probes = [&] {
        return std::count_if(p.files.log.begin(), p.files.log.end(),
                             [](const std::string& l) { return l.rfind("GetFileAttributes", 0) == 0; });
    };
    const std::vector<std::string> names = {"a.dll", "b.dll", "c.dll", "d.dll",       "PRESENT.SYS",
                                            "ETC",   "e.dll", "f.dll", "PRESEN~1.SYS"};
    std::vector<Dword> expected;
    for (const std::string& name : names) expected.push_back(p.files.GetFileAttributes(drivers + name));
    p.files.log.clear();
    for (std::size_t k = 0; k < names.size(); ++k)
        EXPECT_EQ(folders.GetFileAttributes(drivers + names[k]), expected[k]) << names[k];
    // The probes before the listing, then only the short alias.
    EXPECT_EQ(probes(), backup::RememberedFolders::kProbesBeforeListing - 1 + 1);

    p.files.addFile(drivers + "new.dll", "y");  // made by the run: it says so
    EXPECT_EQ(folders.GetFileAttributes(drivers + "new.dll"), kInvalidFileAttributes);
    folders.written(drivers + "new.dll");
    EXPECT_NE(folders.GetFileAttributes(drivers + "new.dll"), kInvalidFileAttributes);

    const std::string made = drivers + "made";
    for (const char* name : {"x", "y", "z", "w"})
        EXPECT_EQ(folders.GetFileAttributes(made + "\\" + name), kInvalidFileAttributes);
    EXPECT_TRUE(folders.CreateDirectory(made));
    p.files.addFile(made + "\\w", "z");
    EXPECT_NE(folders.GetFileAttributes(made + "\\w"), kInvalidFileAttributes);
}

}  // namespace
}  // namespace zv
