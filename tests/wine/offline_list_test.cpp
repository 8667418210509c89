// /list /offline under Wine: the hives read through the real file calls from a Windows folder
// of the prefix's temporary folder, the names converted by the real code page, and nothing
// on that "other disk" changed.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "cli/cli_run.h"
#include "cli/command_line.h"
#include "fakes/fake_console.h"
#include "wine/real_files_env.h"

namespace zv {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class OfflineListWine : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               (std::string("zv-offline-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root / "Windows" / "System32" / "config");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    void place(const char* name, const std::string& bytes) {
        std::ofstream(root / "Windows" / "System32" / "config" / name, std::ios::binary) << bytes;
    }
    int run(const std::string& folder) {
        std::u16string wide(folder.begin(), folder.end());
        return cli::RunCommandLine(e.os, console, {u"Zorvane.exe", u"/list", u"/csv", u"/offline", wide});
    }

    RealFilesEnv e;
    fakes::FakeConsole console;
    fs::path root;
};

TEST_F(OfflineListWine, ListsTheOtherWindowsDriversAndChangesNothingThere) {
    const std::string system = Bytes(fs::path(ZV_TEST_HIVES) / "SYSTEM");
    const std::string drivers = Bytes(fs::path(ZV_TEST_HIVES) / "DRIVERS");
    ASSERT_GT(system.size(), 8192u);
    place("SYSTEM", system);
    place("DRIVERS", drivers);
    EXPECT_EQ(run(root.string()), cli::kExitDone) << console.err;
    EXPECT_NE(console.out.find("Pixelwerk GX,Display adapters,Pixelwerk,"), std::string::npos) << console.out;
    EXPECT_NE(console.out.find("Chipset E"), std::string::npos);
    EXPECT_EQ(console.out.find("Decoy driver"), std::string::npos);
    EXPECT_EQ(Bytes(root / "Windows" / "System32" / "config" / "SYSTEM"), system);
    EXPECT_EQ(Bytes(root / "Windows" / "System32" / "config" / "DRIVERS"), drivers);
    EXPECT_EQ(std::distance(fs::directory_iterator(root / "Windows" / "System32" / "config"),
                            fs::directory_iterator()),
              2);
}

TEST_F(OfflineListWine, ACutHiveEndsWithCodeThree) {
    place("SYSTEM", Bytes(fs::path(ZV_TEST_HIVES) / "SYSTEM").substr(0, 6000));
    EXPECT_EQ(run((root / "Windows").string()), cli::kExitNothingDone);
    EXPECT_NE(console.err.find("is cut short (truncated)"), std::string::npos) << console.err;
    EXPECT_TRUE(console.out.empty());
}

// A program holding a hive open for writing (a tool that has it open) does not keep it from
// being read; one holding it wholly to itself does, and the message names the hive and why.
TEST_F(OfflineListWine, AHiveHeldOpenForWritingIsStillRead) {
    place("SYSTEM", Bytes(fs::path(ZV_TEST_HIVES) / "SYSTEM"));
    place("DRIVERS", Bytes(fs::path(ZV_TEST_HIVES) / "DRIVERS"));
    const std::string hive = (root / "Windows" / "System32" / "config" / "SYSTEM").string();
    HANDLE writer = ::CreateFileA(hive.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(run(root.string()), cli::kExitDone) << console.err;
    EXPECT_NE(console.out.find("Pixelwerk GX,Display adapters,Pixelwerk,"), std::string::npos) << console.out;
    ::CloseHandle(writer);

    console.out.clear();
    console.err.clear();
    HANDLE alone = ::CreateFileA(hive.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(alone, INVALID_HANDLE_VALUE);
    EXPECT_EQ(run(root.string()), cli::kExitNothingDone);
    EXPECT_NE(console.err.find("SYSTEM cannot be read (Windows error 32): another program holds it open"),
              std::string::npos)
        << console.err;
    EXPECT_TRUE(console.out.empty());
    ::CloseHandle(alone);
}

}  // namespace
}  // namespace zv
