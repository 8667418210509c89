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

}  // namespace zv::win32
