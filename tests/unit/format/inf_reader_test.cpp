#include "format/inf_reader.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace zv {
namespace {

// The lines of [S] as "key=field|field" (or "field|field" without a key), joined by " / ".
std::string Render(const InfFile& inf) {
    std::string out;
    for (const InfLine& line : inf.lines("S")) {
        if (!out.empty()) out += " / ";
        if (line.hasKey) out += line.key + "=";
        for (std::size_t k = 0; k < line.fields.size(); ++k) out += (k ? "|" : "") + line.fields[k];
    }
    return out;
}

// UTF-16 LE bytes with their byte-order mark.
std::string Utf16File(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

TEST(InfReader, ReadsLinesAsTheInstallerDoes) {
    const struct {
        const char* rule;
        std::string text;
        const char* lines;
    } cases[] = {
        {"a comment after the value is no part of it",
         "[S]\r\nCatalogFile=ahaw98.cat          ; and win98\r\n", "CatalogFile=ahaw98.cat"},
        {"comment and blank lines are no lines", "[S]\r\n; A=0\r\n\r\n \t \r\nA=1\r\n", "A=1"},
        {"blanks around keys and fields go, blanks inside stay; only the first = splits",
         "[S]\r\n \tKey Name\t =  a  b  ,  c=d \r\n", "Key Name=a  b|c=d"},
        {"quotes go, what they enclose stays (blanks, ; and , included), \"\" is one quote",
         "[S]\r\nA = \"  x;y, \" , \"say \"\"hi\"\"\" ; c\r\n", "A=  x;y, |say \"hi\""},
        {"strings are substituted in keys and fields, in any letter case, as one field; %% is one %; "
         "an unknown key stays",
         "[S]\r\n%DevKey% = %CAT%, 100%%, %none%\r\n[Strings]\r\ndevkey = \"My, Device\"\r\ncat=ahaw.cat\r\n",
         "My, Device=ahaw.cat|100%|%none%"},
        {"a trailing backslash goes on in the next line, also before a comment; an inner one is text",
         "[S]\r\nA = one,\\\r\n    two, \\ ; more\r\n three\r\nB = PCI\\VEN_1\r\n",
         "A=one|two|three / B=PCI\\VEN_1"},
        {"a line without = is its fields; a quoted name keeps its blanks",
         "[S]\r\na.sys\r\nb.sys = 1,,123\r\n\"c d.sys\"\r\n", "a.sys / b.sys=1||123 / c d.sys"},
        {"a section repeated in any letter case adds up; lines before any section belong to none",
         "Stray=1\r\n[S]\r\nA=1\r\n[Other]\r\nX=0\r\n[ s ]\r\nB=2\r\n", "A=1 / B=2"},
        {"LF line ends; Ctrl+Z ends the text", "[S]\nA=1\nB=2\n\x1A\nC=3\n", "A=1 / B=2"},
        {"UTF-16 LE, converted to the code page after splitting",
         Utf16File(u"[S]\r\nA = caf\u00e9.sys ; c\r\nB = \u4e2d.sys,\\\r\n x\r\n"),
         "A=caf\xE9.sys / B=?.sys|x"},
        {"UTF-8 with its mark; an overlong sequence is no separator",
         "\xEF\xBB\xBF[S]\r\nA=caf\xC3\xA9.sys\r\nB=a\xC0\xAF.sys\r\n", "A=caf\xE9.sys / B=a??.sys"},
    };
    fakes::FakeLocale locale;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        EXPECT_EQ(Render(ParseInf(c.text, locale)), c.lines);
    }
}

TEST(InfReader, TheCatalogAndSourceFilesOfAnArchitecture) {
    const std::string text =
        "[Version]\r\nCatalogFile = all.cat\r\nCatalogFile.NT = nt.cat ; NT\r\nCatalogFile.NTamd64 = "
        "%cat64%\r\n"
        "[SourceDisksFiles]\r\na.sys = 1\r\nB.DLL\r\n[SourceDisksFiles.amd64]\r\nb.dll = 1\r\nc64.sys = 1\r\n"
        "[Strings]\r\ncat64 = \"x64.cat\"\r\n";
    fakes::FakeLocale locale;
    const InfFile inf = ParseInf(text, locale);
    EXPECT_EQ(CatalogFileOf(inf, "amd64"), "x64.cat");
    EXPECT_EQ(CatalogFileOf(inf, "x86"), "nt.cat");
    EXPECT_EQ(CatalogFileOf(ParseInf("[version]\r\ncatalogfile=plain.cat\r\n", locale), "arm64"),
              "plain.cat");
    EXPECT_EQ(SourceDisksFilesOf(inf, "amd64"), (std::vector<std::string>{"a.sys", "B.DLL", "c64.sys"}));
    EXPECT_EQ(SourceDisksFilesOf(inf, "x86"), (std::vector<std::string>{"a.sys", "B.DLL"}));
}

// More than any fixed buffer holds: every name comes whole, and ReadInf reads through the seam.
TEST(InfReader, ASectionOf400NamesGivesThemAll) {
    fakes::FakePlatform p;
    std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\n[SourceDisksFiles]\r\n";
    for (int k = 0; k < 400; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "f%04d.dll", k);
        text += std::string(name) + " = 1,,123456 ; copied from disk 1\r\n";
    }
    p.files.addFile("C:\\WINDOWS\\inf\\oem5.inf", text);
    InfFile inf;
    Dword error = 0;
    ASSERT_TRUE(ReadInf(p.env, "C:\\WINDOWS\\inf\\oem5.inf", &inf, &error));
    const std::vector<std::string> names = SourceDisksFilesOf(inf, "x86");
    ASSERT_EQ(names.size(), 400u);
    EXPECT_EQ(names[0], "f0000.dll");
    EXPECT_EQ(names[366], "f0366.dll");
    EXPECT_EQ(names[399], "f0399.dll");
    EXPECT_FALSE(ReadInf(p.env, "C:\\WINDOWS\\inf\\missing.inf", &inf, &error));
    EXPECT_EQ(error, kErrorFileNotFound);
    EXPECT_EQ(SourceDisksFilesOf(inf, "x86").size(), 400u);  // untouched
}

}  // namespace
}  // namespace zv
