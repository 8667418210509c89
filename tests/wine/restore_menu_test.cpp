// File, Restore from backup... in the real window: the menu item, its command, and
// Ctrl+R through the message pump's accelerators, so the restore needs no mouse; the
// one restart question at the end of a restore; File, Verify backup... on a backup
// before and after one of its files changed.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fakes/fake_file_data.h"
#include "fakes/fake_platform.h"
#include "resources/resource.h"
#include "ui/win32/main_window.h"
#include "ui/win32/ui_win32.h"

namespace zv::win32 {
namespace {

class RestoreMenuTest : public ::testing::Test {
protected:
    fakes::FakePlatform p;
    std::unique_ptr<MainWindow> window;
    int runs = 0;

    void SetUp() override {
        p.registry.setString(kHkeyCurrentUser, "SOFTWARE\\FI", "ZorvaneFirstTime", "No");
        window = std::make_unique<MainWindow>(p.env, GetModuleHandleA(nullptr));
        ASSERT_TRUE(window->create());
        window->logic().setRestoreRun([this](Env&, MainControls&) { ++runs; });
    }
    void TearDown() override { window.reset(); }

    // A key press as the pump sees it, with Ctrl held or not.
    bool press(WPARAM key, bool ctrl) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        const BYTE saved = keys[VK_CONTROL];
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG msg{};
        msg.hwnd = GetDlgItem(window->hwnd(), kIdList);
        msg.message = WM_KEYDOWN;
        msg.wParam = key;
        msg.lParam = 1;
        const bool handled = PreTranslate(window->hwnd(), msg);
        keys[VK_CONTROL] = saved;
        SetKeyboardState(keys);
        return handled;
    }
};

TEST_F(RestoreMenuTest, TheFileMenuNamesTheCommandWithItsShortcut) {
    HMENU file = GetSubMenu(GetMenu(window->hwnd()), 0);
    char text[128] = {};
    GetMenuStringA(file, IDM_RESTORE, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&Restore from backup...\tCtrl+R");
    EXPECT_EQ(GetMenuItemID(file, 1), static_cast<UINT>(IDM_RESTORE));  // right below Backup
    SendMessageA(window->hwnd(), WM_COMMAND, MAKEWPARAM(IDM_RESTORE, 0), 0);
    EXPECT_EQ(runs, 1);
}

TEST_F(RestoreMenuTest, CtrlRStartsTheRestoreAndRAloneDoesNot) {
    (void)press('R', false);  // the list's own key: the dialog manager may take it
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(press('R', true));
    EXPECT_EQ(runs, 1);
}

class WindowRunsTest : public ::testing::Test {
protected:
    fakes::FakePlatform p;
    std::unique_ptr<MainWindow> window;

    void SetUp() override {
        p.registry.setString(kHkeyCurrentUser, "SOFTWARE\\FI", "ZorvaneFirstTime", "No");
        p.files.addDrive('D');
        p.files.addFolder("C:\\WINDOWS\\inf");
        window = std::make_unique<MainWindow>(p.env, GetModuleHandleA(nullptr));
        ASSERT_TRUE(window->create());
    }
    void TearDown() override { window.reset(); }
    void menu(int id, const std::string& folder) {
        p.shell.queueFolder(folder);
        SendMessageA(window->hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
    [[nodiscard]] const fakes::ShownMessage& last() const { return p.ui.shown.back(); }
};

// Two drivers whose installs each ask for a restart: one question, after both.
TEST_F(WindowRunsTest, ARestoreAsksOnceToRestartWhenAnInstallAskedForIt) {
    for (const char* id : {"PCI\\VEN_1", "PCI\\VEN_2"}) {
        const std::string name = std::string(id).substr(4);
        p.files.addFile("D:\\R\\" + name + "\\" + name + ".inf",
                        "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Manufacturer]\r\nM=Models\r\n"
                        "[Models]\r\nDevice=Install, " +
                            std::string(id) + "\r\n");
        p.setup.presentIds.push_back(id);
        p.setup.rebootIds.push_back(id);
    }
    menu(IDM_RESTORE, "D:\\R");
    EXPECT_EQ(p.setup.installs.size(), 2u);
    int questions = 0;
    for (const auto& m : p.ui.shown) questions += m.text.find("Restart Windows now?") != std::string::npos;
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(last().style & kMbYesNo, kMbYesNo);
    EXPECT_EQ(p.system.restarts, 1);  // the fake box answers yes
}

TEST_F(WindowRunsTest, VerifyBackupTellsAnIntactBackupFromADamagedOne) {
    const std::string root = "D:\\B\\Zorvane";
    const std::string bytes = "card driver";
    p.files.addFile(root + "\\Net\\Card\\card.sys", bytes);
    p.files.addFile(root + "\\backup-report.csv",
                    "Driver,Class,INF,File,Status,Source,Size,SHA-256,Error,Error text\r\n"
                    "Card,Net,oem3.inf,card.sys,copied,C:\\WINDOWS\\system32\\drivers\\card.sys," +
                        std::to_string(bytes.size()) + "," + fakes::Sha256Hex(bytes) + ",,\r\n");
    menu(IDM_VERIFY, "D:\\B");
    EXPECT_NE(last().text.find("1 intact, 0 damaged"), std::string::npos) << last().text;
    EXPECT_EQ(last().style, kMbIconInformation);

    p.files.addFile(root + "\\Net\\Card\\card.sys", "card driveR");
    menu(IDM_VERIFY, "D:\\B");
    EXPECT_NE(last().text.find("0 intact, 1 damaged"), std::string::npos) << last().text;
    EXPECT_NE(last().text.find("Net\\Card: damaged, card.sys changed"), std::string::npos) << last().text;
    EXPECT_EQ(last().style, kMbIconExclamation);
}

}  // namespace
}  // namespace zv::win32
