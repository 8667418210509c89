#pragma once
// Small run-time rules the program relies on: 16-bit counters that overflow,
// numbers read from the front of a text, and Win32 failures as run-time errors.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/runtime_error.h"

namespace zv {

// A 16-bit signed counter: values outside -32768..32767 raise 6 Overflow.
[[nodiscard]] short ToInteger(long long value);

// The leading decimal number of a text: blanks, tabs and line breaks are ignored,
// "." is the decimal point whatever the locale, reading stops at the first
// character that cannot continue the number, 0 when there is none.
[[nodiscard]] double Val(const std::string& text);

// Raises the run-time error that stands for a Win32 error code: the program's own
// number where it has one (53, 75, 76, ...), else the negative HRESULT with the
// system's message text.
[[noreturn]] void RaiseWin32(ISystem& system, Dword win32Error);

[[nodiscard]] std::string ToLower(std::string text);
// The pieces between every separator, empty ones kept: one piece more than separators.
[[nodiscard]] std::vector<std::string> SplitText(const std::string& text, char separator);
[[nodiscard]] bool EqualsNoCase(const std::string& a, const std::string& b);
// The text without any of the blanks at either end. Spaces only unless asked: a queried
// header keeps its NUL padding, a name its tabs.
[[nodiscard]] std::string Trim(const std::string& text, const char* blanks = " ");

// Whether a dir$-style look-up finds a file of these attributes: it exists, is no folder and
// is not hidden; a system file is found only when system files are asked for.
// A REG_DWORD's data as signed decimal text, read little-endian from at most its first
// 4 bytes. Data cut short (a NUL cut may have taken a zero high byte off) counts the
// missing bytes as zero.
[[nodiscard]] std::string DwordText(const std::uint8_t* data, std::size_t size);
[[nodiscard]] inline std::string DwordText(const std::string& bytes) {
    return DwordText(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}
enum class SystemFiles { Skipped, Found };
[[nodiscard]] bool IsVisibleFile(Dword attributes, SystemFiles system = SystemFiles::Skipped);

}  // namespace zv
