#include "ui/win32/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <vector>

#include "platform/win32/handles.h"
#include "resources/resource.h"
#include "ui/win32/about_window.h"

namespace zv::win32 {

namespace {

constexpr const char* kClassName = "ZorvaneMainWindow";
// Fixed single border, no minimize or maximize box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
// The Signature column is filled on a timer once the window is shown: timer messages come
// after input and painting, and each tick fills rows for a slice of time only.
constexpr UINT_PTR kSignatureTimer = 1;
constexpr UINT kSignatureTickMs = USER_TIMER_MINIMUM;
constexpr DWORD kSignatureSliceMs = 15;

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
    AppendMenuA(file, MF_STRING, IDM_VERIFY, "&Verify backup...");
    AppendMenuA(file, MF_STRING, IDM_OTHER_WINDOWS, "Back up &another Windows...");
    // Only while another Windows' drivers are shown.
    AppendMenuA(file, MF_STRING | MF_GRAYED, IDM_THIS_PC, "Back up this &PC");
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

// The window goes before the font and icons it uses.
MainWindow::~MainWindow() {
    m_tearingDown = true;
    if (m_hwnd && IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
}

bool MainWindow::create() {
    // The test executables carry no icon resource; the class then has the default one.
    m_iconBig.reset(LoadAppIcon(m_instance, SM_CXICON, SM_CYICON));
    m_iconSmall.reset(LoadAppIcon(m_instance, SM_CXSMICON, SM_CYSMICON));

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(m_instance, kClassName, &wc)) {
        wc = WNDCLASSEXA{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &MainWindow::WndProc;
        wc.hInstance = m_instance;
        wc.hIcon = m_iconBig.get();
        wc.hIconSm = m_iconSmall.get();
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        if (!RegisterClassExA(&wc)) return false;
    }

    const Scale scale = Scale::ForScreen();
    m_menu = BuildMenu();
    RECT r{0, 0, scale.x(layout::kClientWidth), scale.y(layout::kClientHeight)};
    AdjustWindowRectEx(&r, kStyle, TRUE, kExStyle);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    const auto [x, y] = CentredIn(ScreenArea(), width, height);

    // "Zorvane" is the design-time caption; the load handler adds the version.
    m_hwnd = CreateWindowExA(kExStyle, kClassName, "Zorvane", kStyle, x, y, width, height, nullptr, m_menu,
                             m_instance, this);
    if (!m_hwnd) return false;
    if (m_iconBig) SendMessageA(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_iconBig.get()));
    if (m_iconSmall)
        SendMessageA(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_iconSmall.get()));

    // A menu bar that wraps makes AdjustWindowRectEx short; correct by what we got.
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const int dw = scale.x(layout::kClientWidth) - client.right;
    const int dh = scale.y(layout::kClientHeight) - client.bottom;
    if (dw || dh)
        SetWindowPos(m_hwnd, nullptr, x - dw / 2, y - dh / 2, width + dw, height + dh,
                     SWP_NOZORDER | SWP_NOACTIVATE);

