#include "platform/win32/ui_win32.h"

#include "platform/win32/about_window.h"
#include "resources/resource.h"

namespace zv::win32 {

namespace {

// The main window's keyboard shortcuts; the menu shows them beside the items.
HACCEL MainAccelerators() {
    static ACCEL keys[] = {{FCONTROL | FVIRTKEY, 'R', IDM_RESTORE}};
    static HACCEL table = CreateAcceleratorTableA(keys, 1);
    return table;
}

}  // namespace

int UiWin32::MessageBox(const std::string& text, const std::string& title, Dword style) {
    // While the main window is still hidden (during the load handler) the boxes
    // have no owner: an owned box over a hidden window has no taskbar button.
    HWND owner = (m_main && IsWindow(m_main) && IsWindowVisible(m_main)) ? m_main : nullptr;
    return ::MessageBoxA(owner, text.c_str(), title.c_str(), static_cast<UINT>(style) | MB_APPLMODAL);
}

bool PreTranslate(HWND main, MSG& msg) {
    if (HWND about = AboutWindow(); about && IsWindow(about) && IsDialogMessageA(about, &msg)) return true;
    if (main && IsWindow(main) && (msg.hwnd == main || IsChild(main, msg.hwnd)) &&
        TranslateAcceleratorA(main, MainAccelerators(), &msg))
        return true;
    return main && IsWindow(main) && IsDialogMessageA(main, &msg);
}

void UiWin32::DoEvents() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (PreTranslate(m_main, msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int RunMessageLoop(HWND main) {
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) break;
        if (PreTranslate(main, msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace zv::win32
