#include "backup/folder_names.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace zv {
namespace {

const WindowsFolders kFolders{"C:\\WINDOWS", "C:\\WINDOWS\\system32", "C:\\WINDOWS\\inf\\"};

TEST(WhereIsDir, ResolvesEveryIdOfTheTableAsExactText) {
    fakes::FakePlatform p;
    const std::string sys = kFolders.system;
    const std::pair<std::string, std::string> cases[] = {
        {"01", "C:\\"},
        {"10", "C:\\WINDOWS"},
        {"11", sys},
        {"12", sys + "\\Drivers"},
        {"17", "C:\\WINDOWS\\inf\\"},
        {"18", "C:\\WINDOWS\\Help"},
        {"20", "C:\\WINDOWS\\Fonts"},
        {"21", ""},
        {"23", sys + "\\spool\\drivers\\color"},
        {"24", "C:\\"},
        {"25", ""},
        {"30", "C:\\"},
        {"50", sys},
        {"51", sys + "\\Spool"},
        {"52", sys + "\\Spool\\Drivers"},
        {"53", ""},
        {"54", ""},
        {"55", sys + "\\spool\\prtprocs"},
        {"-1", ""},
        {"66000", sys + "\\spool\\Drivers\\w32x86"},
        {"66001", sys + "\\spool\\prtprocs\\w32x86"},
        {"66002", ""},
        {"66003", sys + "\\spool\\drivers\\color"},
        {"66004", sys + "\\spool\\Drivers\\w32x86"},
        // No conversion and no trimming.
        {"1", ""},
        {"011", ""},
        {"", ""},
        {"12,drivers", ""},
        {" 12", ""},
        {"12 ;comment", ""},
        {"066000", ""},
    };
    for (const auto& [id, folder] : cases)
        EXPECT_EQ(WhereIsDir(p.env, id, kFolders), folder) << '"' << id << '"';
    EXPECT_TRUE(p.reports().empty());
}

TEST(SafeDir, ReplacesTheNineCharactersByOneSpaceEach) {
    fakes::FakePlatform p;
    const std::pair<std::string, std::string> cases[] = {
        {"Intel(R) PRO/1000 \"MT\"", "Intel(R) PRO 1000 \"MT\""},
        {"Port: COM1", "Port  COM1"},
        {"What?", "What "},
        {"\\/*:;?><|", "         "},
        {" .. ", " .. "},
        {"", ""},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(SafeDir(p.env, in), out) << in;
        EXPECT_EQ(SafeDir(p.env, in).size(), in.size());
    }
}

TEST(FolderNames, RegistryTextsCannotNameAParentFolder) {
    fakes::FakePlatform p;
    const std::pair<std::string, std::string> descriptions[] = {
        {"..", "__"}, {".", "_"}, {" . . ", " _ _ "}, {"\\..", " __"}, {"Card..", "Card.."}, {"A:B", "A B"}};
    for (const auto& [in, out] : descriptions) EXPECT_EQ(DescriptionFolderName(p.env, in), out) << in;
    const std::pair<std::string, std::string> classes[] = {
        {"Net", "Net"}, {"..", "__"}, {"../x", ".. x"}, {"a\\b", "a b"}, {"Ports;COM", "Ports;COM"},
        {"", ""}};
    for (const auto& [in, out] : classes) EXPECT_EQ(ClassFolderName(in), out) << in;
}

}  // namespace
}  // namespace zv
