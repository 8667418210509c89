// The file-system calls the backup run relies on: the fake on the host and the
// real kernel32 calls under Wine must agree.
#include <gtest/gtest.h>

#include <algorithm>

#include "contract/profile_fixture.h"

namespace zv::contract {
namespace {

class FileSystemContract : public ::testing::Test {
protected:
    std::unique_ptr<FilesContractFixture> fx = MakeFilesContractFixture();
    IFileSystem& fs() { return fx->files(); }
    std::string at(const std::string& name) const { return fx->folder() + "\\" + name; }
};

TEST_F(FileSystemContract, AttributesOfFilesFoldersAndMissingPaths) {
    fx->writeFile(at("plain.sys"), "p");
    fx->writeFile(at("hidden.sys"), "h");
    fx->writeFile(at("system.cat"), "s");
    fx->makeFolder(at("sub"));
    fx->setAttributes(at("hidden.sys"), kFileAttributeHidden);
    fx->setAttributes(at("system.cat"), kFileAttributeSystem);

    EXPECT_EQ(fs().GetFileAttributes(at("plain.sys")) & (kFileAttributeDirectory | kFileAttributeHidden), 0u);
    EXPECT_TRUE(fs().GetFileAttributes(at("HIDDEN.SYS")) & kFileAttributeHidden);
    EXPECT_TRUE(fs().GetFileAttributes(at("system.cat")) & kFileAttributeSystem);
    EXPECT_TRUE(fs().GetFileAttributes(at("sub")) & kFileAttributeDirectory);
    EXPECT_TRUE(fs().GetFileAttributes(at("sub\\..\\sub\\.")) & kFileAttributeDirectory);
    EXPECT_EQ(fs().GetFileAttributes(at("sub\\..\\plain.sys")), fs().GetFileAttributes(at("plain.sys")));

    EXPECT_EQ(fs().GetFileAttributes(at("missing.sys")), kInvalidFileAttributes);
    EXPECT_EQ(fs().GetLastError(), kErrorFileNotFound);
    EXPECT_EQ(fs().GetFileAttributes(at("nofolder\\missing.sys")), kInvalidFileAttributes);
    EXPECT_EQ(fs().GetLastError(), kErrorPathNotFound);
    // Names are never wildcard-expanded.
    EXPECT_EQ(fs().GetFileAttributes(at("*.sys")), kInvalidFileAttributes);

    std::uint64_t size = 0;
    ASSERT_TRUE(fs().GetFileSize(at("plain.sys"), &size));
    EXPECT_EQ(size, 1u);
}

TEST_F(FileSystemContract, CreateDirectoryNeedsTheParentAndFailsOnAnExistingName) {
    EXPECT_FALSE(fs().CreateDirectory(at("a\\b")));
    EXPECT_EQ(fs().GetLastError(), kErrorPathNotFound);
    EXPECT_TRUE(fs().CreateDirectory(at("a")));
    EXPECT_TRUE(fs().CreateDirectory(at("a\\b")));
    EXPECT_FALSE(fs().CreateDirectory(at("A")));
    EXPECT_EQ(fs().GetLastError(), kErrorAlreadyExists);
    fx->writeFile(at("file"), "x");
    EXPECT_FALSE(fs().CreateDirectory(at("file")));
    EXPECT_EQ(fs().GetLastError(), kErrorAlreadyExists);
}

TEST_F(FileSystemContract, TrailingDotsAndBlanksOfNamesAreDropped) {
    // The last name loses all of them, an inner name one trailing dot.
    EXPECT_TRUE(fs().CreateDirectory(at("Corp. .")));
    EXPECT_TRUE(fs().GetFileAttributes(at("Corp")) & kFileAttributeDirectory);
    fx->writeFile(at("Corp\\x.inf"), "x");
    EXPECT_NE(fs().GetFileAttributes(at("Corp.\\x.inf")), kInvalidFileAttributes);
    EXPECT_NE(fs().GetFileAttributes(at("Corp\\x.inf. ")), kInvalidFileAttributes);
}

TEST_F(FileSystemContract, CopyFileReplacesAndReportsMissingSourceOrFolder) {
    const std::string bytes("MZ\0\x01\xff\r\n\x1a tail", 12);
    fx->writeFile(at("src.sys"), bytes);
    fx->writeFile(at("dst.sys"), "an older and longer file");
    ASSERT_TRUE(fs().CopyFile(at("src.sys"), at("dst.sys"), false));
    EXPECT_EQ(fx->readFile(at("dst.sys")), bytes);
    ASSERT_TRUE(fs().CopyFile(at("src.sys"), at("new.sys"), false));
    EXPECT_EQ(fx->readFile(at("new.sys")), bytes);

    EXPECT_FALSE(fs().CopyFile(at("src.sys"), at("dst.sys"), true));
    EXPECT_EQ(fs().GetLastError(), kErrorFileExists);
    EXPECT_FALSE(fs().CopyFile(at("missing.sys"), at("x.sys"), false));
    EXPECT_EQ(fs().GetLastError(), kErrorFileNotFound);
    EXPECT_FALSE(fs().CopyFile(at("src.sys"), at("nofolder\\x.sys"), false));
    EXPECT_EQ(fs().GetLastError(), kErrorPathNotFound);
    EXPECT_FALSE(fx->readFile(at("x.sys")));

    // A system file copies like any other, and keeps its attribute.
    fx->writeFile(at("sys.cat"), "catalog");
    fx->setAttributes(at("sys.cat"), kFileAttributeSystem);
    ASSERT_TRUE(fs().CopyFile(at("sys.cat"), at("copy.cat"), false));
    EXPECT_TRUE(fs().GetFileAttributes(at("copy.cat")) & kFileAttributeSystem);
}

TEST_F(FileSystemContract, ListingIncludesDotEntriesAndHiddenOnesWithTheirAttributes) {
    fx->makeFolder(at("store\\{A}"));
    fx->makeFolder(at("store\\{B}"));
    fx->writeFile(at("store\\catdb"), "x");
    fx->makeFolder(at("store\\{H}"));
    fx->setAttributes(at("store\\{H}"), kFileAttributeDirectory | kFileAttributeHidden);
    std::vector<FindEntry> entries;
    ASSERT_TRUE(fs().FindFiles(at("store\\*"), &entries));
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "catdb", "{A}", "{B}", "{H}"}));
    for (const auto& e : entries) {
        if (e.name == "{H}") {
            EXPECT_TRUE(e.attributes & kFileAttributeHidden);
        }
        if (e.name == "catdb") {
            EXPECT_FALSE(e.attributes & kFileAttributeDirectory);
        }
        if (e.name == "{A}" || e.name == ".") {
            EXPECT_TRUE(e.attributes & kFileAttributeDirectory);
        }
    }
    EXPECT_FALSE(fs().FindFiles(at("nostore\\*"), &entries));
    EXPECT_EQ(fs().GetLastError(), kErrorPathNotFound);
}

