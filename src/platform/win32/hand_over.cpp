#include "platform/win32/hand_over.h"

#include <windows.h>

#include <sddl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/driver_setup.h"
#include "platform/win32/ansi_text.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unique.h"

namespace zv::win32 {
namespace {

// A 32-bit process on Windows whose own programs are x64 (or ARM64, which runs x64 from
// Windows 11 on; where it cannot, the start fails and the 32-bit program goes on).
bool OnWindowsThatRunsX64() {
    if (sizeof(void*) != 4) return false;
    const std::uint16_t native = NativeArchitecture();
    return native == kProcessorArchitectureAmd64 || native == kProcessorArchitectureArm64;
}

std::string ErrorText(DWORD error) {
    char text[256] = {};
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                               text, sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ' || text[n - 1] == '.'))
        --n;
    return n > 0 ? std::string(text, n) + " (" + std::to_string(error) + ")"
                 : "error " + std::to_string(error);
}

// Wide: GetModuleFileNameA gives a folder outside the code page in its best-fit form,
// which names another file or none.
std::wstring OwnPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return L"";
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        if (buffer.size() >= 32768) return L"";
        buffer.resize(buffer.size() * 2);
    }
}

// The command line after the program's name, which CreateProcess reads as the C run time
// does: a quoted name ends at the next quote, a plain one at the first blank. Wide, as
// the process got it: its ANSI form is best fit, where a full-width quote is a quote.
std::wstring Arguments(const wchar_t* line) {
    if (!line) return L"";
    const wchar_t* p = line;
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    return p;
}

// The program a backup copies, wide: the 32-bit original when this process was handed
// over to, else this program itself.
std::wstring ProgramToCopyWide() {
    std::vector<wchar_t> from(32768);
    const DWORD n = ::GetEnvironmentVariableW(WideFromAnsi(kHandedOverFrom).c_str(), from.data(),
                                              static_cast<DWORD>(from.size()));
    if (n > 0 && n < from.size() && ::GetFileAttributesW(from.data()) != INVALID_FILE_ATTRIBUTES)
        return std::wstring(from.data(), n);
    return OwnPath();
}

void FreeLocal(void* p) {
    (void)::LocalFree(p);
}
using UniqueLocal = Unique<NullIsNone<void*, &FreeLocal>>;

