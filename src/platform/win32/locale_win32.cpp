// The ANSI code page's texts as UTF-8, UTF-16 texts in it, and the local clock, over kernel32.
#include <windows.h>

#include <string>

#include "platform/win32/factories.h"

namespace zv::win32 {
namespace {

class Win32Locale final : public ILocale {
public:
    std::string AnsiToUtf8(const std::string& text) override {
        if (text.empty()) return {};
        const int n = static_cast<int>(text.size());
        const int wide = ::MultiByteToWideChar(CP_ACP, 0, text.data(), n, nullptr, 0);
        if (wide <= 0) return text;
        std::wstring w(static_cast<std::size_t>(wide), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), n, w.data(), wide);
        const int utf8 = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
        if (utf8 <= 0) return text;
        std::string out(static_cast<std::size_t>(utf8), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), utf8, nullptr, nullptr);
        return out;
    }

    std::string Utf16ToAnsi(const std::u16string& text) override {
        static_assert(sizeof(wchar_t) == sizeof(char16_t));
        if (text.empty()) return {};
        const auto* w = reinterpret_cast<const wchar_t*>(text.data());
        const int n = static_cast<int>(text.size());
        // Best fit would turn some characters into path separators or dots; an ANSI code
        // page of UTF-8 refuses the flag, and there every character is representable.
        DWORD flags = WC_NO_BEST_FIT_CHARS;
        int size = ::WideCharToMultiByte(CP_ACP, flags, w, n, nullptr, 0, nullptr, nullptr);
        if (size <= 0 && ::GetLastError() == ERROR_INVALID_FLAGS) {
            flags = 0;
            size = ::WideCharToMultiByte(CP_ACP, flags, w, n, nullptr, 0, nullptr, nullptr);
        }
        if (size <= 0) return {};
        std::string out(static_cast<std::size_t>(size), '\0');
        ::WideCharToMultiByte(CP_ACP, flags, w, n, out.data(), size, nullptr, nullptr);
        return out;
    }

    bool Utf8ToAnsi(const std::string& text, std::string* ansi) override {
        if (text.empty()) return ansi->clear(), true;
        const int n = static_cast<int>(text.size());
        const int wide = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), n, nullptr, 0);
        if (wide <= 0) return false;
        std::wstring w(static_cast<std::size_t>(wide), L'\0');
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), n, w.data(), wide);
        BOOL lossy = FALSE;
        const int size = ::WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, nullptr, &lossy);
        if (size <= 0 || lossy) return false;
        std::string out(static_cast<std::size_t>(size), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, w.data(), wide, out.data(), size, nullptr, &lossy);
        if (lossy) return false;
        *ansi = out;
        return true;
    }

    LocalTime Now() override {
        SYSTEMTIME t{};
        ::GetLocalTime(&t);
        return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    }
};

}  // namespace

std::unique_ptr<ILocale> MakeLocale() {
    return std::make_unique<Win32Locale>();
}

}  // namespace zv::win32
