#pragma once
// The machine's text code page and its clock.
#include <string>

namespace zv {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class ILocale {
public:
    virtual ~ILocale() = default;
    // A text of the ANSI code page (what the "A" calls give) as UTF-8.
    virtual std::string AnsiToUtf8(const std::string& text) = 0;
    // UTF-16 text (a Unicode file's, an argument, a chosen folder) in the ANSI code page.
    // False when it does not survive the trip back unchanged; *ansi then holds "?" (the code
    // page's default) for each character lost, for display only, never a look-alike ("\"
    // for a full-width backslash).
    [[nodiscard]] virtual bool Utf16ToAnsi(const std::u16string& text, std::string* ansi) = 0;
    // A UTF-8 text in the ANSI code page, by the same rule; false also when it is not valid
    // UTF-8 (a name that could not be a file's on this system). *ansi is left alone then.
    virtual bool Utf8ToAnsi(const std::string& text, std::string* ansi) = 0;
    virtual LocalTime Now() = 0;
};

}  // namespace zv
