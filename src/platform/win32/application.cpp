#include "platform/win32/application.h"

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "cli/command_line.h"
#include "platform/win32/factories.h"
#include "platform/win32/main_window.h"
#include "platform/win32/ui_win32.h"
#include "restore/restore_run.h"

namespace zv::win32 {

int RunApplication() {
    auto console = MakeConsole();
    const std::vector<std::string> argv = cli::SplitCommandLine(console->CommandLine());
    auto restoreSetup = MakeSetup();
    auto contents = MakeFileContents();
    RestoreSeams seams{*restoreSetup, *contents};

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    if (argv.size() <= 1) InitCommonControlsEx(&icc);

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
    // With arguments the program is a command: no window, no version check, no agreement box.
    if (argv.size() > 1) return cli::RunCommandLine(os, seams, *console, argv);

    // The program normally ends through ExitProcess from inside a handler, so
    // nothing here may rely on this frame unwinding.
    MainWindow window(env, GetModuleHandleA(nullptr));
    if (!window.create()) {
        MessageBoxA(nullptr, "The main window could not be created.", kProgramTitle, MB_OK | MB_ICONERROR);
        return 1;
    }
    ui.setMainWindow(window.hwnd());
    auto responsive = MakeResponsiveSetup(*restoreSetup, ui);
    RestoreSeams windowSeams{*responsive, *contents};
    window.logic().setRestoreRun([&windowSeams](Env& e, MainControls& c) {
        (void)restore::mnuRestore_Click(e, windowSeams, c, restore::Options{});
    });
    window.load();  // StartUp may end the program here; the window is never shown then
    window.show();
    return RunMessageLoop(window.hwnd());
}

}  // namespace zv::win32
