#include "support/vbrt.h"

#include <charconv>
#include <cstdint>
#include <system_error>

namespace zv {

short ToInteger(long long value) {
    if (value < -32768 || value > 32767) Raise(kErrOverflow);
    return static_cast<short>(value);
}

double Val(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s += c;
    // Take the longest leading number, then convert it in one step: from_chars rounds
    // correctly and ignores the locale, so equal texts give equal values.
    std::string number;
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') number += s[i++];
        return i - from;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') number += '-';
        ++i;
    }
    std::size_t count = digits();
    if (i < s.size() && s[i] == '.') {
        number += '.';
        ++i;
        count += digits();
    }
    if (count == 0) return 0;
    if (i + 1 < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
        const std::size_t at = j;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') exponent += s[j++];
        if (j > at) number += exponent;
    }
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) Raise(kErrOverflow);
    return value;
}

void RaiseWin32(ISystem& system, Dword win32Error) {
    switch (win32Error) {
        case kErrorFileNotFound: Raise(kErrFileNotFound);
        case kErrorPathNotFound: Raise(kErrPathNotFound);
        case kErrorAccessDenied:
        case kErrorAlreadyExists:
        case kErrorFileExists: Raise(kErrPathFileAccess);
        case kErrorSharingViolation: Raise(kErrPermissionDenied);
        case kErrorInvalidName: Raise(kErrBadFileName);
        case kErrorNotReady: Raise(kErrDiskNotReady);
        case kErrorDiskFull: Raise(kErrDiskFull);
        default: break;
    }
    const auto hresult = static_cast<Long>(0x80070000u | (win32Error & 0xFFFFu));
    throw RuntimeError(hresult, system.ErrorText(win32Error));
}

std::string DwordText(const std::uint8_t* data, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size && i < 4; ++i) value |= std::uint32_t{data[i]} << (8 * i);
    return std::to_string(static_cast<std::int32_t>(value));
}

bool IsVisibleFile(Dword attributes, SystemFiles system) {
    Dword hiding = kFileAttributeDirectory | kFileAttributeHidden;
    if (system == SystemFiles::Skipped) hiding |= kFileAttributeSystem;
    return attributes != kInvalidFileAttributes && (attributes & hiding) == 0;
}

}  // namespace zv
