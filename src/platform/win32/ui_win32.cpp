#include "platform/win32/ui_win32.h"

#include "platform/win32/about_window.h"

namespace zv::win32 {

int UiWin32::MessageBox(const std::string& text, const std::string& title, Dword style) {
    // While the main window is still hidden (during the load handler) the boxes
    // have no owner: an owned box over a hidden window has no taskbar button.
    HWND owner = (m_main && IsWindow(m_main) && IsWindowVisible(m_main)) ? m_main : nullptr;
    return ::MessageBoxA(owner, text.c_str(), title.c_str(), static_cast<UINT>(style) | MB_APPLMODAL);
}

bool PreTranslate(HWND main, MSG& msg) {
    if (HWND about = AboutWindow(); about && IsWindow(about) && IsDialogMessageA(about, &msg)) return true;
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
