#pragma once
// DLLs that Windows ships, loaded at run time from the system folder only: the program
// runs as administrator, often from a stick that anyone could have written a DLL onto.
//
// There is one way a function of such a DLL is bound after the start, the same in both
// builds: SystemProc below, by name, on first use. The window's DLLs and WinINet are called
// as usual; their import slots are the program's own (lazy_imports.txt) and bind through
// SystemProc on the first call: a DLL the program imports is loaded, with all it imports in
// turn, before the program's first line runs, and every start would pay for the window's
// DLLs, which a command on the console never needs. A function that may be missing on some
// Windows is looked up with SystemProc where it is used, and its absence handled there.
#include <windows.h>

#include <cstdint>

namespace zv::win32 {

// The DLL of that name from the system folder, or null. Never the program's own folder,
// the current folder or PATH.
[[nodiscard]] HMODULE LoadSystemLibrary(const char* name);

// Narrows the process's DLL search to the system folder where Windows can
// (SetDefaultDllDirectories, Windows 8 on and Windows 7 with its update), so that DLLs
// that Windows' own libraries load later come from there too. False where it cannot.
bool RestrictDllSearch();

// LoadSystemLibrary's module for that name, loaded once and kept; null when it cannot be.
[[nodiscard]] HMODULE SystemDll(const char* name);

[[nodiscard]] FARPROC SystemProcAddress(const char* dll, const char* name);

// The function of a system DLL, typed as declared: SystemProc<decltype(&::ShellExecuteA)>
// ("shell32.dll", "ShellExecuteA"). Null when the DLL or the function is missing.
template <class Fn>
[[nodiscard]] Fn SystemProc(const char* dll, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(SystemProcAddress(dll, name)));
}

// The processor architecture of Windows itself (PROCESSOR_ARCHITECTURE_*), also for a
// 32-bit or emulated process; read once.
[[nodiscard]] std::uint16_t NativeArchitecture();

}  // namespace zv::win32
