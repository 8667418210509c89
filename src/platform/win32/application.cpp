#include "platform/win32/application.h"

#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "platform/win32/factories.h"
#include "platform/win32/main_window.h"
#include "platform/win32/ui_win32.h"

namespace zv::win32 {

int RunApplication() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);

    auto registry = MakeRegistry();
    auto profile = MakeProfile();
    auto system = MakeSystem();
    auto files = MakeFileSystem();
    auto internet = MakeInternet();
    auto shell = MakeShell();
    auto setup = MakeDriverSetup();
    auto data = MakeFileData();
    auto locale = MakeLocale();
    UiWin32 ui;
    Platform os{*registry, *profile, *system, *files, *internet, *shell, ui, *setup, *data, *locale};
    ModError::Reporter errors{ui};
    AppValues app;
    Env env{os, errors, app};

    // The program normally ends through ExitProcess from inside a handler, so
    // nothing here may rely on this frame unwinding.
    MainWindow window(env, GetModuleHandleA(nullptr));
    if (!window.create()) {
        MessageBoxA(nullptr, "The main window could not be created.", kProgramTitle, MB_OK | MB_ICONERROR);
        return 1;
    }
    ui.setMainWindow(window.hwnd());
    window.load();  // StartUp may end the program here; the window is never shown then
    window.show();
    return RunMessageLoop(window.hwnd());
}

}  // namespace zv::win32
