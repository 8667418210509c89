#include "platform/win32/system_library.h"

#include <delayimp.h>

#include <map>
#include <mutex>
#include <string>

namespace zv::win32 {
namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// 0x800: in the SDK from Windows 8 on; older headers may lack it.
constexpr DWORD kSearchSystem32 = 0x00000800;

FARPROC Kernel32Proc(const char* name) {
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    return kernel ? ::GetProcAddress(kernel, name) : nullptr;
}

// LoadLibraryEx knows LOAD_LIBRARY_SEARCH_SYSTEM32 exactly where kernel32 has
// AddDllDirectory; elsewhere the flag makes the call fail with ERROR_INVALID_PARAMETER.
bool SearchFlagsKnown() {
    static const bool known = Kernel32Proc("AddDllDirectory") != nullptr;
    return known;
}

// The DLLs the program imports with a delay (the window's, WinINet) load on the first call
// of one of their functions: from the system folder, as every DLL loaded at run time.
// Common controls are left to the usual search, which the manifest's side-by-side
// redirection answers with version 6 as for an ordinary import; a full path would not.
FARPROC WINAPI DelayedDllHook(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary || ::lstrcmpiA(info->szDll, "comctl32.dll") == 0)
        return nullptr;
    return reinterpret_cast<FARPROC>(LoadSystemLibrary(info->szDll));
}

}  // namespace

HMODULE LoadSystemLibrary(const char* name) {
    if (SearchFlagsKnown()) return ::LoadLibraryExA(name, nullptr, kSearchSystem32);
    char system[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryA(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::string path = std::string(system, n) + "\\" + name;
    return ::LoadLibraryA(path.c_str());
}

HMODULE SystemDll(const char* name) {
    // The restore's worker thread binds setupapi's calls too.
    static std::mutex lock;
    static std::map<std::string, HMODULE> loaded;
    const std::lock_guard<std::mutex> hold(lock);
    auto it = loaded.find(name);
    if (it != loaded.end()) return it->second;
    HMODULE module = LoadSystemLibrary(name);
    loaded.emplace(name, module);
    return module;
}

bool RestrictDllSearch() {
    const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void (*)()>(Kernel32Proc("SetDefaultDllDirectories")));
    return set && set(kSearchSystem32) != FALSE;
}

}  // namespace zv::win32

// The delay-load helper of the run-time library asks this hook (declared by delayimp.h
// with C linkage) before it loads a DLL.
PfnDliHook __pfnDliNotifyHook2 = zv::win32::DelayedDllHook;
