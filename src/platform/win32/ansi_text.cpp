#include "platform/win32/ansi_text.h"

#include <windows.h>

namespace zv::win32 {

bool AnsiFromWide(std::wstring_view text, std::string* ansi) {
    ansi->clear();
    if (text.empty()) return true;
    const int n = static_cast<int>(text.size());
    // Without WC_NO_BEST_FIT_CHARS Windows maps what the code page lacks to a look-alike and
    // does not even report it as defaulted. A UTF-8 ANSI code page (a Windows 10 option)
    // refuses the flag and the used-default pointer; the round trip still catches there what
    // it cannot hold (a lone surrogate).
    const bool utf8 = ::GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = utf8 ? nullptr : &usedDefault;
    const int size = ::WideCharToMultiByte(CP_ACP, flags, text.data(), n, nullptr, 0, nullptr, used);
    if (size <= 0) return false;
    ansi->resize(static_cast<std::size_t>(size));
    usedDefault = FALSE;
    if (::WideCharToMultiByte(CP_ACP, flags, text.data(), n, ansi->data(), size, nullptr, used) != size) {
        ansi->clear();
        return false;
    }
    // The default flag misses characters that some code pages map one way only.
    return !usedDefault && WideFromAnsi(*ansi) == text;
}

std::wstring WideFromAnsi(std::string_view text) {
    if (text.empty()) return {};
    const int n = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), n, nullptr, 0);
    if (size <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), n, wide.data(), size);
    return wide;
}

}  // namespace zv::win32
