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
    // UTF-16 text (a Unicode file's) in the ANSI code page; a character the code page
    // cannot hold becomes "?", never a look-alike ("\" for a full-width backslash).
    virtual std::string Utf16ToAnsi(const std::u16string& text) = 0;
    // A UTF-8 text in the ANSI code page; false when it is not valid UTF-8 or holds a
    // character the code page lacks (a name that could not be a file's on this system).
    virtual bool Utf8ToAnsi(const std::string& text, std::string* ansi) = 0;
    virtual LocalTime Now() = 0;
};

}  // namespace zv
