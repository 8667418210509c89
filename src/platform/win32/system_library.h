#pragma once
// DLLs that Windows ships, loaded at run time from the system folder only: the program
// runs as administrator, often from a stick that anyone could have written a DLL onto.
#include <windows.h>

namespace zv::win32 {

// The DLL of that name from the system folder, or null. Never the program's own folder,
// the current folder or PATH.
[[nodiscard]] HMODULE LoadSystemLibrary(const char* name);

// Narrows the process's DLL search to the system folder where Windows can
// (SetDefaultDllDirectories, Windows 8 on and Windows 7 with its update), so that DLLs
// that Windows' own libraries load later come from there too. False where it cannot.
bool RestrictDllSearch();

// Functions of Windows' own DLLs that only some commands need, bound on their first call.
// A DLL the program imports is loaded, with all it imports in turn, before the program's
// first line runs: every start would pay for the shell, COM and the driver installer,
// which the window needs only for a backup, a restore or a web page.

// LoadSystemLibrary's module for that name, loaded once and kept; null when it cannot be.
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
