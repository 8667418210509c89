#include "about/frmAbout.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace zv {
namespace {

constexpr const char* kMsInfo = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kLocation = "SOFTWARE\\Microsoft\\Shared Tools Location";

// A file of the given attributes, or a folder when they say so.
void AddEntry(fakes::FakeFileSystem& files, const std::string& path, Dword attributes) {
    if (attributes & kFileAttributeDirectory)
        files.addFolder(path, attributes);
    else
        files.addFile(path, "", attributes);
}

struct RecordingView : IAboutView {
    void setIcon(std::uintptr_t i) override { icon = i; }
    void setCaption(const std::string& c) override { caption = c; }
    void setTitle(const std::string& t) override { title = t; }
    void setVersion(const std::string& v) override { version = v; }
    void close() override { ++closed; }
    std::uintptr_t icon = 0;
    std::string caption, title, version;
    int closed = 0;
};

class AboutTest : public ::testing::Test {
protected:
    fakes::FakePlatform fp;
    RecordingView view;
    frmAbout form{fp.env, view, 0x4711};

    std::vector<fakes::ShownMessage> unavailable() const {
        std::vector<fakes::ShownMessage> out;
        for (const auto& m : fp.ui.shown)
            if (m.text == kSysInfoUnavailable) out.push_back(m);
        return out;
    }
};

TEST_F(AboutTest, LoadShowsTheApplicationValues) {
    struct Case {
        std::string name, version, caption;
    };
    for (const Case& c :
         {Case{"Zorvane", "1.03", "About Zorvane"}, Case{"Other Tool", "12.5", "About Other Tool"}}) {
        fp.app.Appname = c.name;
        fp.app.CurrentVersion = c.version;
        form.Form_Load();
        EXPECT_EQ(view.icon, 0x4711u);
        EXPECT_EQ(view.caption, c.caption);
        EXPECT_EQ(view.title, c.name);
        EXPECT_EQ(view.version, c.version);  // bare number, no prefix
    }
    EXPECT_EQ(view.closed, 0);
    EXPECT_TRUE(fp.ui.shown.empty());
}

TEST_F(AboutTest, OkUnloadsTheBox) {
    form.cmdOK_Click();
    EXPECT_EQ(view.closed, 1);
}

TEST_F(AboutTest, FixedTexts) {
    EXPECT_EQ(AboutVisitText(), "Please visit www.fenwright.example for updates and other applications.");
    EXPECT_EQ(std::string(kAboutDisclaimer), "Warning: Use this program at your own risk. ");
}

TEST_F(AboutTest, SystemInformationIsFoundAndStarted) {
    struct Case {
        const char* what;
        const char* path;           // "PATH" of the first key, or null
        const char* folder;         // "MSINFO" of the second key, or null
        Dword fileAttributes;       // of folder\MSINFO32.EXE; invalid = absent
        const char* startable;      // what StartProgram can start
        const char* expectStarted;  // null: the unavailable message instead
    };
    const Case cases[] = {
        {"PATH alone, no existence test", "D:\\Tools\\msinfo.exe", nullptr, kInvalidFileAttributes,
         "D:\\Tools\\msinfo.exe", "D:\\Tools\\msinfo.exe"},
        {"PATH wins over the folder", "D:\\A\\one.exe", "C:\\B", kFileAttributeArchive, "D:\\A\\one.exe",
         "D:\\A\\one.exe"},
        {"PATH names nothing startable", "D:\\gone.exe", nullptr, kInvalidFileAttributes, "", nullptr},
        {"folder with the program", nullptr, "C:\\Shared\\MSInfo", kFileAttributeArchive,
         "C:\\Shared\\MSInfo\\MSINFO32.EXE", "C:\\Shared\\MSInfo\\MSINFO32.EXE"},
        {"folder without the program", nullptr, "C:\\Shared\\MSInfo", kInvalidFileAttributes,
         "C:\\Shared\\MSInfo\\MSINFO32.EXE", nullptr},
        {"a folder named like the program", nullptr, "C:\\S", kFileAttributeDirectory, "C:\\S\\MSINFO32.EXE",
         nullptr},
        {"a hidden program file", nullptr, "C:\\S", kFileAttributeHidden, "C:\\S\\MSINFO32.EXE", nullptr},
        {"neither key", nullptr, nullptr, kInvalidFileAttributes, "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::FakePlatform p;
        RecordingView v;
        frmAbout about{p.env, v, 0};
        if (c.path) p.registry.setString(kHkeyLocalMachine, kMsInfo, "PATH", c.path);
        if (c.folder) p.registry.setString(kHkeyLocalMachine, kLocation, "MSINFO", c.folder);
        if (c.folder && c.fileAttributes != kInvalidFileAttributes)
            AddEntry(p.files, std::string(c.folder) + "\\MSINFO32.EXE", c.fileAttributes);
        if (*c.startable) p.system.startablePrograms.push_back(c.startable);

        about.cmdSysInfo_Click();

        EXPECT_TRUE(p.reports().empty());
        EXPECT_EQ(p.registry.openHandles(), 0u);
        if (c.expectStarted) {
            ASSERT_EQ(p.system.started.size(), 1u);
            EXPECT_EQ(p.system.started[0].path, c.expectStarted);
            EXPECT_EQ(p.system.started[0].showCommand, 1);  // normal, focused
            EXPECT_TRUE(p.ui.shown.empty());
        } else {
            EXPECT_TRUE(p.system.started.empty());
            ASSERT_EQ(p.ui.shown.size(), 1u);
            EXPECT_EQ(p.ui.shown[0].text, "System Information Is Unavailable At This Time");
            EXPECT_EQ(p.ui.shown[0].title, "Zorvane");
            EXPECT_EQ(p.ui.shown[0].style, 0u);  // OK only, no icon
        }
    }
}

TEST_F(AboutTest, WithoutWriteRightsToTheMachineKeyBothReadsFail) {
    fp.registry.setString(kHkeyLocalMachine, kMsInfo, "PATH", "C:\\msinfo32.exe");
    fp.registry.setString(kHkeyLocalMachine, kLocation, "MSINFO", "C:\\S");
    fp.files.addFile("C:\\S\\MSINFO32.EXE", "");
    fp.system.startablePrograms = {"C:\\msinfo32.exe", "C:\\S\\MSINFO32.EXE"};
    fp.registry.denyWriteAccess(kHkeyLocalMachine, "SOFTWARE");

    form.cmdSysInfo_Click();

    EXPECT_TRUE(fp.system.started.empty());
    EXPECT_EQ(unavailable().size(), 1u);
    EXPECT_TRUE(fp.reports().empty());
}

TEST_F(AboutTest, AnEmptyStoredPathIsReportedAndCountsAsUnread) {
    fp.registry.setRaw(kHkeyLocalMachine, kMsInfo, "PATH", kRegSz, {});
    form.cmdSysInfo_Click();
    const auto reports = fp.reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].text.find("Error Number: 5.\r\n"), std::string::npos);
    EXPECT_NE(reports[0].text.find("Error Line: 671.\r\n"), std::string::npos);
    EXPECT_EQ(unavailable().size(), 1u);
    EXPECT_EQ(fp.registry.openHandles(), 0u);
}

