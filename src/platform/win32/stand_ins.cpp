// TEMPORARY: see stand_ins.h.
// <windows.h> first: its A/W macros must rename the seam's methods here too.
#include <windows.h>

#include "platform/win32/stand_ins.h"

namespace zv::win32::temporary {

namespace {

class Registry : public IRegistry {
public:
    Long OpenKeyEx(Hkey, const std::string&, Dword, Dword, Hkey* r) override { return *r = 0, kErrorFileNotFound; }
    Long OpenKey(Hkey, const std::string&, Hkey* r) override { return *r = 0, kErrorFileNotFound; }
    Long CreateKey(Hkey, const std::string&, Hkey* r) override { return *r = 0, kErrorAccessDenied; }
    Long EnumKey(Hkey, Dword, char*, Dword) override { return kErrorInvalidHandle; }
    Long EnumValue(Hkey, Dword, char*, Dword*, Dword*, std::uint8_t*, Dword*) override { return kErrorInvalidHandle; }
    Long QueryValueEx(Hkey, const std::string&, Dword*, std::uint8_t*, Dword*) override { return kErrorInvalidHandle; }
    Long SetValueEx(Hkey, const std::string&, Dword, const std::uint8_t*, Dword) override {
        return kErrorInvalidHandle;
    }
    Long DeleteValue(Hkey, const std::string&) override { return kErrorInvalidHandle; }
    Long CloseKey(Hkey) override { return kErrorInvalidHandle; }
};

class Profile : public IProfile {
public:
    Dword GetPrivateProfileString(const std::string&, const std::string&, const std::string&, char* b, Dword n,
                                  const std::string&) override {
        if (n) b[0] = 0;
        return 0;
    }
    Dword GetPrivateProfileSection(const std::string&, char* b, Dword n, const std::string&) override {
        if (n > 1) b[0] = b[1] = 0;
        return 0;
    }
};

class System : public ISystem {
public:
    Dword GetWindowsDirectory(char* b, Dword n) override { return ::GetWindowsDirectoryA(b, n); }
    Dword GetSystemDirectory(char* b, Dword n) override { return ::GetSystemDirectoryA(b, n); }
    Dword ExpandEnvironmentStrings(const std::string& s, char* d, Dword n) override {
        return ::ExpandEnvironmentStringsA(s.c_str(), d, n);
    }
    std::string ErrorText(Dword) override { return "Error"; }
    bool StartProgram(const std::string&, int, Dword* e) override { return *e = ERROR_FILE_NOT_FOUND, false; }
    [[noreturn]] void ExitProgram(unsigned code) override { ExitProcess(code); }
};

class FileSystem : public IFileSystem {
public:
    Dword GetLastError() const override { return kErrorAccessDenied; }
    Dword GetFileAttributes(const std::string&) override { return kInvalidFileAttributes; }
    bool GetFileSize(const std::string&, std::uint64_t*) override { return false; }
    bool FindFiles(const std::string&, std::vector<FindEntry>*) override { return false; }
    bool CreateDirectory(const std::string&) override { return false; }
    bool CopyFile(const std::string&, const std::string&, bool) override { return false; }
    bool DeleteFile(const std::string&) override { return false; }
    Hfile OpenForWrite(const std::string&) override { return kInvalidHfile; }
    bool WriteFile(Hfile, const void*, Dword, Dword*) override { return false; }
    bool CloseFile(Hfile) override { return false; }
    bool DisableFsRedirection(std::uintptr_t*) override { return false; }
    bool RevertFsRedirection(std::uintptr_t) override { return false; }
};

class Internet : public IInternet {
public:
    Dword GetLastError() const override { return kErrorInternetCannotConnect; }
    Hinternet InternetOpen(const std::string&, Dword, const char*, const char*, Dword) override { return 0; }
    bool InternetQueryOption(Hinternet, Dword, void*, Dword*) override { return false; }
    bool InternetSetOption(Hinternet, Dword, const void*, Dword) override { return false; }
    Hinternet InternetConnect(Hinternet, const std::string&, std::uint16_t, const char*, const char*, Dword, Dword,
                              std::uintptr_t) override {
        return 0;
    }
    Hinternet HttpOpenRequest(Hinternet, const std::string&, const std::string&, const std::string&, const char*,
                              const char**, Dword, std::uintptr_t) override {
        return 0;
    }
    bool HttpAddRequestHeaders(Hinternet, const std::string&, Dword, Dword) override { return false; }
    bool HttpSendRequest(Hinternet, const char*, Dword, const void*, Dword) override { return false; }
    bool HttpQueryInfo(Hinternet, Dword, void*, Dword*, Dword*) override { return false; }
    bool InternetReadFile(Hinternet, void*, Dword, Dword*) override { return false; }
    bool InternetCloseHandle(Hinternet) override { return false; }
};

class Shell : public IShell {
public:
    std::intptr_t ShellExecute(Hwnd, const std::string&, const std::string&, const std::string&, const std::string&,
                               int) override {
        return 2;
    }
    std::optional<std::string> BrowseForFolder(Hwnd, const std::string&, Dword) override { return std::nullopt; }
};

}  // namespace

std::unique_ptr<IRegistry> FailingRegistry() { return std::make_unique<Registry>(); }
std::unique_ptr<IProfile> FailingProfile() { return std::make_unique<Profile>(); }
std::unique_ptr<ISystem> MinimalSystem() { return std::make_unique<System>(); }
std::unique_ptr<IFileSystem> FailingFileSystem() { return std::make_unique<FileSystem>(); }
std::unique_ptr<IInternet> FailingInternet() { return std::make_unique<Internet>(); }
std::unique_ptr<IShell> FailingShell() { return std::make_unique<Shell>(); }

}  // namespace zv::win32::temporary
