#pragma once
// Message boxes and the message pump of the user-interface thread.
#include <windows.h>

#include "platform/ui.h"

namespace zv::win32 {

class UiWin32 : public IUi {
public:
    // The main window once it exists: it owns the message boxes while it is
    // visible, and its keyboard navigation runs in the pump.
    void setMainWindow(HWND hwnd) noexcept { m_main = hwnd; }
    int MessageBox(const std::string& text, const std::string& title, Dword style) override;
    void DoEvents() override;

private:
    HWND m_main = nullptr;
};

// Tab, the arrow keys and access keys for the main window and the About box.
// True when the message was handled and must not be dispatched.
[[nodiscard]] bool PreTranslate(HWND main, MSG& msg);

// Runs the thread's message loop until WM_QUIT; returns its exit code.
int RunMessageLoop(HWND main);

}  // namespace zv::win32
