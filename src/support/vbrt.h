#pragma once
// The old run-time's rules that the numbered procedures are written to: 16-bit counters
// that overflow, numbers read from the front of a text, Win32 failures as its run-time
// errors, dir$-style look-ups and registry numbers as text. Other code has no use for them.
#include <cstddef>
#include <cstdint>
#include <string>

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

// A REG_DWORD's data as signed decimal text, read little-endian from at most its first
// 4 bytes. Data cut short (a NUL cut may have taken a zero high byte off) counts the
// missing bytes as zero.
[[nodiscard]] std::string DwordText(const std::uint8_t* data, std::size_t size);
[[nodiscard]] inline std::string DwordText(const std::string& bytes) {
    return DwordText(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}
// Whether a dir$-style look-up finds a file of these attributes: it exists, is no folder and
// is not hidden; a system file is found only when system files are asked for.
enum class SystemFiles { Skipped, Found };
[[nodiscard]] bool IsVisibleFile(Dword attributes, SystemFiles system = SystemFiles::Skipped);

}  // namespace zv
