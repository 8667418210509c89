#pragma once
// Functions of Windows' own DLLs that only some commands need, bound on their first call.
// A DLL the program imports is loaded, with all it imports in turn, before the program's
// first line runs: every start would pay for the shell, COM and the driver installer,
// which the window needs only for a backup, a restore or a web page.
#include <windows.h>

namespace zv::win32 {

// The DLL of that name in the system folder, loaded by its full path (never one beside
// the program, on the stick a backup lies on, say) and kept; null when it cannot be.
[[nodiscard]] HMODULE SystemDll(const char* name);

// The function of a system DLL, typed as declared: SystemProc<decltype(&::ShellExecuteA)>
// ("shell32.dll", "ShellExecuteA"). Null when the DLL or the function is missing.
template <class Fn>
[[nodiscard]] Fn SystemProc(const char* dll, const char* name) {
    HMODULE module = SystemDll(dll);
    FARPROC p = module ? ::GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(p));
}

}  // namespace zv::win32
