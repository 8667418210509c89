// The registry seam over advapi32's ANSI calls. Keys cross the seam as their
// pointer-sized handle values (handles.h), the predefined roots included.
#include <windows.h>

#include <cstdint>

#include "platform/win32/factories.h"
#include "platform/win32/handles.h"

namespace zv::win32 {
namespace {

// The out handle starts as the caller's value, so whatever the platform leaves in it
// (null after a failed open, untouched after a bad argument) is what the caller sees.
template <class Call>
Long Opening(Hkey* result, Call&& call) {
    HKEY h = result ? ToNative(*result) : nullptr;
    const LONG status = call(&h);
    if (result) *result = FromNative(h);
    return status;
}

class Win32Registry final : public IRegistry {
public:
    Long OpenKeyEx(Hkey root, const std::string& subKey, Dword options, Dword samDesired,
                   Hkey* result) override {
        return Opening(result, [&](HKEY* h) {
            return RegOpenKeyExA(ToNative(root), subKey.c_str(), options, samDesired, h);
        });
    }

    Long OpenKey(Hkey root, const std::string& subKey, Hkey* result) override {
        return Opening(result, [&](HKEY* h) { return RegOpenKeyA(ToNative(root), subKey.c_str(), h); });
    }

    Long CreateKey(Hkey root, const std::string& subKey, Hkey* result) override {
        return Opening(result, [&](HKEY* h) { return RegCreateKeyA(ToNative(root), subKey.c_str(), h); });
    }

    Long EnumKey(Hkey key, Dword index, char* name, Dword cchName) override {
        return RegEnumKeyA(ToNative(key), index, name, cchName);
    }

    Long EnumValue(Hkey key, Dword index, char* valueName, Dword* cchValueName, Dword* type,
                   std::uint8_t* data, Dword* cbData) override {
        return RegEnumValueA(ToNative(key), index, valueName, reinterpret_cast<DWORD*>(cchValueName), nullptr,
                             reinterpret_cast<DWORD*>(type), data, reinterpret_cast<DWORD*>(cbData));
    }

    Long QueryValueEx(Hkey key, const std::string& valueName, Dword* type, std::uint8_t* data,
                      Dword* cbData) override {
        return RegQueryValueExA(ToNative(key), valueName.c_str(), nullptr, reinterpret_cast<DWORD*>(type),
                                data, reinterpret_cast<DWORD*>(cbData));
    }

    // The data pointer goes through untouched: the platform looks at the byte after
    // the counted data of a string to decide whether to store a NUL the caller left out.
    Long SetValueEx(Hkey key, const std::string& valueName, Dword type, const std::uint8_t* data,
                    Dword cbData) override {
        return RegSetValueExA(ToNative(key), valueName.c_str(), 0, type, data, cbData);
    }

    Long DeleteValue(Hkey key, const std::string& valueName) override {
        return RegDeleteValueA(ToNative(key), valueName.c_str());
    }

    Long CloseKey(Hkey key) override { return RegCloseKey(ToNative(key)); }
};

}  // namespace

std::unique_ptr<IRegistry> MakeRegistry() {
    return std::make_unique<Win32Registry>();
}

}  // namespace zv::win32
