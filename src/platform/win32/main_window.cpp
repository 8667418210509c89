#include "platform/win32/main_window.h"

#include <commctrl.h>

#include <cstdint>
#include <exception>
#include <vector>

#include "platform/win32/about_window.h"
#include "platform/win32/handles.h"
#include "platform/win32/main_window_layout.h"
#include "resources/resource.h"

namespace zv::win32 {

namespace {

constexpr const char* kClassName = "ZorvaneMainWindow";
// Fixed single border, no minimize or maximize box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

HICON LoadAppIcon(HINSTANCE instance, int metricX, int metricY) {
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                                         GetSystemMetrics(metricX), GetSystemMetrics(metricY),
                                         LR_DEFAULTCOLOR));
}

HMENU BuildMenu() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, IDM_BACKUP, "&Backup");
    AppendMenuA(file, MF_STRING, IDM_RESTORE, "&Restore from backup...\tCtrl+R");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, IDM_EXIT, "E&xit");
    HMENU about = CreatePopupMenu();
    AppendMenuA(about, MF_STRING, IDM_ABOUT_ZORVANE, "&About Zorvane");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(about), "&About");
    return bar;
}

}  // namespace

MainWindow::MainWindow(Env& env, HINSTANCE instance)
    : m_env(env),
      m_instance(instance),
      m_controls(std::make_unique<MainControls>(MainControls{*this, m_list, m_check, m_bar, m_status})),
      m_logic(std::make_unique<frmMain>(env, *m_controls)) {}

MainWindow::~MainWindow() {
    m_tearingDown = true;
    if (m_hwnd && IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
    if (m_font) DeleteObject(m_font);
    if (m_iconBig) DestroyIcon(m_iconBig);
    if (m_iconSmall) DestroyIcon(m_iconSmall);
}

bool MainWindow::create() {
    // The test executables carry no icon resource; the class then has the default one.
    m_iconBig = LoadAppIcon(m_instance, SM_CXICON, SM_CYICON);
    m_iconSmall = LoadAppIcon(m_instance, SM_CXSMICON, SM_CYSMICON);

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(m_instance, kClassName, &wc)) {
        wc = WNDCLASSEXA{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &MainWindow::WndProc;
        wc.hInstance = m_instance;
        wc.hIcon = m_iconBig;
        wc.hIconSm = m_iconSmall;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        if (!RegisterClassExA(&wc)) return false;
    }

    const layout::Scale scale = layout::Scale::ForScreen();
    m_menu = BuildMenu();
    RECT r{0, 0, scale.px(layout::kClientWidth), scale.px(layout::kClientHeight)};
    AdjustWindowRectEx(&r, kStyle, TRUE, kExStyle);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    // "Zorvane" is the design-time caption; the load handler adds the version.
    m_hwnd = CreateWindowExA(kExStyle, kClassName, "Zorvane", kStyle, x, y, width, height, nullptr, m_menu,
                             m_instance, this);
    if (!m_hwnd) return false;
    if (m_iconBig) SendMessageA(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_iconBig));
    if (m_iconSmall) SendMessageA(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_iconSmall));

    // A menu bar that wraps makes AdjustWindowRectEx short; correct by what we got.
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const int dw = scale.px(layout::kClientWidth) - client.right;
    const int dh = scale.px(layout::kClientHeight) - client.bottom;
    if (dw || dh)
        SetWindowPos(m_hwnd, nullptr, x - dw / 2, y - dh / 2, width + dw, height + dh,
                     SWP_NOZORDER | SWP_NOACTIVATE);

    createControls();
    return true;
}

HWND MainWindow::child(const char* cls, const char* text, DWORD style, DWORD exStyle, int id, const RECT& r) {
    HWND h = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, m_hwnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_instance, nullptr);
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    return h;
}