std::vector<std::uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

TEST_F(AboutTest, GetKeyValueReadsStringsAndNumbers) {
    struct Case {
        const char* what;
        Dword type;
        std::vector<std::uint8_t> data;
        std::string expect;
    };
    const Case cases[] = {
        {"string with its NUL", kRegSz, Bytes(std::string("C:\\x\0", 5)), "C:\\x"},
        {"string without its NUL", kRegSz, Bytes("C:\\x"), "C:\\x"},
        {"one NUL only", kRegSz, {0}, ""},
        {"only the last NUL is cut", kRegSz, Bytes(std::string("ab\0\0", 4)), std::string("ab\0", 3)},
        {"dword", kRegDword, {4, 0, 0, 0}, "4"},
        {"dword with a high byte", kRegDword, {0, 0, 0, 1}, "16777216"},
        {"dword all ones", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}, "-1"},
        {"other types leave the text alone", kRegBinary, {1, 2, 3}, "as passed"},
        {"expand strings too", kRegExpandSz, Bytes(std::string("%x%\0", 4)), "as passed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fp.registry.setRaw(kHkeyLocalMachine, "SOFTWARE\\T", "V", c.type, c.data);
        std::string value = "as passed";
        EXPECT_TRUE(form.GetKeyValue(kHkeyLocalMachine, "SOFTWARE\\T", "V", value));
        EXPECT_EQ(value, c.expect);
        EXPECT_EQ(fp.registry.openHandles(), 0u);
    }
    EXPECT_TRUE(fp.reports().empty());
}

TEST_F(AboutTest, GetKeyValueFailures) {
    fp.registry.setString(kHkeyLocalMachine, "SOFTWARE\\T", "Present", "x");
    fp.registry.setString(kHkeyLocalMachine, "SOFTWARE\\T", "Long", std::string(1024, 'a'));  // 1025 with NUL
    fp.registry.setString(kHkeyLocalMachine, "SOFTWARE\\Locked", "V", "x");
    fp.registry.denyWriteAccess(kHkeyLocalMachine, "SOFTWARE\\Locked");
    struct Case {
        const char* key;
        const char* value;
    };
    for (const Case& c : {Case{"SOFTWARE\\Missing", "Present"}, Case{"SOFTWARE\\T", "Absent"},
                          Case{"SOFTWARE\\T", "Long"}, Case{"SOFTWARE\\Locked", "V"}}) {
        SCOPED_TRACE(std::string(c.key) + " " + c.value);
        std::string value = "stale";
        EXPECT_FALSE(form.GetKeyValue(kHkeyLocalMachine, c.key, c.value, value));
        EXPECT_EQ(value, "");
        EXPECT_EQ(fp.registry.openHandles(), 0u);
    }
    EXPECT_TRUE(fp.reports().empty());
}

TEST_F(AboutTest, GetKeyValueOfASizeZeroValueIsAnInvalidArgument) {
    fp.registry.setRaw(kHkeyLocalMachine, "SOFTWARE\\T", "Empty", kRegSz, {});
    std::string value = "before";
    EXPECT_FALSE(form.GetKeyValue(kHkeyLocalMachine, "SOFTWARE\\T", "Empty", value));
    const auto reports = fp.reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(
        reports[0].text.substr(0, reports[0].text.find("Error Code:")),
        "Error Number: 5.\r\nError Description: Invalid procedure call or argument.\r\nError Line: 671.\r\n");
    EXPECT_EQ(fp.registry.openHandles(), 0u);  // closed although the read failed half-way
}

}  // namespace
}  // namespace zv
