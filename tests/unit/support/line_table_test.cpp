// The line table the build generated holds, for every marked statement of the
// program's sources, that statement's own text, and nothing for other numbers.
#include "support/line_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace zv {
namespace {

std::map<int, std::string> MarkedLines() {
    std::map<int, std::string> marked;
    const std::regex mark(R"(\bLN\((\d+)\) ?)");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ZV_SOURCE_DIR "/src")) {
        const auto ext = entry.path().extension();
        if (ext != ".cpp" && ext != ".h") continue;
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            const auto comment = line.find("//");
            for (auto it = std::sregex_iterator(line.begin(), line.end(), mark); it != std::sregex_iterator(); ++it) {
                if (comment != std::string::npos && static_cast<std::size_t>(it->position()) > comment) continue;
                if (line.find("#define") != std::string::npos) continue;
                marked[std::stoi((*it)[1])] = line;
            }
        }
    }
    return marked;
}

TEST(LineTableTest, EveryMarkedStatementHasItsOwnTextAndOthersAreEmpty) {
    const auto marked = MarkedLines();
    ASSERT_GT(marked.size(), 300u);  // the scan found the sources
    EXPECT_STREQ(kLineTable[0], "");
    for (int n = 1; n < kLineTableSize; ++n) {
        const auto it = marked.find(n);
        if (it == marked.end()) {
            EXPECT_STREQ(kLineTable[n], "") << n;
            continue;
        }
        const std::string text = kLineTable[n];
        EXPECT_FALSE(text.empty()) << n;
        EXPECT_NE(it->second.find("LN(" + std::to_string(n) + ") " + text), std::string::npos)
            << n << ": table has \"" << text << "\", source line is \"" << it->second << "\"";
    }
}

}  // namespace
}  // namespace zv
