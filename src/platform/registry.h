#pragma once
// The registry calls the program makes, call for call with RegXxxA: status
// codes are the platform's, buffers and sizes are the caller's.
#include <cstdint>
#include <string>

#include "platform/types.h"

namespace zv {

class IRegistry {
public:
    virtual ~IRegistry() = default;
    virtual Long OpenKeyEx(Hkey root, const std::string& subKey, Dword options, Dword samDesired,
                           Hkey* result) = 0;
    virtual Long OpenKey(Hkey root, const std::string& subKey, Hkey* result) = 0;    // RegOpenKeyA
    virtual Long CreateKey(Hkey root, const std::string& subKey, Hkey* result) = 0;  // RegCreateKeyA
    // RegEnumKeyA: the name and its NUL into name[0..cchName); ERROR_MORE_DATA when it does not fit.
    virtual Long EnumKey(Hkey key, Dword index, char* name, Dword cchName) = 0;
    virtual Long EnumValue(Hkey key, Dword index, char* valueName, Dword* cchValueName, Dword* type,
                           std::uint8_t* data, Dword* cbData) = 0;
    // data may be null to ask for type and size only; type may be null.
    virtual Long QueryValueEx(Hkey key, const std::string& valueName, Dword* type, std::uint8_t* data,
                              Dword* cbData) = 0;
    virtual Long SetValueEx(Hkey key, const std::string& valueName, Dword type, const std::uint8_t* data,
                            Dword cbData) = 0;
    virtual Long DeleteValue(Hkey key, const std::string& valueName) = 0;
    virtual Long CloseKey(Hkey key) = 0;
};

}  // namespace zv
