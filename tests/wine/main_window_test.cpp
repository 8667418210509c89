// The real main window with real common controls, over the in-memory registry
// and scripted message boxes. Everything is read back from the controls
// themselves, not through the wrappers under test.
#include "ui/win32/main_window.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "resources/resource.h"
#include "support/runtime_error.h"

namespace zv::win32 {
namespace {

const std::string kClass = "SYSTEM\\CurrentControlSet\\Control\\Class";

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string CellText(HWND list, int row, int sub) {
    char buffer[512] = {};
    LVITEMA item{};
    item.iSubItem = sub;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

std::vector<std::string> Row(HWND list, int row) {
    std::vector<std::string> cells;
    for (int k = 0; k < 6; ++k) cells.push_back(CellText(list, row, k));
    return cells;
}

std::vector<bool> Ticks(HWND list) {
    std::vector<bool> out;
    const int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i)
        out.push_back(
            (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK) >> 12) == 2);
    return out;
}

class MainWindowTest : public ::testing::Test {
protected:
    fakes::FakePlatform p;
    std::unique_ptr<MainWindow> window;
    HWND hwnd = nullptr;
    HWND list = nullptr;

    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
        p.app = AppValues{};
        // The disclaimer was accepted on an earlier start, so loading asks nothing.
        p.registry.setString(kHkeyCurrentUser, "SOFTWARE\\FI", "ZorvaneFirstTime", "No");
        instance("Net", "0000", "Acme Networks", "Acme Gigabit", "oem4.inf");
        instance("Net", "0001", "Microsoft", "WAN Miniport", "netrasa.inf");
        instance("Net", "0002", nullptr, "Nameless", nullptr);
        p.registry.setString(kHkeyLocalMachine, kClass + "\\Net", "", "Network adapters");
        p.registry.setString(kHkeyLocalMachine, kClass + "\\Net", "Class", "Net");
        instance("Sound", "0000", "Tonwerk", "Tonwerk HD Audio", "oem9.inf");

        window = std::make_unique<MainWindow>(p.env, GetModuleHandleA(nullptr));
        ASSERT_TRUE(window->create());
        hwnd = window->hwnd();
        list = GetDlgItem(hwnd, kIdList);
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override {
        window.reset();
        Pump();
    }
    void instance(const std::string& cls, const std::string& name, const char* provider, const char* desc,
                  const char* inf) {
        const std::string path = kClass + "\\" + cls + "\\" + name;
        p.registry.createKey(kHkeyLocalMachine, path);
        if (provider) p.registry.setString(kHkeyLocalMachine, path, "ProviderName", provider);
        if (desc) p.registry.setString(kHkeyLocalMachine, path, "DriverDesc", desc);
        if (inf) p.registry.setString(kHkeyLocalMachine, path, "InfPath", inf);
    }
    // The window stays hidden in most cases: under Xvfb with no window manager,
    // Wine waits two seconds for every shown top-level window to be withdrawn
    // when it is destroyed. The controls work the same either way.
    void load() {
        EXPECT_FALSE(IsWindowVisible(hwnd));  // hidden while the load handler runs
        window->load();
        Pump();
    }
    void click(int id) {
        SendMessageA(GetDlgItem(hwnd, id), BM_CLICK, 0, 0);
        Pump();
    }
};

TEST_F(MainWindowTest, LoadSetsCaptionAboutItemAndListsTheDrivers) {
    char design[64] = {};
    GetWindowTextA(hwnd, design, sizeof design);
    EXPECT_STREQ(design, "Zorvane");
    load();
    window->show();
    Pump();
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetFocus(), list);

    char caption[64] = {};
    GetWindowTextA(hwnd, caption, sizeof caption);
    EXPECT_STREQ(caption, "Zorvane 1.03");
    char about[64] = {};
    GetMenuStringA(GetMenu(hwnd), IDM_ABOUT_ZORVANE, about, sizeof about, MF_BYCOMMAND);
    EXPECT_STREQ(about, "About Zorvane");

    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(Row(list, 0), (std::vector<std::string>{"Acme Gigabit", "Network adapters", "Acme Networks",
                                                      "Net\\0000", "Net", "oem4.inf"}));
    EXPECT_EQ(Row(list, 1),
              (std::vector<std::string>{"Tonwerk HD Audio", "", "Tonwerk", "Sound\\0000", "", "oem9.inf"}));
    EXPECT_EQ(Ticks(list), (std::vector<bool>{false, false}));
    EXPECT_TRUE(p.reports().empty());
}

