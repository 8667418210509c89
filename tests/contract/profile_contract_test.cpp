// The profile-file calls on INF files shaped like real ones: the fake on the host
// and GetPrivateProfileStringA / GetPrivateProfileSectionA under Wine must agree.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "contract/profile_fixture.h"

namespace zv::contract {
namespace {

const char* const kInf =
    "; Copyright line, a comment\r\n"
    "[Version]\r\n"
    "Signature=\"$Windows NT$\"\r\n"
    "Class=Net\r\n"
    "CatalogFile.NT = decorated.cat\r\n"
    "CatalogFile = plain.cat\r\n"
    "DriverVer=01/02/2020,1.2.3.4\r\n"
    "\r\n"
    "[DestinationDirs]\r\n"
    "DefaultDestDir = 12\r\n"
    "Files.Copy = 11\r\n"
    "\r\n"
    "[SourceDisksFiles.x86]\r\n"
    "x86only.sys = 1,,\r\n"
    "[SourceDisksFiles]\r\n"
    "fast.sys = 1,,\r\n"
    "  spaced.dll  =  1 , ,  \r\n"
    "; commented.sys = 1\r\n"
    "\"quoted.dll\" = 1\r\n"
    "eq.sys = 1,drivers\\sub=a,=b\r\n"
    "noequals.inf\r\n"
    "\r\n"
    "[Strings]\r\n"
    "Quoted = \"  Fast  Card  \"\r\n"
    "Single = 'single'\r\n"
    "Unbalanced = \"abc\r\n"
    "Inline = value ; not a comment\r\n"
    "Desc = Carte r\xe9seau\r\n"
    "[version]\r\n"
    "Later = only the first section counts\r\n";

std::string Utf16Le(const std::string& ansi) {
    std::string out = "\xff\xfe";
    for (char c : ansi) {
        out += c;  // Latin-1 characters are their own code points
        out += '\0';
    }
    return out;
}

// Entries as the section read gives them: each ended by its NUL.
std::string Entries(std::initializer_list<const char*> entries) {
    std::string out;
    for (const char* e : entries) out += std::string(e) + '\0';
    return out;
}

struct Read {
    std::string text;
    Dword ret;
};

class ProfileContract : public ::testing::Test {
protected:
    std::unique_ptr<FilesContractFixture> fx = MakeFilesContractFixture();
    std::string path(const std::string& name) const { return fx->folder() + "\\" + name; }

