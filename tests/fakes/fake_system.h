#pragma once
// Windows and system folders, environment expansion, program start and exit.
#include <map>
#include <string>
#include <vector>

#include "platform/system.h"

namespace zv::fakes {

class FakeSystem : public ISystem {
public:
    Dword GetWindowsDirectory(char* buffer, Dword size) override;
    Dword GetSystemDirectory(char* buffer, Dword size) override;
    Dword ExpandEnvironmentStrings(const std::string& source, char* destination, Dword size) override;
    std::string ErrorText(Dword error) override;
    bool StartProgram(const std::string& path, int showCommand, Dword* lastError) override;
    [[noreturn]] void ExitProgram(unsigned code) override;
    Dword GetTickCount() override { return ticks; }
    std::string ProgramPath() override { return programPath; }
    bool RestartWindows(Dword* lastError) override {
        ++restarts;
        if (lastError) *lastError = restartError;
        return restartError == 0;
    }

    std::string windowsDirectory = "C:\\WINDOWS";
    std::string systemDirectory = "C:\\WINDOWS\\system32";
    std::map<std::string, std::string> environment;  // names in upper case
    // Programs that StartProgram can start; anything else fails with 2.
    std::vector<std::string> startablePrograms;
    struct Started {
        std::string path;
        int showCommand;
    };
    std::vector<Started> started;
    bool failFolderCalls = false;
    Dword ticks = 0;  // the clock stands still unless a test moves it
    int restarts = 0;
    std::string programPath = "C:\\Tools\\Zorvane.exe";
    Dword restartError = 0;  // not 0: RestartWindows fails with it
};

}  // namespace zv::fakes
