// The ANSI code page's texts as UTF-8, UTF-16 texts in it, and the local clock, over kernel32.
#include <windows.h>

#include <string>

#include "platform/win32/ansi_text.h"
#include "platform/win32/factories.h"

namespace zv::win32 {
namespace {

// UTF-8 text as UTF-16; false when it is not valid UTF-8.
bool WideFromUtf8(const std::string& text, std::wstring* wide) {
    wide->clear();
    if (text.empty()) return true;
    const int n = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), n, nullptr, 0);
    if (size <= 0) return false;
    wide->resize(static_cast<std::size_t>(size));
    return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), n, wide->data(), size) == size;
}

class Win32Locale final : public ILocale {
public:
    std::string AnsiToUtf8(const std::string& text) override {
        if (text.empty()) return {};
        const std::wstring w = WideFromAnsi(text);
        if (w.empty()) return text;
        const int wide = static_cast<int>(w.size());
        const int utf8 = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
        if (utf8 <= 0) return text;
        std::string out(static_cast<std::size_t>(utf8), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), utf8, nullptr, nullptr);
        return out;
    }

    bool Utf16ToAnsi(const std::u16string& text, std::string* ansi) override {
        static_assert(sizeof(wchar_t) == sizeof(char16_t));
        return AnsiFromWide(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()),
                            ansi);
    }

    bool Utf8ToAnsi(const std::string& text, std::string* ansi) override {
        std::wstring w;
        std::string out;
        if (!WideFromUtf8(text, &w) || !AnsiFromWide(w, &out)) return false;
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
