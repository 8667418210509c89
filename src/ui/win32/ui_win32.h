#pragma once
// Message boxes, and the windows' keyboard handling in the thread's message pump.
#include <windows.h>

#include "platform/ui.h"

namespace zv::win32 {

// One per program: while it lives, the pump gives the main window and the About
// box their keyboard handling.
class UiWin32 : public IUi {
public:
    UiWin32() noexcept;
    ~UiWin32() override;
    UiWin32(const UiWin32&) = delete;
    UiWin32& operator=(const UiWin32&) = delete;

    // The main window once it exists: it owns the message boxes while it is
    // visible, and its keyboard navigation runs in the pump.
    void setMainWindow(HWND hwnd) noexcept { m_main = hwnd; }
    int MessageBox(const std::string& text, const std::string& title, Dword style) override;
    void DoEvents() override;
    void RunOffThread(const std::function<void()>& work) override;
    [[nodiscard]] bool HasWindow() const override { return true; }

private:
    HWND m_main = nullptr;
};

// Tab, the arrow keys and access keys for the main window and the About box, and
// the main window's shortcuts. True when the message was handled and must not be dispatched.
[[nodiscard]] bool PreTranslate(HWND main, MSG& msg);

// Makes the windows' controls' classes available; once, before the first window.
void InitCommonControlClasses();
// The module the windows belong to.
[[nodiscard]] HINSTANCE ProgramInstance() noexcept;

}  // namespace zv::win32
