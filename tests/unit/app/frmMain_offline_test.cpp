// File, Back up another Windows... and File, Back up this PC: the list, the caption and the
// backup switched to the other Windows' platform, and back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/frmMain.h"
#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "unit/hive/hive_test_support.h"

namespace zv {
namespace {

using hive::testing::HiveBytes;

const std::string kConfig = hive::testing::kOtherConfig;
const std::string kTitle = "Back up another Windows";

// This PC with a driver of its own, and another Windows on D: whose hives are the test hives.
struct TwoWindows {
    fakes::FakePlatform p;
    fakes::FakeControls ui;
    frmMain form{p.env, ui.controls};

    TwoWindows() {
        hive::testing::AddTwoWindows(p);
        p.registry.setString(
            kHkeyLocalMachine,
            "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\0000",
            "InfPath", "oem3.inf");
        p.files.addFolder("C:\\WINDOWS\\System32\\config");
        form.chkMicrosoft_Click();  // this PC's list, as the load reads it
        ui.form.captionText = "Zorvane 1.03";
    }
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (const fakes::Row& r : ui.list.rows) out.push_back(r.text);
        return out;
    }
    void tick(const std::string& text) {
        for (fakes::Row& r : ui.list.rows)
            if (r.text == text) r.checked = true;
    }
};

TEST(FrmMainOffline, ShowsAndBacksUpTheOtherWindowsThenThisPcAgain) {
    TwoWindows m;
    m.p.files.addFile(kConfig + "\\SYSTEM", HiveBytes("SYSTEM"));
    m.p.files.addFile(kConfig + "\\SOFTWARE", HiveBytes("SOFTWARE"));
    const std::string inf = "[Version]\r\nProvider=Pixelwerk\r\n[SourceDisksFiles]\r\npx.sys=1\r\n";
    m.p.files.addFile("D:\\Windows\\INF\\oem3.inf", inf);
    m.p.files.addFile("D:\\Windows\\System32\\drivers\\px.sys", "offline px.sys");
    m.p.files.addFile("C:\\WINDOWS\\INF\\oem3.inf", "this PC's oem3.inf");
    const std::string orphan = "D:\\Windows\\System32\\DriverStore\\FileRepository\\orphan.inf_amd64_99\\";
    m.p.files.addFile(orphan + "orphan.inf", "[Version]\r\nClass=Net\r\nProvider=Acme\r\n");
    ASSERT_EQ(m.rows(), std::vector<std::string>{"Live driver"});

    m.p.shell.queueFolder("D:\\");
    m.form.mnuBackupOtherWindows_Click();
    const std::vector<std::string> other = m.rows();
    EXPECT_NE(std::find(other.begin(), other.end(), "Pixelwerk GX"), other.end());
    EXPECT_NE(std::find(other.begin(), other.end(), "orphan.inf"), other.end());  // its store's own package
    EXPECT_EQ(std::find(other.begin(), other.end(), "Live driver"), other.end());
    EXPECT_EQ(m.ui.form.caption(), "Zorvane 1.03 - drivers of D:\\Windows, build 19045, amd64");
    ASSERT_FALSE(m.p.ui.shown.empty());
    EXPECT_EQ(m.p.ui.shown.back().text,
              "Note: 1 registry name is left out: this Windows' code page cannot hold it unchanged.");

    // The box reads the other Windows' list again, not this PC's.
    m.ui.check.ticked = 1;
    m.form.chkMicrosoft_Click();
    const std::vector<std::string> all = m.rows();
    EXPECT_GT(all.size(), other.size());
    EXPECT_NE(std::find(all.begin(), all.end(), "Basic display"), all.end());

    // A target on its disk is refused and asked again; the drivers come from D:.
    m.tick("Pixelwerk GX");
    m.tick("orphan.inf");
    m.p.files.addFolder("D:\\Out");
    m.p.files.addFolder("E:\\Out");
    m.p.shell.queueFolder("D:\\Out");
    m.p.shell.queueFolder("E:\\Out");
    m.form.cmdBackup_Click();
    EXPECT_EQ(m.p.shell.browsed.size(), 3u);
    EXPECT_FALSE(m.p.files.exists("D:\\Out\\Zorvane"));
    const std::string folder = "E:\\Out\\Zorvane\\Display\\Pixelwerk GX\\";
    EXPECT_EQ(m.p.files.contents(folder + "oem3.inf"), inf);
    EXPECT_EQ(m.p.files.contents(folder + "px.sys"), "offline px.sys");
    EXPECT_TRUE(m.p.files.exists("E:\\Out\\Zorvane\\Net\\orphan.inf_amd64_99\\orphan.inf"));
    const std::string report = m.p.files.contents("E:\\Out\\Zorvane\\backup-report.csv").value_or("");
    EXPECT_NE(report.find("\r\n\"Backed up from another Windows: D:\\Windows, build 19045, amd64\"\r\n"),
              std::string::npos)
        << report;
    bool refused = false;
    for (const auto& box : m.p.ui.shown)
        refused |= box.text.rfind("The backup cannot go to D:, the drive", 0) == 0;
    EXPECT_TRUE(refused);

    m.form.mnuBackupThisPc_Click();
    EXPECT_EQ(m.rows().front(), "Live driver");
    EXPECT_EQ(m.ui.form.caption(), "Zorvane 1.03");
    EXPECT_EQ(m.form.otherWindows(), "");
}

TEST(FrmMainOffline, WhatIsNoWindowsOrNoWholeHiveIsNamedAndTheListStays) {
    struct Case {
        const char* folder;
        const char* system;  // the test hive SYSTEM holds, or null for none
        const char* message;
    };
    const Case cases[] = {
        {"D:\\Data", "SYSTEM", "D:\\Data is not a Windows installation"},
        {"D:\\", nullptr, "D:\\Windows holds no registry hive D:\\Windows\\System32\\config\\SYSTEM."},
        {"D:\\", "TRUNCATED", "The registry hive D:\\Windows\\System32\\config\\SYSTEM is cut short"},
        {"D:\\Windows", "CYCLE", "The registry hive D:\\Windows\\System32\\config\\SYSTEM "},
        {"D:\\", "NOSET", "The registry hive D:\\Windows\\System32\\config\\SYSTEM has no ControlSet003"},
        {"C:\\", nullptr, "C:\\Windows is the Windows running now"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder + std::string(" ") + (c.system ? c.system : "none"));
        TwoWindows m;
        if (c.system) m.p.files.addFile(kConfig + "\\SYSTEM", HiveBytes(c.system));
        m.tick("Live driver");
        m.p.shell.queueFolder(c.folder);
        m.form.mnuBackupOtherWindows_Click();
        ASSERT_EQ(m.p.ui.shown.size(), 1u);
        EXPECT_EQ(m.p.ui.shown[0].title, kTitle);
        EXPECT_EQ(m.p.ui.shown[0].text.find(c.message), 0u) << m.p.ui.shown[0].text;
        ASSERT_EQ(m.rows(), std::vector<std::string>{"Live driver"});
        EXPECT_TRUE(m.ui.list.rows[0].checked);
        EXPECT_EQ(m.ui.form.caption(), "Zorvane 1.03");
        EXPECT_EQ(m.form.otherWindows(), "");
    }
}

}  // namespace
}  // namespace zv
