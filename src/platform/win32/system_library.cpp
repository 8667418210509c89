#include "platform/win32/system_library.h"

#include "platform/driver_setup.h"

#include <map>
#include <mutex>
#include <string>

namespace zv::win32 {
namespace {

// 0x800: in the SDK from Windows 8 on; older headers may lack it.
constexpr DWORD kSearchSystem32 = 0x00000800;

// kernel32 is in every process from its start; looked up through its module handle, since
// LoadSystemLibrary itself needs to know what it offers.
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

HMODULE LoadKept(const char* name) {
    if (::lstrcmpiA(name, "kernel32.dll") == 0) return ::GetModuleHandleA("kernel32.dll");
    // Common controls are left to the usual search, which the manifest's side-by-side
    // redirection answers with version 6 as for an ordinary import; a full path would not.
    // RestrictDllSearch, called first thing, keeps that search in the system folder.
    if (::lstrcmpiA(name, "comctl32.dll") == 0) return ::LoadLibraryA(name);
    return LoadSystemLibrary(name);
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
    HMODULE module = LoadKept(name);
    loaded.emplace(name, module);
    return module;
}

FARPROC SystemProcAddress(const char* dll, const char* name) {
    HMODULE module = SystemDll(dll);
    return module ? ::GetProcAddress(module, name) : nullptr;
}

bool RestrictDllSearch() {
    const auto set = SystemProc<BOOL(WINAPI*)(DWORD)>("kernel32.dll", "SetDefaultDllDirectories");
    return set && set(kSearchSystem32) != FALSE;
}

std::uint16_t NativeArchitecture() {
    static const std::uint16_t native = [] {
        // IsWow64Process2 (Windows 10 1511 on) tells the machine's own processor; on ARM64
        // Windows GetNativeSystemInfo answers an emulated x86 or x64 process with the
        // emulated one.
        const auto wow2 =
            SystemProc<BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*)>("kernel32.dll", "IsWow64Process2");
        USHORT process = 0, machine = 0;
        if (wow2 && wow2(::GetCurrentProcess(), &process, &machine)) {
            switch (machine) {
                case 0x8664: return kProcessorArchitectureAmd64;  // IMAGE_FILE_MACHINE_AMD64
                case 0xAA64: return kProcessorArchitectureArm64;  // IMAGE_FILE_MACHINE_ARM64
                case 0x01C4: return kProcessorArchitectureArm;    // IMAGE_FILE_MACHINE_ARMNT
                case 0x014C: return kProcessorArchitectureIntel;  // IMAGE_FILE_MACHINE_I386
                default: break;                                   // unknown: ask the older call
            }
        }
        SYSTEM_INFO info{};
        ::GetNativeSystemInfo(&info);
        return info.wProcessorArchitecture;
    }();
    return native;
}

}  // namespace zv::win32

namespace zv::win32::lazy {

// The table tools/make_lazy_imports.py writes: RVAs of each entry's slot, DLL and name.
struct LazyEntry {
    std::uint32_t slot, dll, name;
};
struct LazyTable {
    char magic[8];
    std::uint32_t count, common;
    LazyEntry entries[1];
};

}  // namespace zv::win32::lazy

extern "C" {
extern const zv::win32::lazy::LazyTable zv_lazy_table;
extern IMAGE_DOS_HEADER __ImageBase;

// Binds entry `index` of the table: called from the stub its slot holds until then, with the
// caller's arguments waiting. A function that Windows' own DLL lacks cannot be called at
// all: the program ends with a message that names it, not with a jump to nowhere.
void* zv_lazy_bind(unsigned index) {
    char* base = reinterpret_cast<char*>(&__ImageBase);
    const zv::win32::lazy::LazyEntry& e = zv_lazy_table.entries[index];
    const char* dll = base + e.dll;
    const char* name = base + e.name;
    FARPROC p = zv::win32::SystemProcAddress(dll, name);
    if (!p) {
        const std::string text =
            std::string("Windows' ") + dll + " lacks " + name + ", which this program needs.";
        ::FatalAppExitA(0, text.c_str());
    }
    void* bound = reinterpret_cast<void*>(p);
    // Another thread may bind the same slot at once; both store the same address.
    __atomic_store_n(reinterpret_cast<void**>(base + e.slot), bound, __ATOMIC_RELEASE);
    return bound;
}
}
