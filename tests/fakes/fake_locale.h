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
    bool Utf16ToAnsi(const std::u16string& text, std::string* ansi) override {
        ansi->clear();
        bool kept = true;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            // A surrogate pair is one character, and one "?".
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] < 0xE000)
                ++i;
            if (c >= 0x100) kept = false;
            *ansi += c < 0x100 ? static_cast<char>(c) : '?';
        }
        return kept;
    }
    bool Utf8ToAnsi(const std::string& text, std::string* ansi) override {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c < 0x80) {
                out += text[i];
                continue;
            }
            if ((c & 0xE0) != 0xC0 || c > 0xC3 || i + 1 >= text.size()) return false;
            const auto next = static_cast<unsigned char>(text[++i]);
            if ((next & 0xC0) != 0x80) return false;
            out += static_cast<char>(((c & 0x1F) << 6) | (next & 0x3F));
        }
        *ansi = out;
        return true;
    }
    LocalTime Now() override { return now; }

    LocalTime now{2026, 12, 8, 9, 5, 30};
};

}  // namespace zv::fakes
