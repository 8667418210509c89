#include "ui/win32/about_window.h"

#include <cstdint>
#include <memory>
#include <string>

#include "about/frmAbout.h"
#include "ui/win32/window_base.h"

namespace zv::win32 {
namespace {

// The box's geometry in twips from the client area's top left corner. Controls are
// created in this order, which is also their tab order.
constexpr int kClientWidthTwips = 5730;
constexpr int kClientHeightTwips = 3555;

// Labels take no prefix characters: the title and version are data, not mnemonics.
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr ControlPlace kControls[] = {
    {kIdAboutOk, "BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {4245, 2625, 1260, 345}},
    // SS_CENTERIMAGE keeps the picture's own size instead of shrinking it to the icon.
    {kIdAboutIcon, "STATIC", SS_ICON | SS_CENTERIMAGE, 0, {240, 240, 540, 540}},
    {kIdAboutSysInfo, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, {4260, 3075, 1245, 345}},
    {kIdAboutDescription, "STATIC", kLabel, 0, {1050, 1125, 3885, 570}},
    {kIdAboutDisclaimer, "STATIC", kLabel, 0, {255, 2625, 3870, 825}},
    {kIdAboutTitle, "STATIC", kLabel, 0, {1050, 240, 3885, 480}},
    {kIdAboutVersion, "STATIC", kLabel, 0, {1050, 780, 3885, 225}},
    {kIdAboutVisit, "STATIC", kLabel, 0, {960, 1800, 3885, 570}},
};

// The etched rule between the web-site label and the disclaimer.
constexpr int kRuleLeftGrey = 90, kRuleLeftWhite = 105, kRuleRight = 5654;
constexpr int kRuleTopGrey = 2445, kRuleTopWhite = 2460;

std::string InitialText(int id) {
    switch (id) {
        case kIdAboutOk: return "OK";
        case kIdAboutSysInfo: return "&System Info...";
        case kIdAboutDescription: return kAboutDescription;
        case kIdAboutDisclaimer: return kAboutDisclaimer;
        case kIdAboutVisit: return AboutVisitText();
        default: return "";  // title and version are set at load
    }
}

// A dialog with no controls of its own: they are placed in pixels at WM_INITDIALOG, since
// twips do not map onto the dialog units of an arbitrary font.
struct alignas(DWORD) EmptyDialogTemplate {
    DLGTEMPLATE dialog;
    WORD menu;
    WORD windowClass;
    WORD title;
};

// Owned by a hidden window rather than by nobody: an unowned top-level window would get a
// task-bar button, and the main window must not own the box (it stays independent of it).
HWND HiddenOwner() {
    static HWND owner = nullptr;
    if (owner && IsWindow(owner)) return owner;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "ZorvaneAboutOwner";
    RegisterClassA(&wc);  // fails harmlessly when already registered
    owner =
        CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    return owner;
}

class AboutBox;
AboutBox* g_about = nullptr;

class AboutBox final : public IAboutView {
public:
    AboutBox(Env& env, HICON icon) : m_form(env, *this, reinterpret_cast<std::uintptr_t>(icon)) {}
    AboutBox(const AboutBox&) = delete;
    AboutBox& operator=(const AboutBox&) = delete;
    ~AboutBox() override = default;

    [[nodiscard]] HWND hwnd() const { return m_hwnd; }
    void adopt() { m_owned = true; }

    void setIcon(std::uintptr_t icon) override {
        const auto h = reinterpret_cast<LPARAM>(reinterpret_cast<HICON>(icon));
        SendMessageA(m_hwnd, WM_SETICON, ICON_BIG, h);
        SendMessageA(m_hwnd, WM_SETICON, ICON_SMALL, h);
        SendDlgItemMessageA(m_hwnd, kIdAboutIcon, STM_SETICON, static_cast<WPARAM>(h), 0);
    }
    void setCaption(const std::string& caption) override { SetWindowTextA(m_hwnd, caption.c_str()); }
    void setTitle(const std::string& text) override { SetDlgItemTextA(m_hwnd, kIdAboutTitle, text.c_str()); }
    void setVersion(const std::string& text) override {
        SetDlgItemTextA(m_hwnd, kIdAboutVersion, text.c_str());
    }
    // The window goes once the handler that asked for it has returned, so no handler
    // runs on a destroyed box.
    void close() override { m_unload = true; }

    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        AboutBox* self = nullptr;
        if (message == WM_INITDIALOG) {
            self = reinterpret_cast<AboutBox*>(lParam);
            self->m_hwnd = hwnd;
            SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<AboutBox*>(GetWindowLongPtrA(hwnd, DWLP_USER));
        }
        if (!self) return FALSE;

        INT_PTR result = FALSE;
        ++self->m_depth;
        try {
            result = self->handle(message, wParam, lParam);
        } catch (...) {
            // No exception crosses into the dialog manager.
            result = FALSE;
        }
        --self->m_depth;

        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(hwnd, DWLP_USER, 0);
            self->m_hwnd = nullptr;
            self->m_destroyed = true;
            if (g_about == self) g_about = nullptr;
        }
        // Handlers may nest (a message box inside System Info); act only at the outermost one.
        if (self->m_depth == 0) {
            if (self->m_destroyed) {
                if (self->m_owned) delete self;
            } else if (self->m_unload) {
                self->m_unload = false;
                DestroyWindow(hwnd);  // its WM_NCDESTROY frees the box
            }
        }
        return result;
    }

private:
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM) {
        switch (message) {
            case WM_INITDIALOG:
                createControls();
                m_form.Form_Load();
                SetFocus(GetDlgItem(m_hwnd, kIdAboutOk));
                return FALSE;  // focus set here
            case WM_COMMAND: {
                const int id = LOWORD(wParam);
                const int code = HIWORD(wParam);
                // IDOK comes from Enter and from the button, IDCANCEL from Esc: both are OK.
                if ((id == IDOK || id == IDCANCEL) && code == BN_CLICKED) {
                    m_form.cmdOK_Click();
                    return TRUE;
                }
                if (id == kIdAboutSysInfo && code == BN_CLICKED) {
                    m_form.cmdSysInfo_Click();
                    return TRUE;
                }
                return FALSE;
            }
            case WM_CLOSE:  // the close box unloads without pressing OK
                m_unload = true;
                return TRUE;
            case WM_PAINT: paintRule(); return TRUE;
            default: return FALSE;
        }
    }

