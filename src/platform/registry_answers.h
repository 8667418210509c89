#pragma once
// How RegQueryValueExA and RegEnumValueA fill the caller's buffers from a value held as its
// type and bytes, for the seam's implementations over stored data (another Windows' hives,
// the tests' registry), as Wine was measured to. The checks of the handle and of the
// arguments come before and are the caller's.
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/types.h"

namespace zv {

[[nodiscard]] inline bool IsStringType(Dword type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

namespace detail {
// The bytes into a buffer of *cbData that holds them: a string stored without its NUL is
// terminated when there is room.
inline void CopyValueData(Dword storedType, const std::uint8_t* bytes, Dword size, std::uint8_t* data,
                          const Dword* cbData) {
    if (size) std::memcpy(data, bytes, size);
    if (IsStringType(storedType) && *cbData > size && size > 0 && bytes[size - 1] != 0) data[size] = 0;
}
}  // namespace detail

// RegQueryValueExA of a value found or not (data may be null to ask for type and size
// only; then cbData is not). A missing value clears the type, and the size of a size-only
// query, leaving a caller's buffer size alone; data that does not fit gives the size needed.
[[nodiscard]] inline Long QueryValueAnswer(bool found, Dword storedType, const std::uint8_t* bytes,
                                           Dword size, Dword* type, std::uint8_t* data, Dword* cbData) {
    if (!found) {
        if (type) *type = kRegNone;
        if (cbData && !data) *cbData = 0;
        return kErrorFileNotFound;
    }
    if (type) *type = storedType;
    if (data) {
        if (*cbData < size) {
            *cbData = size;
            return kErrorMoreData;
        }
        detail::CopyValueData(storedType, bytes, size, data, cbData);
    }
    if (cbData) *cbData = size;
    return kErrorSuccess;
}

// RegEnumValueA of one value. A name that does not fit comes back cut to the buffer, with
// the data size, its length left as it was; data that does not fit gives the type and the
// size needed, and nothing is written.
[[nodiscard]] inline Long EnumValueAnswer(const std::string& name, Dword storedType,
                                          const std::uint8_t* bytes, Dword size, char* valueName,
                                          Dword* cchValueName, Dword* type, std::uint8_t* data,
                                          Dword* cbData) {
    if (name.size() + 1 > *cchValueName) {
        if (*cchValueName > 0) {
            std::memcpy(valueName, name.data(), *cchValueName - 1);
            valueName[*cchValueName - 1] = 0;
        }
        if (cbData) *cbData = size;
        return kErrorMoreData;
    }
    if (data && cbData && *cbData < size) {
        if (type) *type = storedType;
        *cbData = size;
        return kErrorMoreData;
    }
    std::memcpy(valueName, name.c_str(), name.size() + 1);
    *cchValueName = static_cast<Dword>(name.size());
    if (type) *type = storedType;
    if (data && cbData) detail::CopyValueData(storedType, bytes, size, data, cbData);
    if (cbData) *cbData = size;
    return kErrorSuccess;
}

}  // namespace zv
