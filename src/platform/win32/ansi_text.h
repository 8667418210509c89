#pragma once
// Text between UTF-16 and the ANSI code page that the "A" calls take: the one conversion
// the program makes, so that no path, folder or argument is rewritten into a look-alike.
#include <string>
#include <string_view>

namespace zv::win32 {

// The text in the ANSI code page. False when it would not come back unchanged: a character
// the code page lacks, or one Windows' best fit would turn into a look-alike (a full-width
// "\" into "\", a full-width quote into a quote, "Ł" into "L"). *ansi then holds the code
// page's default character in its place, fit for display only, never for a path.
[[nodiscard]] bool AnsiFromWide(std::wstring_view text, std::string* ansi);

// ANSI code-page text as UTF-16; "" when the bytes are not text of the code page.
[[nodiscard]] std::wstring WideFromAnsi(std::string_view text);

}  // namespace zv::win32