    void createControls() {
        m_scale = Scale::ForScreen();
        m_font = CreateMessageFont();
        const HFONT font = FontOrDefault(m_font);
        for (const ControlPlace& c : kControls)
            (void)CreateChild(m_hwnd, c, InitialText(c.id), m_scale, font);
        SendMessageA(m_hwnd, DM_SETDEFID, IDOK, 0);

        const DWORD style = static_cast<DWORD>(GetWindowLongA(m_hwnd, GWL_STYLE));
        const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(m_hwnd, GWL_EXSTYLE));
        RECT r{0, 0, m_scale.x(kClientWidthTwips), m_scale.y(kClientHeightTwips)};
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
        const int width = r.right - r.left;
        const int height = r.bottom - r.top;
        const auto [left, top] = CentredIn(WorkArea(), width, height);
        SetWindowPos(m_hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void paintRule() {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        if (!dc) return;
        const UniquePen grey{CreatePen(PS_SOLID, 1, RGB(128, 128, 128))};
        const UniquePen white{CreatePen(PS_SOLID, MulDiv(2, m_scale.dpiY(), 96), RGB(255, 255, 255))};
        HGDIOBJ old = SelectObject(dc, white.get());
        MoveToEx(dc, m_scale.x(kRuleLeftWhite), m_scale.y(kRuleTopWhite), nullptr);
        LineTo(dc, m_scale.x(kRuleRight), m_scale.y(kRuleTopWhite));
        SelectObject(dc, grey.get());
        MoveToEx(dc, m_scale.x(kRuleLeftGrey), m_scale.y(kRuleTopGrey), nullptr);
        LineTo(dc, m_scale.x(kRuleRight), m_scale.y(kRuleTopGrey));
        SelectObject(dc, old);
        EndPaint(m_hwnd, &ps);
    }

    frmAbout m_form;
    HWND m_hwnd = nullptr;
    UniqueFont m_font;
    Scale m_scale;
    int m_depth = 0;
    bool m_unload = false;
    bool m_destroyed = false;
    bool m_owned = false;
};

}  // namespace

void ShowAbout(Env& env, HICON icon) {
    if (g_about && g_about->hwnd()) {
        HWND h = g_about->hwnd();
        SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(h);
        return;
    }
    auto box = std::make_unique<AboutBox>(env, icon);
    EmptyDialogTemplate t{};
    t.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    HWND h = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &t.dialog, HiddenOwner(), &AboutBox::Proc,
                                        reinterpret_cast<LPARAM>(box.get()));
    if (!h) return;
    AboutBox* owned = box.release();
    owned->adopt();
    g_about = owned;
    ShowWindow(h, SW_SHOW);
    SetForegroundWindow(h);
}

HWND AboutWindow() {
    return g_about ? g_about->hwnd() : nullptr;
}

}  // namespace zv::win32
