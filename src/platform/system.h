#pragma once
// Folders, environment, error texts, starting and ending programs, the clock.
#include <string>

#include "platform/types.h"

namespace zv {

// Thrown by a fake ExitProgram so that tests see the end of the program; it is
// deliberately not a std::exception, so no failure path can catch it.
struct ProgramExit {
    unsigned code = 0;
};

class ISystem {
public:
    virtual ~ISystem() = default;
    virtual Dword GetWindowsDirectory(char* buffer, Dword size) = 0;
    virtual Dword GetSystemDirectory(char* buffer, Dword size) = 0;
    virtual Dword ExpandEnvironmentStrings(const std::string& source, char* destination, Dword size) = 0;
    // The system's message text for a Win32 error code, without trailing line breaks.
    virtual std::string ErrorText(Dword error) = 0;
    // Starts a program by its path with the given show command, without waiting.
    // Returns false and sets lastError when it cannot be started.
    virtual bool StartProgram(const std::string& path, int showCommand, Dword* lastError) = 0;
    [[noreturn]] virtual void ExitProgram(unsigned code) = 0;
    // Milliseconds since the system started, wrapping after 49.7 days.
    [[nodiscard]] virtual Dword GetTickCount() = 0;
    // Restarts Windows (ExitWindowsEx, as a planned restart of an installation), taking the
    // shutdown privilege first. False sets lastError.
    virtual bool RestartWindows(Dword* lastError) = 0;
    // The full path of the program a backup carries so that it can restore itself: this
    // program, or the 32-bit one that handed over to it. "" when it cannot be told.
    virtual std::string ProgramPath() = 0;
};

}  // namespace zv
