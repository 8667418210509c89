#include "platform/win32/system_dll.h"

#include <map>
#include <mutex>
#include <string>

namespace zv::win32 {

HMODULE SystemDll(const char* name) {
    // The restore's worker thread binds setupapi's calls too.
    static std::mutex lock;
    static std::map<std::string, HMODULE> loaded;
    const std::lock_guard<std::mutex> hold(lock);
    auto it = loaded.find(name);
    if (it != loaded.end()) return it->second;
    char system[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryA(system, MAX_PATH);
    HMODULE module = nullptr;
    if (n > 0 && n < MAX_PATH) module = ::LoadLibraryA((std::string(system, n) + "\\" + name).c_str());
    loaded.emplace(name, module);
    return module;
}

}  // namespace zv::win32
