#include "format/folder_names.h"

#include <gtest/gtest.h>

#include "backup/backup_files.h"
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

// Names Windows cannot give a file or a folder: as source, catalog or INF names they are
// refused; as a description or a class they become one usable folder level (itself a
// plain name), and names Windows can use come through as they always did.
TEST(FolderNames, NamesWindowsCannotUseBecomeUsableFolderNames) {
    fakes::FakePlatform p;
    struct Case {
        std::string name;
        std::string description;  // the driver folder's name
        std::string className;    // the class folder's name
    };
    const Case odd[] = {
        {"CON", "_CON", "_CON"},
        {"nul", "_nul", "_nul"},
        {"Aux.inf", "_Aux.inf", "_Aux.inf"},
        {"PRN.", "_PRN.", "_PRN."},
        {"com1", "_com1", "_com1"},
        {"COM0.sys", "_COM0.sys", "_COM0.sys"},
        {"LPT9 .x", "_LPT9 .x", "_LPT9 .x"},
        {"lpt1  ", "_lpt1  ", "_lpt1  "},
        {"CONIN$", "_CONIN$", "_CONIN$"},
        {"conout$.txt", "_conout$.txt", "_conout$.txt"},
        {"..", "__", "__"},
        {"...", "___", "___"},
        {"..\\..", "__ __", "__ __"},
        {"C:\\zvbait", "C  zvbait", "C  zvbait"},
        {"Zv \"Quoted\" Device", "Zv  Quoted  Device", "Zv  Quoted  Device"},
        {"Zv Tab\there\x01", "Zv Tab here ", "Zv Tab here "},
        {"a*b?c<d>e|f", "a b c d e f", "a b c d e f"},
        {"NUL:", "_NUL ", "_NUL "},
    };
    for (const Case& k : odd) {
        EXPECT_FALSE(IsPlainName(k.name)) << k.name;
        EXPECT_EQ(DescriptionFolderName(p.env, k.name), k.description) << k.name;
        EXPECT_EQ(ClassFolderName(k.name), k.className) << k.name;
        EXPECT_TRUE(IsPlainName(k.className)) << k.name;
    }
    for (const char* name : {"Net", "Card One", "CONSOLE", "COM10", "COM", "LPT1x", "xCON", "Con-tainer.inf",
                             "AUXILIARY", "Intel(R) PRO", "(R) 1.0", "Caf\xE9"}) {
        EXPECT_TRUE(IsPlainName(name)) << name;
        EXPECT_FALSE(IsDeviceName(name)) << name;
        EXPECT_EQ(DescriptionFolderName(p.env, name), name);
        EXPECT_EQ(ClassFolderName(name), name);
    }
    EXPECT_TRUE(p.reports().empty());
}

}  // namespace
}  // namespace zv
