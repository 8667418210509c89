// The line table the build generated holds, for every marked statement of the
// program's sources, that statement's whole text as it reads on one line, and
// nothing for other numbers. The sources are read here without the generator's
// rules, so a fault in how it finds a statement's end shows.
#include "support/line_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace zv {
namespace {

struct Marked {
    std::string file;
    std::string line;  // the source line that holds the marker
};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The text with comments blanked out (newlines kept), literals left as they are.
std::string WithoutComments(const std::string& text) {
    std::string out = text;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '"' || out[i] == '\'') {
            const char quote = out[i];
            for (++i; i < out.size() && out[i] != quote && out[i] != '\n'; ++i) {
                if (out[i] == '\\') ++i;
            }
        } else if (out.compare(i, 2, "//") == 0) {
            for (; i < out.size() && out[i] != '\n'; ++i) out[i] = ' ';
        } else if (out.compare(i, 2, "/*") == 0) {
            const std::size_t end = std::min(out.find("*/", i + 2), out.size() - 2) + 2;
            for (; i < end; ++i) {
                if (out[i] != '\n') out[i] = ' ';
            }
            --i;
        }
    }
    return out;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Blank runs to one space, and none just inside brackets, so a statement reads
// the same however it is wrapped.
std::string Collapsed(const std::string& text) {
    std::string out;
    bool blank = false;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            blank = true;
            continue;
        }
        const bool closing = c == ')' || c == ']';
        const bool afterOpening = !out.empty() && (out.back() == '(' || out.back() == '[');
        if (blank && !out.empty() && !closing && !afterOpening) out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

std::vector<std::filesystem::path> Sources() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ZV_SOURCE_DIR "/src")) {
        const auto ext = entry.path().extension();
        if (ext == ".cpp" || ext == ".h") files.push_back(entry.path());
    }
    return files;
}

std::map<int, Marked> MarkedLines() {
    std::map<int, Marked> marked;
    const std::regex mark(R"(\bLN\((\d+)\))");
    for (const auto& path : Sources()) {
        const std::string text = ReadFile(path);
        const auto code = Lines(WithoutComments(text));
        const auto lines = Lines(text);
        for (std::size_t i = 0; i < code.size(); ++i) {
            if (code[i].find("#define") != std::string::npos) continue;
            for (auto it = std::sregex_iterator(code[i].begin(), code[i].end(), mark);
                 it != std::sregex_iterator(); ++it) {
                marked[std::stoi((*it)[1])] = {path.string(), lines[i]};
            }
        }
    }
    return marked;
}

// The statement's text without a trailing // comment.
std::string CodeOf(const std::string& entry) {
    bool inLiteral = false;
    char quote = 0;
    for (std::size_t i = 0; i < entry.size(); ++i) {
        const char c = entry[i];
        if (inLiteral) {
            if (c == '\\')
                ++i;
            else if (c == quote)
                inLiteral = false;
        } else if (c == '"' || c == '\'') {
            inLiteral = true;
            quote = c;
        } else if (entry.compare(i, 2, "//") == 0) {
            return Collapsed(entry.substr(0, i));
        }
    }
    return Collapsed(entry);
}

TEST(LineTableTest, EveryMarkedStatementHasItsOwnTextAndOthersAreEmpty) {
    const auto marked = MarkedLines();
    ASSERT_GT(marked.size(), 300u);  // the scan found the sources
    EXPECT_STREQ(kLineTable[0], "");
    std::map<std::string, std::string> collapsedFiles;
    for (int n = 1; n < kLineTableSize; ++n) {
        const auto it = marked.find(n);
        if (it == marked.end()) {
            EXPECT_STREQ(kLineTable[n], "") << n;
            continue;
        }
        const std::string text = kLineTable[n];
        const std::string marker = "LN(" + std::to_string(n) + ")";
        EXPECT_FALSE(text.empty()) << n;
        if (text.empty()) continue;
        if (it->second.line.find(marker + " " + text) != std::string::npos) continue;  // all on its line
        // A wrapped statement: whole, and as its lines read when put together.
        auto& file = collapsedFiles[it->second.file];
        if (file.empty()) file = Collapsed(WithoutComments(ReadFile(it->second.file)));
        EXPECT_NE(file.find(Collapsed(marker + " " + CodeOf(text))), std::string::npos)
            << n << ": table has \"" << text << "\", source line is \"" << it->second.line << "\"";
    }
}

TEST(LineTableTest, EveryEntryEndsWhereItsStatementEnds) {
    // A statement ends at its ';', at the '{' of the block it opens or at the '}'
    // that closes one; an entry that stops elsewhere was cut short.
    for (int n = 1; n < kLineTableSize; ++n) {
        const std::string code = CodeOf(kLineTable[n]);
        if (std::string(kLineTable[n]).empty()) continue;
        ASSERT_FALSE(code.empty()) << n;
        EXPECT_TRUE(code.back() == ';' || code.back() == '{' || code.back() == '}')
            << n << ": \"" << kLineTable[n] << "\"";
    }
}

TEST(LineTableTest, EntriesReadAsTheStatementsDoOnOneLine) {
    // Written out by hand from the sources, across the modules; the long ones are
    // those the formatter wraps.
    const std::map<int, std::string> expected = {
        {6, "if (lResult != kErrorSuccess) {"},
        {19, "} while (lResult == kErrorSuccess);"},
        {96,
         "result = buffer.substr(0, env.os.profile.GetPrivateProfileString(section, ToLower(key), "
         "defaultValue, buffer.data(), kValueBuffer, file));"},
        {167, "s = f.windows.substr(0, 3); break;"},
        {174, "s = \"\"; break;  // viewer folder"},
        {207, "}"},
        {221,
         "ui.MessageBox(\"Please be aware that some providers require you to use their own driver install "
         "package.\", \"Install\", kMbIconInformation);"},
        {298, "continue;  // loop end"},
        {341,
         "hInternetConnect = m_env.os.internet.InternetConnect(hInternetSession, UrlServer, "
         "kInternetDefaultHttpPort, nullptr, nullptr, kInternetServiceHttp, 0, 0);"},
        {413,
         "lResult = reg.QueryValueEx(hKey, strValueName, &scratchType, "
         "reinterpret_cast<std::uint8_t*>(strBuf.data()), &lDataBufSize);"},
        {567,
         "env.app.UpdateURL = std::string(\"http://\") + kUpdateHost + \"/AppVersions/\" + env.app.Appname + "
         "\"Version.txt\";"},
        {576,
         "state.MsgboxRes = env.os.ui.MessageBox(\"New version is available at: \" + state.DataArray.at(1) + "
         "\". Do you wish to go there now?\", \"New Version\", kMbYesNoCancel | kMbIconInformation);"},
        {658, "StartSysInfo();"},
        {669,
         "rc = registry.QueryValueEx(hKey.get(), SubKeyRef, &KeyValType, "
         "reinterpret_cast<std::uint8_t*>(tmpVal.data()), &KeyValSize);"},
    };
    for (const auto& [n, text] : expected) EXPECT_EQ(kLineTable[n], text) << n;
}

}  // namespace
}  // namespace zv
