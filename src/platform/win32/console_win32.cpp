// The command line's console: Zorvane.exe is a GUI program, so it gets no console of
// its own. Output goes to the standard handles it was started with when they are a
// file or a pipe (cmd's ">", a script's pipe, Wine started from a Unix shell), else to
// the console of the program that started it.
#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/ansi_text.h"
#include "platform/win32/factories.h"

namespace zv::win32 {
namespace {

bool Usable(HANDLE h) {
    return h && h != INVALID_HANDLE_VALUE && ::GetFileType(h) != FILE_TYPE_UNKNOWN;
}

class Win32Console final : public IConsole {
public:
    std::u16string CommandLine() override {
        static_assert(sizeof(wchar_t) == sizeof(char16_t));
        const wchar_t* line = ::GetCommandLineW();
        return line ? std::u16string(reinterpret_cast<const char16_t*>(line)) : u"";
    }

    bool Write(ConsoleStream stream, const std::string& text) override {
        HANDLE h = handle(stream);
        if (!h) return false;
        DWORD mode = 0;
        if (::GetConsoleMode(h, &mode)) {
            // A console shows its own code page (OEM), not the ANSI one the text is in.
            const std::wstring wide = WideFromAnsi(text);
            DWORD written = 0;
            return ::WriteConsoleW(h, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr) !=
                   FALSE;
        }
        DWORD written = 0;
        return ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
               written == text.size();
    }

    // Wide: a relative path takes the current folder's name, which GetFullPathNameA would
    // give in its best-fit form.
    std::string FullPathName(const std::string& path) override {
        wchar_t buffer[MAX_PATH * 2] = {};
        wchar_t* file = nullptr;
        const DWORD n = ::GetFullPathNameW(WideFromAnsi(path).c_str(), MAX_PATH * 2, buffer, &file);
        std::string full;
        if (n == 0 || n >= MAX_PATH * 2 || !AnsiFromWide(std::wstring_view(buffer, n), &full)) return "";
        return full;
    }

private:
    HANDLE handle(ConsoleStream stream) {
        const DWORD id = stream == ConsoleStream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
        HANDLE& cached = stream == ConsoleStream::Out ? m_out : m_err;
        if (cached) return cached;
        if (HANDLE h = ::GetStdHandle(id); Usable(h)) return cached = h;
        // Started from a console without redirection: a GUI program's standard handles
        // are empty, so it attaches to its parent's console and opens the screen buffer.
        // Under Wine the handles are usable already and the attach fails harmlessly.
        if (!m_attachTried) {
            m_attachTried = true;
            m_attached = ::AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
        }
        if (!m_attached) return nullptr;
        if (HANDLE h = ::GetStdHandle(id); Usable(h)) return cached = h;
        HANDLE h = ::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
        return cached = (h == INVALID_HANDLE_VALUE ? nullptr : h);
    }

    HANDLE m_out = nullptr;
    HANDLE m_err = nullptr;
    bool m_attachTried = false;
    bool m_attached = false;
};

}  // namespace

std::unique_ptr<IConsole> MakeConsole() {
    return std::make_unique<Win32Console>();
}

}  // namespace zv::win32
