#include "support/csv.h"

namespace zv {

std::string CsvField(const std::string& text, EdgeBlanks edges) {
    const bool edgeBlank = !text.empty() && (text.front() == ' ' || text.back() == ' ');
    const bool quote =
        text.find_first_of(",\"\r\n") != std::string::npos || (edges == EdgeBlanks::Quoted && edgeBlank);
    if (!quote) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

}  // namespace zv