// A new folder that only SYSTEM and the administrators may change (inheritance off), under
// the Windows folder's Temp. A name that exists already is never used: someone else made it.
bool MakePrivateFolder(std::string* folder, DWORD* error) {
    char windows[MAX_PATH] = {};
    const UINT n = ::GetWindowsDirectoryA(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return *error = ::GetLastError(), false;
    UniqueLocal descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)",
                                                                SDDL_REVISION_1, descriptor.put(), nullptr))
        return *error = ::GetLastError(), false;
    SECURITY_ATTRIBUTES attributes{static_cast<DWORD>(sizeof(SECURITY_ATTRIBUTES)), descriptor.get(), FALSE};
    const std::string base = std::string(windows, n) + "\\Temp";
    (void)::CreateDirectoryA(base.c_str(), nullptr);
    for (int attempt = 0; attempt < 16; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "\\Zorvane-%lu-%lu-%d", ::GetCurrentProcessId(), ::GetTickCount(),
                      attempt);
        const std::string path = base + name;
        if (::CreateDirectoryA(path.c_str(), &attributes)) {
            *folder = path;
            return true;
        }
        *error = ::GetLastError();
        if (*error != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

bool WriteAll(const std::string& path, const void* data, DWORD size, DWORD* error) {
    const UniqueFile file{
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (!file) return *error = ::GetLastError(), false;
    DWORD written = 0;
    if (!::WriteFile(file.get(), data, size, &written, nullptr) || written != size)
        return *error = ::GetLastError(), false;
    return true;
}

// Opens the written program so that nobody can change it until it has started, and
// compares it with the resource byte for byte.
UniqueFile OpenChecked(const std::string& path, const void* data, DWORD size, DWORD* error) {
    UniqueFile file{
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)};
    if (!file) return *error = ::GetLastError(), UniqueFile{};
    std::vector<char> bytes(size + 1);
    DWORD got = 0;
    if (!::ReadFile(file.get(), bytes.data(), size + 1, &got, nullptr))
        return *error = ::GetLastError(), UniqueFile{};
    if (got != size || std::memcmp(bytes.data(), data, size) != 0)
        return *error = ERROR_FILE_CORRUPT, UniqueFile{};
    return file;
}

void Remove(const std::string& program, const std::string& folder) {
    if (!::DeleteFileA(program.c_str()) && ::GetFileAttributesA(program.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // Still held by something (a scanner, say): gone at the next start of Windows.
        (void)::MoveFileExA(program.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        (void)::MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
    }
    (void)::RemoveDirectoryA(folder.c_str());
}

bool Usable(HANDLE h) {
    return h && h != INVALID_HANDLE_VALUE && ::GetFileType(h) != FILE_TYPE_UNKNOWN;
}

}  // namespace

HandOver RunNativeBuild() {
    HandOver result;
    if (!OnWindowsThatRunsX64()) return result;
    HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(kNativeProgramResource), MAKEINTRESOURCEA(10));
    HGLOBAL loaded = found ? ::LoadResource(nullptr, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = found ? ::SizeofResource(nullptr, found) : 0;
    if (!data || size == 0) {
        result.failure = "this Zorvane.exe does not carry the 64-bit program";
        return result;
    }
    DWORD error = 0;
    std::string folder;
    if (!MakePrivateFolder(&folder, &error)) {
        result.failure = "no folder for the 64-bit program could be made: " + ErrorText(error);
        return result;
    }
    const std::string program = folder + "\\Zorvane64.exe";
    if (!WriteAll(program, data, size, &error)) {
        Remove(program, folder);
        result.failure = "the 64-bit program could not be written: " + ErrorText(error);
        return result;
    }
    UniqueFile locked = OpenChecked(program, data, size, &error);
    if (!locked) {
        Remove(program, folder);
        result.failure = "the 64-bit program could not be checked: " + ErrorText(error);
        return result;
    }

    // The same output: redirected handles are passed on; a console is shared by attaching
    // to it here first, so that the 64-bit program's own attach finds it.
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE), err = ::GetStdHandle(STD_ERROR_HANDLE);
    HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    const bool redirected = Usable(out) || Usable(err);
    if (!redirected) (void)::AttachConsole(ATTACH_PARENT_PROCESS);
    STARTUPINFOW own{};
    own.cb = sizeof own;
    ::GetStartupInfoW(&own);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = own.dwFlags & STARTF_USESHOWWINDOW;
    si.wShowWindow = own.wShowWindow;
    if (redirected) {
        si.dwFlags |= STARTF_USESTDHANDLES;
        si.hStdInput = in;
        si.hStdOutput = out;
        si.hStdError = err;
    }
    const std::wstring original = ProgramToCopyWide();
    (void)::SetEnvironmentVariableW(WideFromAnsi(kHandedOverFrom).c_str(), original.c_str());
    const std::wstring path = WideFromAnsi(program);
    std::wstring line = L"\"" + path + L"\"" + Arguments(::GetCommandLineW());
    PROCESS_INFORMATION pi{};
    const BOOL started = ::CreateProcessW(path.c_str(), line.data(), nullptr, nullptr,
                                          redirected ? TRUE : FALSE, 0, nullptr, nullptr, &si, &pi);
    const DWORD startError = started ? 0 : ::GetLastError();
    (void)::SetEnvironmentVariableW(WideFromAnsi(kHandedOverFrom).c_str(), nullptr);
    locked.reset();
    if (!started) {
        Remove(program, folder);
        result.failure = "the 64-bit program could not be started: " + ErrorText(startError);
        return result;
    }
    const UniqueHandle process{pi.hProcess};
    const UniqueHandle thread{pi.hThread};
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 1;
    (void)::GetExitCodeProcess(process.get(), &code);
    result.ran = true;
    result.exitCode = code;
    Remove(program, folder);
    return result;
}

std::string ProgramToCopy() {
    // A path the code page cannot hold is not known to the "A" calls: "" rather than a
    // look-alike, so the backup says it could not copy the program.
    std::string path;
    return AnsiFromWide(ProgramToCopyWide(), &path) ? path : "";
}

}  // namespace zv::win32
