#include "support/vbrt.h"

#include <cmath>
#include <cstdint>

namespace zv {

short ToInteger(long long value) {
    if (value < -32768 || value > 32767) Raise(kErrOverflow);
    return static_cast<short>(value);
}

double Val(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s += c;
    std::size_t i = 0;
    double sign = 1;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) sign = (s[i++] == '-') ? -1 : 1;
    double value = 0;
    bool any = false;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        value = value * 10 + (s[i++] - '0');
        any = true;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        double scale = 0.1;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            value += (s[i++] - '0') * scale;
            scale /= 10;
            any = true;
        }
    }
    if (!any) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        int expSign = 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) expSign = (s[j++] == '-') ? -1 : 1;
        int exponent = 0;
        bool digits = false;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9' && exponent < 400) {
            exponent = exponent * 10 + (s[j++] - '0');
            digits = true;
        }
        if (digits) value *= std::pow(10.0, expSign * exponent);
    }
    return sign * value;
}

void RaiseWin32(ISystem& system, Dword win32Error) {
    switch (static_cast<Long>(win32Error)) {
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

std::string ToLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool EqualsNoCase(const std::string& a, const std::string& b) { return ToLower(a) == ToLower(b); }

}  // namespace zv
