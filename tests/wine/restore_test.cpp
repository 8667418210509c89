// The restore under Wine: the real driver-store calls on a backup folder of uniquely
// named INFs (one good with its catalog, one without a catalog line, one whose
// catalog is missing, one broken), and the worker thread that keeps the window's
// messages flowing while a driver is installed. What the store received is removed afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "platform/win32/factories.h"
#include "restore/restore_run.h"
#include "ui/win32/ui_win32.h"
#include "wine/real_files_env.h"

namespace zv {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

std::string WindowsFolder() {
    char buffer[MAX_PATH] = {};
    return std::string(buffer, ::GetWindowsDirectoryA(buffer, MAX_PATH));
}

class WineRestore : public ::testing::Test {
protected:
    void SetUp() override {
        m_tag =
            "zvr" + std::to_string(::GetCurrentProcessId()) + "x" + std::to_string(::GetTickCount() % 100000);
        m_backup = fs::temp_directory_path() / (m_tag + "-backup");
        fs::create_directories(m_backup);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_backup, ec);
        for (const fs::path& p : m_staged) fs::remove(p, ec);
    }
    std::string inf(const std::string& catalog) const {
        std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Net\r\n";
        if (!catalog.empty()) text += "CatalogFile=" + catalog + "\r\n";
        return text + "DriverVer=01/01/2026,1.0.0." + m_tag.substr(3, 4) + "\r\n; " + m_tag + "\r\n";
    }
    std::string m_tag;
    fs::path m_backup;
    std::vector<fs::path> m_staged;
};

TEST_F(WineRestore, StagesIntoTheStoreAndReportsTheDriversThatFail) {
    const std::string good = m_tag + "good", nocat = m_tag + "nocat", gone = m_tag + "gone",
                      bad = m_tag + "bad";
    Write(m_backup / "Net" / "Good" / (good + ".inf"), inf(good + ".cat"));
    Write(m_backup / "Net" / "Good" / (good + ".cat"), "catalog " + m_tag);
    Write(m_backup / "Net" / "NoCat" / (nocat + ".inf"), inf(""));
    Write(m_backup / "Net" / "Gone" / (gone + ".inf"), inf(gone + ".cat"));
    Write(m_backup / "Net" / "Bad" / (bad + ".inf"), "garbage\x01\r\n");

    RealFilesEnv e;
    const restore::Summary s = restore::RestoreFolder(e.env, e.c.controls, m_backup.string(), {});
    const std::string infFolder = WindowsFolder() + "\\inf\\";
    for (const auto& item : s.items)
        if (!item.storedAs.empty()) {
            m_staged.push_back(infFolder + item.storedAs);
            m_staged.push_back(fs::path(infFolder + item.storedAs).replace_extension(".pnf"));
        }
    const fs::path catalogStore =
        fs::path(WindowsFolder()) / "system32" / "catroot" / "{F750E6C3-38EE-11D1-85E5-00C04FC295EE}";
    m_staged.push_back(catalogStore / (good + ".cat"));

    ASSERT_TRUE(s.ran);
    ASSERT_EQ(s.items.size(), 4u);
    // Files first in name order within each folder; folders in name order.
    EXPECT_EQ(s.items[0].relative, "Net\\Bad\\" + bad + ".inf");
    EXPECT_EQ(s.items[0].outcome, restore::Outcome::Failed);
    EXPECT_GE(s.items[0].error, 0xE0000000u);
    EXPECT_FALSE(s.items[0].errorText.empty());
    EXPECT_EQ(s.items[1].relative, "Net\\Gone\\" + gone + ".inf");
    EXPECT_EQ(s.items[1].outcome, restore::Outcome::Failed);
    EXPECT_EQ(s.items[1].error, 2u);
    EXPECT_NE(s.items[1].errorText.find("(the catalog " + gone + ".cat is not next to the INF)"),
              std::string::npos);
    EXPECT_EQ(s.items[2].outcome, restore::Outcome::Staged);
    EXPECT_EQ(s.items[3].outcome, restore::Outcome::Staged);
    // Wine keeps the INF's own name where Windows gives "oemNN.inf": the test takes the
    // name the call returned.
    ASSERT_FALSE(s.items[2].storedAs.empty());
    EXPECT_EQ(Read(infFolder + s.items[2].storedAs), inf(good + ".cat"));
    EXPECT_EQ(Read(infFolder + s.items[3].storedAs), inf(""));
    const fs::path catalog = catalogStore / (good + ".cat");
    const fs::path windowsName = catalogStore / fs::path(s.items[2].storedAs).replace_extension(".cat");
    EXPECT_TRUE(fs::exists(catalog) || fs::exists(windowsName));
    if (fs::exists(windowsName)) m_staged.push_back(windowsName);

    const std::string report = Read(m_backup / "restore-report.csv");
    EXPECT_EQ(report.rfind(
                  "INF,Outcome,Stored as,Installed for,Error number,Error text,Not installed because\r\n", 0),
              0u);
    EXPECT_NE(report.find("Net\\Gone\\" + gone + ".inf,failed,,,2,"), std::string::npos);
    EXPECT_NE(report.find("Net\\NoCat\\" + nocat + ".inf,staged," + s.items[3].storedAs +
                          ",,,,no device present with its ids\r\n"),
              std::string::npos);
    EXPECT_EQ(s.counts.staged, 2);
    EXPECT_EQ(s.counts.failed, 2);

    // Again: the same INFs are in the store already.
    const restore::Summary again = restore::RestoreFolder(e.env, e.c.controls, m_backup.string(), {});
    ASSERT_EQ(again.items.size(), 4u);
    EXPECT_EQ(again.items[2].outcome, restore::Outcome::AlreadyPresent);
    EXPECT_EQ(again.items[2].storedAs, s.items[2].storedAs);
}