    Read string(const std::string& file, const std::string& section, const std::string& key,
                const std::string& def = "", Dword size = 750) {
        std::vector<char> buffer(size + 8, 'X');
        const Dword ret = fx->profile().GetPrivateProfileString(section, key, def, buffer.data(), size, file);
        EXPECT_EQ(buffer[ret], '\0') << key;
        return {std::string(buffer.data(), ret), ret};
    }
    Read section(const std::string& file, const std::string& name, Dword size = 5120) {
        std::vector<char> buffer(size + 8, 'X');
        const Dword ret = fx->profile().GetPrivateProfileSection(name, buffer.data(), size, file);
        if (size >= 2) {
            EXPECT_EQ(buffer[size], 'X') << "written past the buffer";
        }
        return {std::string(buffer.data(), size), ret};
    }
};

TEST_F(ProfileContract, StringReadOnAnInf) {
    const std::string ansi = path("ansi.inf"), utf16 = path("utf16.inf");
    fx->writeFile(ansi, kInf);
    fx->writeFile(utf16, Utf16Le(kInf));
    struct Case {
        std::string section, key, def, value;
    } cases[] = {
        {"Version", "catalogfile", "", "plain.cat"},
        {"VERSION", "CATALOGFILE.NT", "", "decorated.cat"},
        {"Version", "Signature", "", "$Windows NT$"},
        {"version", "Later", "dflt", "dflt"},
        {"DestinationDirs", "defaultdestdir", "", "12"},
        {"SourceDisksFiles", "spaced.dll", "", "1 , ,"},
        {"SourceDisksFiles", "  spaced.dll ", "", "1 , ,"},
        {"SourceDisksFiles", "eq.sys", "", "1,drivers\\sub=a,=b"},
        {"SourceDisksFiles", "noequals.inf", "none", "none"},
        {"SourceDisksFiles", "commented.sys", "none", "none"},
        {"SourceDisksFiles", "x86only.sys", "none", "none"},
        {"Strings", "Quoted", "", "  Fast  Card  "},
        {"Strings", "Single", "", "single"},
        {"Strings", "Unbalanced", "", "\"abc"},
        {"Strings", "Inline", "", "value ; not a comment"},
        {"Strings", "Desc", "", "Carte r\xe9seau"},
        {"Strings", "Missing", "def  ", "def"},
        {"Strings", "Missing", "\"qdef\"", "qdef"},
        {"Nowhere", "Key", "dflt", "dflt"},
    };
    for (const std::string& file : {ansi, utf16})
        for (const auto& c : cases) {
            const Read r = string(file, c.section, c.key, c.def);
            EXPECT_EQ(r.text, c.value) << file << " [" << c.section << "] " << c.key;
            EXPECT_EQ(r.ret, c.value.size()) << file << " [" << c.section << "] " << c.key;
        }
    EXPECT_EQ(string(path("missing.inf"), "Version", "CatalogFile", "dflt").text, "dflt");
}

TEST_F(ProfileContract, SectionReadOnAnInf) {
    const std::string ansi = path("ansi.inf"), utf16 = path("utf16.inf"), lf = path("lf.inf");
    fx->writeFile(ansi, kInf);
    fx->writeFile(utf16, Utf16Le(kInf));
    std::string lfText = kInf;
    for (std::size_t at; (at = lfText.find('\r')) != std::string::npos;) lfText.erase(at, 1);
    fx->writeFile(lf, lfText);
    const std::string files = Entries({"fast.sys=1,,", "spaced.dll=1 , ,", "\"quoted.dll\"=1",
                                       "eq.sys=1,drivers\\sub=a,=b", "noequals.inf"});
    struct Case {
        std::string name, entries;
    } cases[] = {
        {"SourceDisksFiles", files},
        {"sourcedisksfiles", files},
        {"SourceDisksFiles.X86", Entries({"x86only.sys=1,,"})},
        {" SourceDisksFiles.x86 ", ""},  // unlike the string read, the section read does not trim
        {"Version", Entries({"Signature=\"$Windows NT$\"", "Class=Net", "CatalogFile.NT=decorated.cat",
                             "CatalogFile=plain.cat", "DriverVer=01/02/2020,1.2.3.4"})},
        {"Missing", ""},
    };
    for (const std::string& file : {ansi, utf16, lf})
        for (const auto& c : cases) {
            const Read r = section(file, c.name);
            EXPECT_EQ(r.ret, c.entries.size()) << file << " [" << c.name << "]";
            const std::string expected = c.entries + std::string(c.entries.empty() ? 2 : 1, '\0');
            EXPECT_EQ(r.text.substr(0, expected.size()), expected) << file << " [" << c.name << "]";
        }
    EXPECT_EQ(section(path("missing.inf"), "Version").text.substr(0, 2), std::string(2, '\0'));
}

TEST_F(ProfileContract, LongSectionIsCutToTheBufferWithTwoNuls) {
    std::string text = "[Version]\r\nCatalogFile=x.cat\r\n[SourceDisksFiles]\r\n", full;
    char entry[32];
    for (int i = 0; i < 600; ++i) {
        std::snprintf(entry, sizeof entry, "file%04d.sys = 1,,", i);
        text += std::string(entry) + "\r\n";
        std::snprintf(entry, sizeof entry, "file%04d.sys=1,,", i);
        full += entry;
        full += '\0';
    }
    fx->writeFile(path("long.inf"), text);
    const Read r = section(path("long.inf"), "SourceDisksFiles");
    EXPECT_EQ(r.ret, 5118u);
    EXPECT_EQ(r.text, full.substr(0, 5118) + std::string(2, '\0'));

    // Around the exact fit of a short section: "a=1\0bb=2\0" is 9 characters.
    fx->writeFile(path("short.inf"), "[S]\r\na=1\r\nbb=2\r\n");
    struct Case {
        Dword size;
        Dword ret;
        std::string text;
    } cases[] = {
        {12, 9, std::string("a=1\0bb=2\0\0", 10)}, {11, 9, std::string("a=1\0bb=2\0\0", 10)},
        {10, 8, std::string("a=1\0bb=2\0\0", 10)},  // all there, but counted as cut
        {9, 7, std::string("a=1\0bb=\0\0", 9)},    {5, 3, std::string("a=1\0\0", 5)},
        {4, 2, std::string("a=\0\0", 4)},          {2, 0, std::string("\0\0", 2)},
    };
    for (const auto& c : cases) {
        const Read s = section(path("short.inf"), "S", c.size);
        EXPECT_EQ(s.ret, c.ret) << "size " << c.size;
        EXPECT_EQ(s.text.substr(0, c.text.size()), c.text) << "size " << c.size;
    }
}

TEST_F(ProfileContract, LongValueIsCutToTheBufferLessOne) {
    const std::string v(800, 'v');
    fx->writeFile(path("long.inf"), "[Strings]\r\nV=" + v + "\r\nQ=\"" + v + "\"\r\nS=0123456789ABCDEF\r\n");
    EXPECT_EQ(string(path("long.inf"), "Strings", "V").text, std::string(749, 'v'));
    EXPECT_EQ(string(path("long.inf"), "Strings", "Q").text, std::string(749, 'v'));
    const std::pair<Dword, std::string> cuts[] = {
        {1, ""}, {2, "0"}, {8, "0123456"}, {16, "0123456789ABCDE"}, {17, "0123456789ABCDEF"}};
    for (const auto& [size, text] : cuts)
        EXPECT_EQ(string(path("long.inf"), "Strings", "S", "", size).text, text);
}

}  // namespace
}  // namespace zv::contract