TEST_F(MainWindowTest, ColumnsAndClientSize) {
    // The six original columns as they were, then the added ones.
    const char* headers[] = {"Decription", "Default", "Provider", "ID",      "Class",    "Inf Path",
                             "Version",    "Date",    "Device",   "Present", "Signature"};
    const int twips[] = {5000, 4000, 2000, 1440, 1440, 1440, 1440, 1200, 3600, 900, 1800};
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    for (int i = 0; i < 11; ++i) {
        char text[64] = {};
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.pszText = text;
        col.cchTextMax = sizeof text;
        ASSERT_TRUE(
            SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col)));
        EXPECT_STREQ(text, headers[i]);
        EXPECT_EQ(col.cx, MulDiv(twips[i], dpi, 1440));
    }
    const DWORD ex = static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(ex & LVS_EX_CHECKBOXES, static_cast<DWORD>(LVS_EX_CHECKBOXES));
    EXPECT_EQ(GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);

    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, MulDiv(11745, dpi, 1440));
    EXPECT_EQ(client.bottom, MulDiv(5640, dpi, 1440));
    if (dpi == 96) {
        EXPECT_EQ(client.right, 783);
        EXPECT_EQ(client.bottom, 376);
    }
    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
}

TEST_F(MainWindowTest, TabOrderFollowsTheDesign) {
    load();
    std::vector<int> order;
    HWND at = list;
    for (int i = 0; i < 5; ++i) {
        at = GetNextDlgTabItem(hwnd, at, FALSE);
        order.push_back(GetDlgCtrlID(at));
    }
    EXPECT_EQ(order, (std::vector<int>{kIdCheck, kIdBackup, kIdSelect, kIdInvert, kIdList}));
}

TEST_F(MainWindowTest, CheckBoxAndListCommandsActOnTheRealList) {
    load();
    click(kIdInvert);
    EXPECT_EQ(Ticks(list), (std::vector<bool>{true, true}));
    click(kIdCheck);  // re-read with the Microsoft and provider-less rows; ticks dropped
    EXPECT_EQ(SendMessageA(GetDlgItem(hwnd, kIdCheck), BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_EQ(CellText(list, 1, 0), "WAN Miniport");
    EXPECT_EQ(CellText(list, 2, 3), "Net\\0002");
    EXPECT_EQ(Ticks(list), (std::vector<bool>{false, false, false, false}));

    // A tick set on the control itself, as a click on a row's box does.
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(2);
    SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&item));
    click(kIdInvert);
    EXPECT_EQ(Ticks(list), (std::vector<bool>{true, true, false, true}));
    click(kIdSelect);
    EXPECT_EQ(Ticks(list), (std::vector<bool>{true, true, true, true}));
    EXPECT_TRUE(p.reports().empty());
}

// A header click sorts by its column, a second one reverses, ticks go with their rows, and
// the backup walks the rows as shown; the list's menu, from the keyboard's menu key,
// and its commands act on the real list.
TEST_F(MainWindowTest, HeaderClicksSortAndTheListMenuActs) {
    instance("Sound", "0001", "Tonwerk", "Tonwerk HD Audio", "oem2.inf");  // an older version
    const auto version = [&](const std::string& id, const char* v) {
        p.registry.setString(kHkeyLocalMachine, kClass + "\\" + id, "DriverVersion", v);
    };
    version("Net\\0000", "10.10.0.0");
    version("Sound\\0000", "10.2.0.0");
    version("Sound\\0001", "9.8.0.0");
    p.devices.devices = {{"Net\\0000", "Port", false, {}},
                         {"Sound\\0000", "Speakers", true, {}},
                         {"Sound\\0001", "Speakers (old)", true, {}}};
    load();
    const auto ids = [&] {
        std::vector<std::string> out;
        for (int r = 0, n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); r < n; ++r)
            out.push_back(CellText(list, r, kColId));
        return out;
    };
    const auto clickHeader = [&](int column) {
        NMLISTVIEW n{};
        n.hdr.hwndFrom = list;
        n.hdr.idFrom = kIdList;
        n.hdr.code = LVN_COLUMNCLICK;
        n.iItem = -1;
        n.iSubItem = column;
        SendMessageA(hwnd, WM_NOTIFY, kIdList, reinterpret_cast<LPARAM>(&n));
    };
    const auto arrow = [&](int column) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        SendMessageA(ListView_GetHeader(list), HDM_GETITEMA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&item));
        return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    };
    EXPECT_EQ(ids(),
              (std::vector<std::string>{"Net\\0000", "Sound\\0000", "Sound\\0001"}));  // registry order
    EXPECT_EQ(CellText(list, 0, kColDevice), "Port");
    EXPECT_EQ(CellText(list, 0, kColPresent), "No");
    click(kIdInvert);
    LVITEMA untick{};
    untick.stateMask = LVIS_STATEIMAGEMASK;
    untick.state = INDEXTOSTATEIMAGEMASK(1);
    SendMessageA(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&untick));

    clickHeader(kColVersion);  // by number: 9.8 < 10.2 < 10.10
    EXPECT_EQ(ids(), (std::vector<std::string>{"Sound\\0001", "Sound\\0000", "Net\\0000"}));
    EXPECT_EQ(Ticks(list), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(arrow(kColVersion), HDF_SORTUP);
    clickHeader(kColVersion);
    EXPECT_EQ(ids(), (std::vector<std::string>{"Net\\0000", "Sound\\0000", "Sound\\0001"}));
    EXPECT_EQ(arrow(kColVersion), HDF_SORTDOWN);
    clickHeader(kColDescription);
    EXPECT_EQ(arrow(kColVersion), 0);
    EXPECT_EQ(ids(), (std::vector<std::string>{"Net\\0000", "Sound\\0000",
                                               "Sound\\0001"}));  // ties keep their order
    clickHeader(kColDescription);
    EXPECT_EQ(ids(), (std::vector<std::string>{"Sound\\0000", "Sound\\0001", "Net\\0000"}));

    std::vector<std::string> walked;
    window->logic().setBackupRun([&](Env&, MainControls& c) {
        for (long x = 1; x <= c.lstDrivers.count(); ++x) walked.push_back(c.lstDrivers.subItem(x, kColId));
    });
    click(kIdBackup);
    EXPECT_EQ(walked, ids());

    // The menu key opens the list's menu; Enter on its first item ticks this PC's drivers:
    // the newer of the two present versions, not the absent device's driver.
    SetFocus(list);
    PostMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
    Pump();
    EXPECT_EQ(Ticks(list), (std::vector<bool>{true, false, false}));
    window->runListCommand(IDM_LIST_INVERT);
    EXPECT_EQ(Ticks(list), (std::vector<bool>{false, true, true}));
    // With the Signature column filled (the window is hidden, so its timer never ran): this
    // machine has none of the INFs, so every class is unknown.
    while (window->logic().FillSignatureColumn()) {
    }
    EXPECT_EQ(
        window->copyText(),
        "Tonwerk HD Audio\t\tTonwerk\tSound\\0001\t\toem2.inf\t9.8.0.0\t\tSpeakers (old)\tYes\tunknown\r\n"
        "Acme Gigabit\tNetwork adapters\tAcme Networks\tNet\\0000\tNet\toem4.inf\t10.10.0.0\t\tPort\tNo\t"
        "unknown\r\n");

    // Read again (the check box): the rows come in the order chosen.
    click(kIdCheck);
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 5);
    EXPECT_EQ(CellText(list, 0, kColDescription), "WAN Miniport");
    EXPECT_EQ(CellText(list, 4, kColDescription), "Acme Gigabit");
    EXPECT_TRUE(p.reports().empty());
}

