// Folders, environment, error texts, starting and ending programs, over kernel32.
#include <windows.h>
#undef GetWindowsDirectory
#undef GetSystemDirectory
#undef ExpandEnvironmentStrings

#include <string>

#include "platform/win32/factories.h"
#include "platform/win32/hand_over.h"
#include "platform/win32/unique.h"

namespace zv::win32 {
namespace {

class Win32System final : public ISystem {
public:
    Dword GetWindowsDirectory(char* buffer, Dword size) override {
        return ::GetWindowsDirectoryA(buffer, size);
    }

    Dword GetSystemDirectory(char* buffer, Dword size) override {
        return ::GetSystemDirectoryA(buffer, size);
    }

    Dword ExpandEnvironmentStrings(const std::string& source, char* destination, Dword size) override {
        return ::ExpandEnvironmentStringsA(source.c_str(), destination, size);
    }

    std::string ErrorText(Dword error) override {
        char text[512] = {};
        const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                         error, 0, text, sizeof text, nullptr);
        std::string s(text, n);
        while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
        return s;
    }

    bool StartProgram(const std::string& path, int showCommand, Dword* lastError) override {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(showCommand);
        PROCESS_INFORMATION pi{};
        // The command line is the quoted path: CreateProcessA may write into it.
        std::string commandLine = "\"" + path + "\"";
        if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi)) {
            if (lastError) *lastError = ::GetLastError();
            return false;
        }
        // Not waited for: the program runs on its own.
        const UniqueHandle thread{pi.hThread}, process{pi.hProcess};
        return true;
    }

    [[noreturn]] void ExitProgram(unsigned code) override { ::ExitProcess(code); }
    Dword GetTickCount() override { return ::GetTickCount(); }

    std::string ProgramPath() override { return ProgramToCopy(); }

    bool RestartWindows(Dword* lastError) override {
        HANDLE raw = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
            return fail(lastError);
        const UniqueHandle token{raw};
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
            return fail(lastError);
        // Succeeds without the privilege too; ERROR_NOT_ALL_ASSIGNED says so.
        if (!::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) ||
            ::GetLastError() != ERROR_SUCCESS)
            return fail(lastError);
        if (!::ExitWindowsEx(EWX_REBOOT, SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION |
                                             SHTDN_REASON_FLAG_PLANNED))
            return fail(lastError);
        if (lastError) *lastError = 0;
        return true;
    }

private:
    static bool fail(Dword* lastError) {
        if (lastError) *lastError = ::GetLastError();
        return false;
    }
};

}  // namespace

std::unique_ptr<ISystem> MakeSystem() {
    return std::make_unique<Win32System>();
}

}  // namespace zv::win32
