#include "ui/win32/about_window.h"

#include <gtest/gtest.h>

#include <string>

#include "about/frmAbout.h"
#include "fakes/fake_platform.h"
#include "ui/win32/ui_win32.h"

namespace zv::win32 {
namespace {

// Runs the message loop as the program does, the box's keyboard handling included.
void Pump(DWORD milliseconds = 80) {
    const DWORD end = GetTickCount() + milliseconds;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (PreTranslate(nullptr, msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (static_cast<LONG>(GetTickCount() - end) < 0);
}

std::string TextOf(HWND h) {
    char buffer[512] = {};
    GetWindowTextA(h, buffer, sizeof(buffer));
    return buffer;
}

int CountWindowsCalled(const char* caption) {
    struct Search {
        const char* caption;
        int count;
    } search{caption, 0};
    EnumWindows(
        [](HWND h, LPARAM p) WINAPI -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(h) && TextOf(h) == s->caption) ++s->count;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.count;
}

class AboutWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (HWND h = AboutWindow()) DestroyWindow(h);
        Pump(20);
    }
    HWND open() {
        ShowAbout(fp.env, icon);
        Pump();
        return AboutWindow();
    }
    fakes::FakePlatform fp;
    HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
};

TEST_F(AboutWindowTest, OpensOnceWithItsCaptionTextsAndIcon) {
    HWND box = open();
    ASSERT_NE(box, nullptr);
    ShowAbout(fp.env, icon);  // a second About only brings it to the front
    Pump();
    EXPECT_EQ(AboutWindow(), box);
    EXPECT_EQ(CountWindowsCalled("About Zorvane"), 1);

    EXPECT_EQ(TextOf(box), "About Zorvane");
    struct Expect {
        int id;
        std::string text;
    };
    for (const Expect& e :
         {Expect{kIdAboutOk, "OK"}, Expect{kIdAboutSysInfo, "&System Info..."},
          Expect{kIdAboutTitle, "Zorvane"}, Expect{kIdAboutVersion, "1.03"},
          Expect{kIdAboutDescription,
                 "Will backup drivers to a folder. Then can be used on a new OS install saving "
                 "time and money."},
          Expect{kIdAboutDisclaimer, "Warning: Use this program at your own risk. "},
          Expect{kIdAboutVisit, AboutVisitText()}}) {
        SCOPED_TRACE(e.id);
        HWND control = GetDlgItem(box, e.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(TextOf(control), e.text);
    }
    EXPECT_EQ(reinterpret_cast<HICON>(SendDlgItemMessageA(box, kIdAboutIcon, STM_GETICON, 0, 0)), icon);
}

TEST_F(AboutWindowTest, FixedDialogOutOfTheTaskBarAtItsSize) {
    HWND box = open();
    ASSERT_NE(box, nullptr);
    const LONG style = GetWindowLongA(box, GWL_STYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    // A hidden owner keeps it out of the task bar; it is never the owner's child.
    HWND owner = GetWindow(box, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_FALSE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    HDC dc = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    RECT client;
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, MulDiv(5730, dpiX, 1440));
    EXPECT_EQ(client.bottom, MulDiv(3555, dpiY, 1440));
    if (dpiX == 96 && dpiY == 96) {
        EXPECT_EQ(client.right, 382);
        EXPECT_EQ(client.bottom, 237);
        RECT ok;
        GetWindowRect(GetDlgItem(box, kIdAboutOk), &ok);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&ok), 2);
        EXPECT_EQ(ok.left, 283);  // 4245 twips
        EXPECT_EQ(ok.top, 175);   // 2625 twips
        EXPECT_EQ(ok.right - ok.left, 84);
        EXPECT_EQ(ok.bottom - ok.top, 23);
    }
}

TEST_F(AboutWindowTest, TabGoesBetweenTheTwoButtons) {
    HWND box = open();
    ASSERT_NE(box, nullptr);
    HWND ok = GetDlgItem(box, kIdAboutOk), sysInfo = GetDlgItem(box, kIdAboutSysInfo);
    EXPECT_EQ(GetFocus(), ok);
    EXPECT_EQ(GetNextDlgTabItem(box, ok, FALSE), sysInfo);
    EXPECT_EQ(GetNextDlgTabItem(box, sysInfo, FALSE), ok);
    EXPECT_EQ(GetWindow(ok, GW_HWNDNEXT), GetDlgItem(box, kIdAboutIcon));  // table order
}

TEST_F(AboutWindowTest, EnterEscAndTheCloseBoxCloseIt) {
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
    };
    for (const Case& c : {Case{"Enter", WM_KEYDOWN, VK_RETURN}, Case{"Esc", WM_KEYDOWN, VK_ESCAPE},
                          Case{"close box", WM_CLOSE, 0}}) {
        SCOPED_TRACE(c.what);
        HWND box = open();
        ASSERT_NE(box, nullptr);
        HWND target = c.message == WM_CLOSE ? box : GetFocus();
        ASSERT_NE(target, nullptr);
        PostMessageA(target, c.message, c.wParam, 1);
        Pump(150);
        EXPECT_EQ(AboutWindow(), nullptr);
        EXPECT_FALSE(IsWindow(box));
        EXPECT_EQ(CountWindowsCalled("About Zorvane"), 0);
    }
    // Loaded afresh, it runs the load steps again.
    fp.app.CurrentVersion = "2.00";
    HWND box = open();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(box, kIdAboutVersion)), "2.00");
}