TEST_F(MainWindowTest, BackupButtonAndMenuItemStartTheSameRun) {
    load();
    int runs = 0;
    window->logic().setBackupRun([&](Env&, MainControls& c) {
        ++runs;
        EXPECT_EQ(c.lstDrivers.count(), 2);
    });
    click(kIdBackup);
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDM_BACKUP, 0), 0);
    Pump();
    EXPECT_EQ(runs, 2);
}

TEST_F(MainWindowTest, ProgressAndStatusBarThroughTheirWrappers) {
    MainControls& c = window->controls();
    c.pbBar.setMax(7);
    c.pbBar.setValue(3);
    EXPECT_EQ(SendMessageA(GetDlgItem(hwnd, kIdBar), PBM_GETPOS, 0, 0), 3);
    EXPECT_EQ(SendMessageA(GetDlgItem(hwnd, kIdBar), PBM_GETRANGE, FALSE, 0), 7);
    c.pbBar.setValue(9);  // beyond the maximum: held at it
    EXPECT_EQ(c.pbBar.value(), 7);
    c.pbBar.setValue(-1);
    EXPECT_EQ(c.pbBar.value(), 0);
    c.Status.setSimpleText("Copying oem4.inf");
    EXPECT_EQ(c.Status.simpleText(), "Copying oem4.inf");
    EXPECT_EQ(c.lstDrivers.count(), 0);
    EXPECT_THROW((void)c.lstDrivers.text(1), RuntimeError);
}

TEST_F(MainWindowTest, ClosingEndsTheProgram) {
    struct Case {
        const char* name;
        UINT msg;
        WPARAM wParam;
    };
    for (const Case& c : {Case{"close box", WM_CLOSE, 0}, Case{"File, Exit", WM_COMMAND, IDM_EXIT}}) {
        SCOPED_TRACE(c.name);
        window = std::make_unique<MainWindow>(p.env, GetModuleHandleA(nullptr));
        ASSERT_TRUE(window->create());
        hwnd = window->hwnd();
        load();
        const std::size_t shownBefore = p.ui.shown.size();
        SendMessageA(hwnd, c.msg, c.wParam, 0);
        EXPECT_EQ(p.ui.shown.size(), shownBefore);  // no question on the way out
        ASSERT_TRUE(window->exitCode().has_value());
        EXPECT_EQ(*window->exitCode(), 0u);
        EXPECT_FALSE(IsWindow(hwnd));
        // Drop the quit message the test end posted.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
}

}  // namespace
}  // namespace zv::win32
