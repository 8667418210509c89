#include "platform/win32/system_library.h"

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
