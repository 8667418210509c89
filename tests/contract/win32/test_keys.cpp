#include "contract/win32/test_keys.h"

#include <windows.h>

#include <cstdio>

namespace zv::contract {
namespace {

// RegDeleteTreeA is Vista and later, and the build targets XP headers.
void DeleteTree(HKEY parent, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    char child[256];
    // Always index 0: every deletion moves the next subkey to the front.
    while (RegEnumKeyA(key, 0, child, sizeof child) == ERROR_SUCCESS) {
        const std::string before = child;
        DeleteTree(key, before);
        if (RegEnumKeyA(key, 0, child, sizeof child) == ERROR_SUCCESS && before == child) break;
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, name.c_str());
}

}  // namespace

std::string UniqueKeyName() {
    static unsigned counter = 0;
    char name[64];
    std::snprintf(name, sizeof name, "p%lut%lun%u", static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetTickCount()), ++counter);
    return name;
}

void RemoveMachineTestKey(const char* parent, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, parent, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    DeleteTree(key, name);
    RegCloseKey(key);
}

void RemoveTestKey(const char* parent, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, parent, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    DeleteTree(key, name);
    RegCloseKey(key);
    // The parent stays: deleting it, even once it looks empty, races another
    // test process that is creating its own key below it (ERROR_KEY_DELETED).
}

}  // namespace zv::contract