void MainWindow::createControls() {
    const layout::Scale scale = layout::Scale::ForScreen();
    NONCLIENTMETRICSA metrics{};
    // The XP-sized structure: the larger Vista one fails on XP.
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        m_font = CreateFontIndirectA(&metrics.lfMessageFont);
    if (!m_font) m_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    // Created in tab order, so the z-order is the tab order.
    m_list =
        DriverListView(child(WC_LISTVIEWA, "", WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                             WS_EX_CLIENTEDGE, kIdList, scale.rect(layout::kList)));
    const DWORD ex = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
    SendMessageA(m_list.hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    for (int i = 0; i < 6; ++i)
        m_list.addColumn(i, layout::kColumns[i].header, scale.px(layout::kColumns[i].width));

    m_check = CheckBox(child("BUTTON", "Include Microsoft drivers", WS_TABSTOP | BS_AUTOCHECKBOX, 0, kIdCheck,
                             scale.rect(layout::kCheck)));
    m_backup = PushButton(
        child("BUTTON", "Backup", WS_TABSTOP | BS_PUSHBUTTON, 0, kIdBackup, scale.rect(layout::kBackup)));
    // Docked to the bottom edge at full width; the control sizes itself.
    m_status = StatusBar(child(STATUSCLASSNAMEA, "", CCS_BOTTOM, 0, kIdStatus, scale.rect(layout::kStatus)));
    m_status.setSimple();
    m_select = PushButton(
        child("BUTTON", "Select all", WS_TABSTOP | BS_PUSHBUTTON, 0, kIdSelect, scale.rect(layout::kSelect)));
    m_invert = PushButton(child("BUTTON", "Invert selection", WS_TABSTOP | BS_PUSHBUTTON, 0, kIdInvert,
                                scale.rect(layout::kInvert)));
    m_bar = ProgressBar(child(PROGRESS_CLASSA, "", 0, 0, kIdBar, scale.rect(layout::kBar)));
    m_bar.setMax(100);
    m_bar.setValue(0);
}

void MainWindow::load() {
    dispatch([&] { m_logic->Form_Load(); });
}

void MainWindow::show() {
    ShowWindow(m_hwnd, SW_SHOW);
    UpdateWindow(m_hwnd);
    SetFocus(m_list.hwnd());
}

template <class Handler>
void MainWindow::dispatch(Handler&& handler) {
    // Nothing may unwind through the window procedure into user32.
    try {
        handler();
    } catch (const ProgramExit& e) {
        if (!m_exitCode) m_exitCode = e.code;
        PostQuitMessage(static_cast<int>(e.code));
    } catch (...) {
    }
}

LRESULT CALLBACK MainWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    MainWindow* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
    try {
        return self->onMessage(msg, wParam, lParam);
    } catch (...) {
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

LRESULT MainWindow::onMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND: onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;
        case WM_NOTIFY: return onNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_SETCURSOR:
            if (m_pointer == kPointerHourglass && LOWORD(lParam) == HTCLIENT) {
                SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
                return TRUE;
            }
            break;
        case WM_ACTIVATE:
            // A plain window forgets its focused control when it loses activation;
            // keep it so that the keyboard picks up where it left off.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(m_hwnd, focus)) m_lastFocus = focus;
            } else if (m_lastFocus && IsWindow(m_lastFocus)) {
                SetFocus(m_lastFocus);
                return 0;
            }
            break;
        case WM_CLOSE: {
            // Close box, system menu and Alt+F4. Closing is never refused.
            int cancel = 0;
            dispatch([&] { m_logic->Form_QueryUnload(cancel, 0); });
            return 0;
        }
        case WM_QUERYENDSESSION: return TRUE;
        case WM_ENDSESSION:
            if (wParam) {
                int cancel = 0;
                dispatch([&] { m_logic->Form_QueryUnload(cancel, 2); });
            }
            return 0;
        case WM_DESTROY:
            m_unloading = true;
            if (!m_tearingDown) {
                int cancel = 0;
                dispatch([&] { m_logic->Form_Unload(cancel); });
            }
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
            m_hwnd = nullptr;
            break;
        default: break;
    }
    return DefWindowProcA(m_hwnd, msg, wParam, lParam);
}

void MainWindow::onCommand(int id, int code, HWND control) {
    if (!control) {
        // Menu items (code 0) and accelerators (code 1).
        switch (id) {
            case IDM_BACKUP: dispatch([&] { m_logic->mnuBackup_Click(); }); break;
            case IDM_EXIT: dispatch([&] { m_logic->mnuExit_Click(); }); break;
            case IDM_RESTORE: dispatch([&] { m_logic->mnuRestore_Click(); }); break;
            case IDM_ABOUT_ZORVANE: dispatch([&] { m_logic->mnuAboutZorvane_Click(); }); break;
            default: break;
        }
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case kIdCheck: dispatch([&] { m_logic->chkMicrosoft_Click(); }); break;
        case kIdBackup: dispatch([&] { m_logic->cmdBackup_Click(); }); break;
        case kIdSelect: dispatch([&] { m_logic->cmdSelect_Click(); }); break;
        case kIdInvert: dispatch([&] { m_logic->cmdInvert_Click(); }); break;
        default: break;
    }
}

// The list's own notifications need no handler: ticks are read from the control
// when they are wanted.
LRESULT MainWindow::onNotify(const NMHDR&) {
    return 0;
}

void MainWindow::setMousePointer(int pointer) {
    m_pointer = pointer;
    POINT pt{};
    if (!m_hwnd || !GetCursorPos(&pt)) return;
    HWND under = WindowFromPoint(pt);
    if (under == m_hwnd || IsChild(m_hwnd, under))
        SetCursor(LoadCursorA(nullptr,
                              reinterpret_cast<LPCSTR>(pointer == kPointerHourglass ? IDC_WAIT : IDC_ARROW)));
}

Hwnd MainWindow::handle() const {
    return FromNative(m_hwnd);
}

void MainWindow::setCaption(const std::string& caption) {
    SetWindowTextA(m_hwnd, caption.c_str());
}

std::string MainWindow::caption() const {
    const int n = GetWindowTextLengthA(m_hwnd);
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    const int got = GetWindowTextA(m_hwnd, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void MainWindow::setAboutItemCaption(const std::string& caption) {
    ModifyMenuA(m_menu, IDM_ABOUT_ZORVANE, MF_BYCOMMAND | MF_STRING, IDM_ABOUT_ZORVANE, caption.c_str());
}

std::string MainWindow::aboutItemCaption() const {
    char text[256] = {};
    GetMenuStringA(m_menu, IDM_ABOUT_ZORVANE, text, sizeof text, MF_BYCOMMAND);
    return text;
}

void MainWindow::showAbout() {
    ShowAbout(m_env, m_iconBig);
}

// Unload Me: the window goes, and its unload handler runs from WM_DESTROY.
void MainWindow::unload() {
    if (m_unloading || !m_hwnd) return;
    m_unloading = true;
    DestroyWindow(m_hwnd);
}

}  // namespace zv::win32
