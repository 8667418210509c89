#pragma once
// Text helpers for ANSI strings: ASCII letter case, splitting and trimming.
#include <string>
#include <vector>

namespace zv {

// Only A-Z change: the bytes of the ANSI code page above 127 are left as they are.
[[nodiscard]] std::string ToLower(std::string text);
[[nodiscard]] bool EqualsNoCase(const std::string& a, const std::string& b);
[[nodiscard]] bool EndsWithNoCase(const std::string& text, const std::string& tail);
// The pieces between every separator, empty ones kept: one piece more than separators.
[[nodiscard]] std::vector<std::string> SplitText(const std::string& text, char separator);
// The text without any of the blanks at either end. Spaces only unless asked: a queried
// header keeps its NUL padding, a name its tabs.
[[nodiscard]] std::string Trim(const std::string& text, const char* blanks = " ");

}  // namespace zv
