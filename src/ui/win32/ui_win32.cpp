#include "ui/win32/ui_win32.h"

#include <commctrl.h>

#include "platform/win32/message_pump.h"
#include "resources/resource.h"
#include "ui/win32/about_window.h"

namespace zv::win32 {

namespace {

// The main window's keyboard shortcuts; the menu shows them beside the items.
HACCEL MainAccelerators() {
    static ACCEL keys[] = {{FCONTROL | FVIRTKEY, 'R', IDM_RESTORE}};
    static HACCEL table = CreateAcceleratorTableA(keys, 1);
    return table;
}

}  // namespace

UiWin32::UiWin32() noexcept {
    SetMessageFilter(
        [](MSG& msg, void* self) { return PreTranslate(static_cast<UiWin32*>(self)->m_main, msg); }, this);
}

UiWin32::~UiWin32() {
    SetMessageFilter(nullptr, nullptr);
}

int UiWin32::MessageBox(const std::string& text, const std::string& title, Dword style) {
    // While the main window is still hidden (during the load handler) the boxes
    // have no owner: an owned box over a hidden window has no taskbar button.
    const bool mainShown = m_main && IsWindow(m_main) && IsWindowVisible(m_main);
    HWND owner = mainShown ? m_main : nullptr;
    // A box disables only its owner, and the About box is not owned by the main window:
    // with it open, the box stands over it and the main window is disabled here, so
    // neither can be used until the box is answered. Only what was enabled is enabled
    // again, so a box shown while another is open leaves the outer one's state alone.
    HWND about = AboutWindow();
    HWND alsoDisabled = nullptr;
    if (about && IsWindow(about) && IsWindowVisible(about)) {
        owner = about;
        if (mainShown && IsWindowEnabled(m_main)) alsoDisabled = m_main;
    }
    if (alsoDisabled) EnableWindow(alsoDisabled, FALSE);
    const int answer =
        ::MessageBoxA(owner, text.c_str(), title.c_str(), static_cast<UINT>(style) | MB_APPLMODAL);
    if (alsoDisabled && IsWindow(alsoDisabled)) EnableWindow(alsoDisabled, TRUE);
    return answer;
}

void UiWin32::DoEvents() {
    (void)DispatchPending();
}

void UiWin32::RunOffThread(const std::function<void()>& work) {
    (void)RunDispatching(work, INFINITE);
}

bool PreTranslate(HWND main, MSG& msg) {
    if (HWND about = AboutWindow(); about && IsWindow(about) && IsDialogMessageA(about, &msg)) return true;
    if (main && IsWindow(main) && (msg.hwnd == main || IsChild(main, msg.hwnd)) &&
        TranslateAcceleratorA(main, MainAccelerators(), &msg))
        return true;
    return main && IsWindow(main) && IsDialogMessageA(main, &msg);
}

void InitCommonControlClasses() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
}

HINSTANCE ProgramInstance() noexcept {
    return GetModuleHandleA(nullptr);
}

}  // namespace zv::win32
