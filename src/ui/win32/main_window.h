#pragma once
// The real frmMain window: the common controls, the menu, and the window
// procedure that hands commands to the window's logic (app/frmMain).
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "app/frmMain.h"
#include "support/env.h"
#include "ui/win32/controls_win32.h"
#include "ui/win32/main_window_layout.h"

namespace zv::win32 {

class MainWindow : public IFormWindow {
public:
    MainWindow(Env& env, HINSTANCE instance);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window, hidden, with its controls and menu. False when it cannot.
    [[nodiscard]] bool create();
    void load();  // frmMain's load handler; no failure leaves it
    void show();

    [[nodiscard]] HWND hwnd() const noexcept { return m_hwnd; }
    [[nodiscard]] frmMain& logic() { return *m_logic; }
    [[nodiscard]] MainControls& controls() { return *m_controls; }
    // Set when a handler ended the program and the end returned to the window
    // procedure; only a test platform's ExitProgram returns like that.
    [[nodiscard]] std::optional<unsigned> exitCode() const noexcept { return m_exitCode; }
    // A command of the list's context menu (IDM_LIST_...), as choosing it runs it.
    void runListCommand(int id);
    // What "Copy" puts on the clipboard: the ticked rows, or the highlighted one.
    [[nodiscard]] std::string copyText() const;

    // IFormWindow
    void setMousePointer(int pointer) override;
    [[nodiscard]] int mousePointer() const override { return m_pointer; }
    [[nodiscard]] Hwnd handle() const override;
    void setCaption(const std::string& caption) override;
    [[nodiscard]] std::string caption() const override;
    void setAboutItemCaption(const std::string& caption) override;
    [[nodiscard]] std::string aboutItemCaption() const override;
    void showAbout() override;
    void unload() override;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT onMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void onCommand(int id, int code, HWND control);
    void onListMenu(LPARAM at);
    void copyRows();
    // The list's Signature column: the timer that fills it runs while rows wait for a cell.
    void startSignatureFill();
    void fillSignatures();
    void createControls();
    template <class Handler>
    void dispatch(Handler&& handler);

    Env m_env;
    HINSTANCE m_instance;
    HWND m_hwnd = nullptr;
    HMENU m_menu = nullptr;
    UniqueFont m_font;
    UniqueIcon m_iconBig;
    UniqueIcon m_iconSmall;
    HWND m_lastFocus = nullptr;
    int m_pointer = kPointerDefault;
    bool m_unloading = false;
    bool m_tearingDown = false;
    bool m_signatureTimer = false;
    std::optional<unsigned> m_exitCode;

    DriverListView m_list;
    CheckBox m_check;
    StatusBar m_status;
    ProgressBar m_bar;
    std::unique_ptr<MainControls> m_controls;
    std::unique_ptr<frmMain> m_logic;
};

}  // namespace zv::win32
