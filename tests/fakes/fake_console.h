#pragma once
// A console that keeps what was written to each stream, and a scripted command line.
#include <string>

#include "platform/console.h"

namespace zv::fakes {

class FakeConsole : public IConsole {
public:
    // commandLine's bytes are characters of the fake code page (Latin-1).
    std::u16string CommandLine() override {
        std::u16string line;
        for (const char c : commandLine) line += static_cast<char16_t>(static_cast<unsigned char>(c));
        return line;
    }
    bool Write(ConsoleStream stream, const std::string& text) override {
        (stream == ConsoleStream::Out ? out : err) += text;
        return writable;
    }
    // Relative paths resolve against currentFolder; "\\?bad" style names are refused.
    std::string FullPathName(const std::string& path) override {
        if (path.find_first_of("<>|*?") != std::string::npos) return "";
        if (path.size() >= 2 && path[1] == ':') return path;
        return currentFolder + "\\" + path;
    }

    std::string commandLine = "Zorvane.exe";
    std::string currentFolder = "C:\\Work";
    std::string out, err;
    bool writable = true;
};

}  // namespace zv::fakes