    createControls();
    return true;
}

void MainWindow::createControls() {
    const Scale scale = Scale::ForScreen();
    m_font = CreateMessageFont();
    const HFONT font = FontOrDefault(m_font);
    const auto child = [&](const ControlPlace& place, const char* text = "") {
        return CreateChild(m_hwnd, place, text, scale, font);
    };

    m_list = DriverListView(child(layout::kList));
    const DWORD ex = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
    SendMessageA(m_list.hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    for (int i = 0; i < kDriverColumns; ++i)
        m_list.addColumn(i, layout::kColumns[i].header, scale.x(layout::kColumns[i].width));

    m_check = CheckBox(child(layout::kCheck, "Include Microsoft drivers"));
    (void)child(layout::kBackup, "Backup");
    m_status = StatusBar(child(layout::kStatus));
    m_status.setSimple();
    (void)child(layout::kSelect, "Select all");
    (void)child(layout::kInvert, "Invert selection");
    m_bar = ProgressBar(child(layout::kBar));
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
    startSignatureFill();
}

void MainWindow::startSignatureFill() {
    if (m_signatureTimer || m_unloading || !m_hwnd || !IsWindowVisible(m_hwnd) ||
        !m_logic->signaturesPending())
        return;
    m_signatureTimer = SetTimer(m_hwnd, kSignatureTimer, kSignatureTickMs, nullptr) != 0;
}

void MainWindow::fillSignatures() {
    // A run lets messages through while it reads the same files: the column waits for it.
    if (m_logic->runInProgress()) return;
    const DWORD start = GetTickCount();
    bool more = true;
    while (more && GetTickCount() - start < kSignatureSliceMs) more = m_logic->FillSignatureColumn();
    if (!more && m_signatureTimer) {
        KillTimer(m_hwnd, kSignatureTimer);
        m_signatureTimer = false;
    }
}

template <class Handler>
void MainWindow::dispatch(Handler&& handler) {
    // Nothing may unwind through the window procedure into user32.
    try {
        handler();
        // Any handler may have filled the list again.
        startSignatureFill();
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
        case WM_NOTIFY: {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            // Sorting moves rows, which a running backup walks by position: not while it runs.
            if (hdr && hdr->hwndFrom == m_list.hwnd() && hdr->code == LVN_COLUMNCLICK &&
                !m_logic->runInProgress())
                m_list.sortByColumnClick(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem,
                                         &frmMain::CompareListCells);
            break;
        }
        case WM_CONTEXTMENU:
            // A right-click on the list, or the menu key (or Shift+F10) while it has the focus.
            if (reinterpret_cast<HWND>(wParam) == m_list.hwnd()) {
                onListMenu(lParam);
                return 0;
            }
            break;
        case WM_TIMER:
            if (wParam == kSignatureTimer) {
                dispatch([&] { fillSignatures(); });
                return 0;
            }
            break;
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
            case IDM_VERIFY: dispatch([&] { m_logic->mnuVerify_Click(); }); break;
            case IDM_OTHER_WINDOWS:
            case IDM_THIS_PC:
                dispatch([&] {
                    if (id == IDM_OTHER_WINDOWS)
                        m_logic->mnuBackupOtherWindows_Click();
                    else
                        m_logic->mnuBackupThisPc_Click();
                });
                EnableMenuItem(m_menu, IDM_THIS_PC,
                               MF_BYCOMMAND | (m_logic->otherWindows().empty() ? MF_GRAYED : MF_ENABLED));
                break;
            case IDM_ABOUT_ZORVANE: dispatch([&] { m_logic->mnuAboutZorvane_Click(); }); break;
            case IDM_LIST_THIS_PC:
            case IDM_LIST_SELECT_ALL:
            case IDM_LIST_INVERT:
            case IDM_LIST_COPY: runListCommand(id); break;
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

void MainWindow::onListMenu(LPARAM at) {
    POINT pt{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == -1) {
        // From the keyboard: below the highlighted row, or at the list's corner.
        RECT r{};
        r.left = LVIR_BOUNDS;
        const long row = m_list.selectedRow();
        if (row <= 0 || !SendMessageA(m_list.hwnd(), LVM_GETITEMRECT, static_cast<WPARAM>(row - 1),
                                      reinterpret_cast<LPARAM>(&r)))
            r = RECT{0, 0, 0, 0};
        pt = POINT{r.left + 16, r.bottom};
        ClientToScreen(m_list.hwnd(), &pt);
    }
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, IDM_LIST_THIS_PC, "Select this PC's drivers");
    AppendMenuA(menu, MF_STRING, IDM_LIST_SELECT_ALL, "Select all");
    AppendMenuA(menu, MF_STRING, IDM_LIST_INVERT, "Invert selection");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_LIST_COPY, "Copy");
    const int id = static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, pt.x, pt.y, 0, m_hwnd, nullptr));
    DestroyMenu(menu);
    if (id != 0) runListCommand(id);
}

void MainWindow::runListCommand(int id) {
    switch (id) {
        case IDM_LIST_THIS_PC: dispatch([&] { m_logic->mnuSelectThisPc_Click(); }); break;
        case IDM_LIST_SELECT_ALL: dispatch([&] { m_logic->cmdSelect_Click(); }); break;
        case IDM_LIST_INVERT: dispatch([&] { m_logic->cmdInvert_Click(); }); break;
        case IDM_LIST_COPY: dispatch([&] { copyRows(); }); break;
        default: break;
    }
}

// The ticked rows, or the highlighted one when none is ticked, as tab-separated text.
std::string MainWindow::copyText() const {
    std::vector<long> rows;
    for (long r = 1, n = m_list.count(); r <= n; ++r)
        if (m_list.checked(r)) rows.push_back(r);
    if (rows.empty() && m_list.selectedRow() > 0) rows.push_back(m_list.selectedRow());
    return rows.empty() ? "" : m_logic->ListRowsText(rows);
}

void MainWindow::copyRows() {
    const std::string text = copyText();
    if (text.empty() || !OpenClipboard(m_hwnd)) return;
    EmptyClipboard();
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* p = GlobalLock(block)) {
            std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<char*>(p));
            GlobalUnlock(block);
            // The clipboard owns the block once it took it.
            if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
        } else {
            GlobalFree(block);
        }
    }
    CloseClipboard();
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
    ShowAbout(m_env, m_iconBig.get());
}

// Unload Me: the window goes, and its unload handler runs from WM_DESTROY.
void MainWindow::unload() {
    if (m_unloading || !m_hwnd) return;
    m_unloading = true;
    DestroyWindow(m_hwnd);
}

}  // namespace zv::win32