// The driver store on a fake machine whose setup calls are slow or throw, run by the
// window's message pump.
class PumpedSetup : public fakes::FakeDriverSetup {
public:
    using FakeDriverSetup::FakeDriverSetup;
    bool CopyOEMInf(const std::string& source, Dword mediaType, Dword style,
                    std::string* destination) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        // Out of memory inside the installer's call, say.
        if (source.find("throws") != std::string::npos) throw std::bad_alloc();
        return FakeDriverSetup::CopyOEMInf(source, mediaType, style, destination);
    }
};

int g_ticks = 0;
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
}

// The window's messages are handled while a driver is staged, and what the worker throws
// becomes the failure of that driver alone; before, it ended the program.
TEST(WinePumpedRestore, MessagesFlowAndAWorkersExceptionFailsOnlyThatDriver) {
    fakes::FakePlatform p;
    p.files.addFolder("C:\\WINDOWS\\inf");
    const std::string inf = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";
    p.files.addFile("C:\\B\\A\\throws.inf", inf + "; a\r\n");
    p.files.addFile("C:\\B\\B\\fine.inf", inf + "; b\r\n");
    PumpedSetup setup(p.files);
    // Message boxes stay scripted; the work goes off the thread as in the program.
    struct PumpingUi : fakes::FakeUi {
        win32::UiWin32 real;
        void RunOffThread(const std::function<void()>& work) override { real.RunOffThread(work); }
    } ui;
    Platform os{p.registry, p.profile, p.system, p.files,  p.internet, p.shell,
                ui,         setup,     p.data,   p.locale, p.devices,  p.signatures};
    Env env{os, p.errors, p.app};
    fakes::FakeControls c;
    restore::Options options;
    options.confirm = false;
    options.offerRestart = false;
    g_ticks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &Tick);
    const restore::Summary s = restore::RestoreFolder(env, c.controls, "C:\\B", options);
    ::KillTimer(nullptr, timer);
    ASSERT_EQ(s.items.size(), 2u);
    EXPECT_EQ(s.items[0].outcome, restore::Outcome::Failed);
    EXPECT_FALSE(s.items[0].errorText.empty());
    EXPECT_EQ(s.items[1].outcome, restore::Outcome::Staged);
    // 800 ms of setup calls at a 20 ms timer.
    EXPECT_GE(g_ticks, 15);
}

}  // namespace
}  // namespace zv
