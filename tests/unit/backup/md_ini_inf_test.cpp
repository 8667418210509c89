#include "backup/md_ini_inf.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace zv {
namespace {

using md_ini_inf::LoadIniSectionKeys;
using md_ini_inf::ReadFromINI;
using Strings = std::vector<std::string>;

class IniTest : public ::testing::Test {
protected:
    fakes::FakePlatform p;
    const std::string inf = "D:\\drv\\oem1.inf";
    void SetUp() override { p.files.addDrive('D'); }
    void write(const std::string& text) { p.files.addFile(inf, text); }
};

TEST_F(IniTest, ReadFromIniFindsKeysWithoutRegardToCaseAndCutsLongValues) {
    write("[version]\r\ncatalogfile = First.cat\r\nCATALOGFILE=second.cat\r\n[Long]\r\nV=" +
          std::string(800, 'v') + "\r\n");
    EXPECT_EQ(ReadFromINI(p.env, "Version", "CatalogFile", inf, ""), "First.cat");
    EXPECT_EQ(ReadFromINI(p.env, "Long", "V", inf, ""), std::string(749, 'v'));
    EXPECT_EQ(ReadFromINI(p.env, "Version", "Missing", inf, "dflt"), "dflt");
    EXPECT_EQ(ReadFromINI(p.env, "Version", "CatalogFile", "D:\\drv\\none.inf", ""), "");
    EXPECT_TRUE(p.reports().empty());
}

TEST_F(IniTest, LoadIniSectionKeysGivesTheNamesInFileOrder) {
    struct Case {
        std::string section;
        Strings names;
    } cases[] = {
        {"SourceDisksFiles", {"b.sys", "a.dll", "noequals", "eq"}},
        {"sourcedisksfiles.x86", {"only86.sys"}},
        {"Empty", {""}},
        {"Missing", {""}},
    };
    write(
        "; comment\r\n[SourceDisksFiles]\r\nb.sys = 1,,\r\n; a.cat = 1\r\na.dll=1\r\nnoequals\r\n"
        "eq=a=b=c\r\n\r\n[SourceDisksFiles.x86]\r\nonly86.sys=1\r\n[Empty]\r\n");
    for (const auto& c : cases) EXPECT_EQ(LoadIniSectionKeys(p.env, c.section, inf), c.names) << c.section;
}

TEST_F(IniTest, LoadIniSectionKeysOfASectionLongerThanTheBufferKeepsWhatFits) {
    std::string text = "[S]\r\n";
    for (int i = 0; i < 1000; ++i) text += "name" + std::to_string(1000 + i) + "\r\n";  // 9 bytes an entry
    write(text);
    const Strings names = LoadIniSectionKeys(p.env, "S", inf);
    // 568 entries fill 5112 bytes; the 569th keeps the six characters before the two NULs.
    ASSERT_EQ(names.size(), 569u);
    EXPECT_EQ(names[567], "name1567");
    EXPECT_EQ(names[568], "name15");
}

}  // namespace
}  // namespace zv