TEST_F(AboutWindowTest, SystemInfoSaysUnavailableAndTheBoxStays) {
    HWND box = open();
    ASSERT_NE(box, nullptr);
    SendMessageA(GetDlgItem(box, kIdAboutSysInfo), BM_CLICK, 0, 0);
    Pump();
    ASSERT_EQ(fp.ui.shown.size(), 1u);
    EXPECT_EQ(fp.ui.shown[0].text, kSysInfoUnavailable);
    EXPECT_EQ(AboutWindow(), box);
}

// A box shown while the About box is open (the error reporter's, System Info's own) keeps
// both windows from being used until it is answered, and leaves both usable afterwards.
TEST_F(AboutWindowTest, AMessageBoxIsModalOverTheMainWindowAndTheBox) {
    HWND main = CreateWindowExA(0, "STATIC", "ZvMainStandIn", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(main, nullptr);
    UiWin32 ui;
    ui.setMainWindow(main);
    HWND box = open();
    ASSERT_NE(box, nullptr);
    static struct Seen {
        HWND main, about, owner;
        bool found, mainEnabled, aboutEnabled;
    } seen;
    seen = Seen{main, box, nullptr, false, true, true};
    const UINT_PTR timer = SetTimer(nullptr, 0, 150, [](HWND, UINT, UINT_PTR, DWORD) WINAPI -> void {
        HWND message = FindWindowA("#32770", "ZvModalProbe");
        if (!message || seen.found) return;
        seen.found = true;
        seen.owner = GetWindow(message, GW_OWNER);
        seen.mainEnabled = IsWindowEnabled(seen.main) != FALSE;
        seen.aboutEnabled = IsWindowEnabled(seen.about) != FALSE;
        PostMessageA(message, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_EQ(ui.MessageBox("probe", "ZvModalProbe", MB_OK), IDOK);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.owner, box);
    EXPECT_FALSE(seen.aboutEnabled);
    EXPECT_FALSE(seen.mainEnabled);
    EXPECT_TRUE(IsWindowEnabled(box));
    EXPECT_TRUE(IsWindowEnabled(main));
    DestroyWindow(main);
}

TEST_F(AboutWindowTest, DrawsTheEtchedRule) {
    HWND box = open();
    ASSERT_NE(box, nullptr);
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    HDC dc = GetDC(box);
    const int dpiY = GetDeviceCaps(dc, LOGPIXELSY), dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    const int x = MulDiv(3000, dpiX, 1440);
    const COLORREF grey = GetPixel(dc, x, MulDiv(2445, dpiY, 1440));
    const COLORREF white = GetPixel(dc, x, MulDiv(2460, dpiY, 1440));
    ReleaseDC(box, dc);
    if (grey == CLR_INVALID) GTEST_SKIP() << "the display cannot be read back";
    EXPECT_EQ(grey, RGB(128, 128, 128));
    EXPECT_EQ(white, RGB(255, 255, 255));
}

}  // namespace
}  // namespace zv::win32
