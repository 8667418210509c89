#pragma once
// One field of a CSV file, quoted as RFC 4180 says.
#include <string>
#include <vector>

namespace zv {

// Whether a field with a blank at its start or end is quoted as well. The backup report
// quotes it, for readers that trim unquoted fields; the restore report and the driver list
// keep to RFC 4180's minimum, and each file keeps the bytes it has always had.
enum class EdgeBlanks { Bare, Quoted };

// The field as it stands, or quoted with its quotes doubled when it holds a comma, a quote
// or a line break (or, with EdgeBlanks::Quoted, a leading or trailing blank).
[[nodiscard]] std::string CsvField(const std::string& text, EdgeBlanks edges);

// The rows of a CSV text as RFC 4180 reads them: quoted fields may hold commas, doubled
// quotes and line breaks; lines end in CR LF or LF; a last line without an end counts.
[[nodiscard]] std::vector<std::vector<std::string>> CsvRows(const std::string& text);

}  // namespace zv
