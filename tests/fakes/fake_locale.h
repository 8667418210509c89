#pragma once
// The ANSI code page as Windows-1252's Latin-1 part, and a clock that stands still.
#include <string>

#include "platform/locale.h"

namespace zv::fakes {

class FakeLocale : public ILocale {
public:
    std::string AnsiToUtf8(const std::string& text) override {
        std::string out;
        for (char ch : text) {
            const auto c = static_cast<unsigned char>(ch);
            if (c < 0x80) {
                out += ch;
            } else {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return out;
    }
    LocalTime Now() override { return now; }

    LocalTime now{2026, 12, 8, 9, 5, 30};
};

}  // namespace zv::fakes
