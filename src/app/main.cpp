// The program entry and its composition root: the one place that creates the real
// seams and windows and hands them to the logic.
// <windows.h> first, as in every Win32 file: its MessageBox macro must rename the seam's
// method in the interface and in the implementation alike.
#include <windows.h>

#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "cli/command_line.h"
#include "platform/win32/factories.h"
#include "platform/win32/hand_over.h"
#include "platform/win32/message_pump.h"
#include "platform/win32/system_library.h"
#include "support/call_log.h"
#include "ui/win32/main_window.h"
#include "ui/win32/ui_win32.h"

namespace {

// Since the process was made: Wine's (or Windows') part of the start, before main. -1 when unknown.
double MsSinceProcessStart() {
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
    ::GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return ticks(now) >= ticks(created) ? static_cast<double>(ticks(now) - ticks(created)) / 1e4 : -1;
}

}  // namespace

int main() {
    using namespace zv;
    using namespace zv::win32;

    // Before anything loads a DLL at run time: the program runs as administrator, often
    // from a stick that holds files anyone could have put there.
    (void)RestrictDllSearch();

    std::string handOverFailure;
#if !defined(_WIN64)
    // On 64-bit Windows a 32-bit process cannot install drivers: the 64-bit build this
    // program carries does the work, with the same arguments, and its exit code is ours.
    if (const HandOver h = RunNativeBuild(); h.ran)
        return static_cast<int>(h.exitCode);
    else
        handOverFailure = h.failure;
#endif
    auto console = MakeConsole();
    const std::vector<std::u16string> argv = cli::SplitCommandLine(console->CommandLine());
    // Only a switch makes a command; a dragged folder or a shortcut's parameter opens the window.
    const bool window =
        !cli::IsCommand(std::vector<std::u16string>(argv.begin() + (argv.empty() ? 0 : 1), argv.end()));
    if (window) InitCommonControlClasses();

    auto registry = MakeRegistry();
    auto profile = MakeProfile();
    auto system = MakeSystem();
    auto files = MakeFileSystem();
    auto internet = MakeInternet();
    auto shell = MakeShell();
    auto setup = MakeDriverSetup();
    auto data = MakeFileData();
    auto locale = MakeLocale();
    auto devices = MakeDevices();
    auto signatures = MakeSignatures();
    UiWin32 ui;
    Platform os{*registry, *profile, *system, *files,  *internet, *shell,
                ui,        *setup,   *data,   *locale, *devices,  *signatures};
    ModError::Reporter errors{ui};
    AppValues app;
    Env env{os, errors, app};
    // A command runs without a window, without the version check and without the agreement box.
    if (!window) {
        if (::GetEnvironmentVariableA("ZV_TIMING_LOG", nullptr, 0) == 0)
            return cli::RunCommandLine(os, *console, argv, handOverFailure);
        // The timing log: the command's platform calls counted and timed, on standard error.
        const double startMs = MsSinceProcessStart();
        CallLog log(os, *console);
        const int code = cli::RunCommandLine(log.platform(), log.console(), argv, handOverFailure);
        (void)console->Write(ConsoleStream::Err, log.text(startMs));
        return code;
    }

    // The program normally ends through ExitProcess from inside a handler, so
    // nothing here may rely on this frame unwinding.
    MainWindow mainWindow(env, ProgramInstance());
    if (!mainWindow.create()) {
        ui.MessageBox("The main window could not be created.", kProgramTitle, kMbOk | kMbIconError);
        return 1;
    }
    ui.setMainWindow(mainWindow.hwnd());
    mainWindow.logic().setHandOverFailure(handOverFailure);
    mainWindow.load();  // StartUp may end the program here; the window is never shown then
    mainWindow.show();
    return RunMessageLoop();
}
