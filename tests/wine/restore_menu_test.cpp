// File, Restore from backup... in the real window: the menu item, its command, and
// Ctrl+R through the message pump's accelerators, so the restore needs no mouse.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

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

}  // namespace
}  // namespace zv::win32