TEST_F(FileSystemContract, WritingOpensWithoutTruncatingAndDeleteRemoves) {
    fx->writeFile(at("out.bin"), "xyz1");
    const Hfile h = fs().OpenForWrite(at("out.bin"));
    ASSERT_NE(h, kInvalidHfile);
    Dword written = 0;
    EXPECT_TRUE(fs().WriteFile(h, "ab", 2, &written));
    EXPECT_EQ(written, 2u);
    EXPECT_TRUE(fs().CloseFile(h));
    EXPECT_EQ(fx->readFile(at("out.bin")), "abz1");
    EXPECT_TRUE(fs().DeleteFile(at("out.bin")));
    EXPECT_FALSE(fx->readFile(at("out.bin")));
    EXPECT_FALSE(fs().DeleteFile(at("out.bin")));
    EXPECT_EQ(fs().GetLastError(), kErrorFileNotFound);
    EXPECT_EQ(fs().OpenForWrite(at("nofolder\\out.bin")), kInvalidHfile);
    EXPECT_EQ(fs().GetLastError(), kErrorPathNotFound);
}

TEST_F(FileSystemContract, RedirectionSwitchIsHarmlessWhereThereIsNone) {
    fx->writeFile(at("f"), "x");
    std::uintptr_t old = 0;
    const bool off = fs().DisableFsRedirection(&old);
    EXPECT_NE(fs().GetFileAttributes(at("f")), kInvalidFileAttributes);
    if (off) {
        EXPECT_TRUE(fs().RevertFsRedirection(old));
    }
    EXPECT_NE(fs().GetFileAttributes(at("f")), kInvalidFileAttributes);
}

}  // namespace
}  // namespace zv::contract
