#pragma once
// What the command line needs of the process it runs in: its command line, the
// console (or file, or pipe) it was started with, and full path names.
#include <string>

namespace zv {

enum class ConsoleStream { Out, Err };

class IConsole {
public:
    virtual ~IConsole() = default;
    // GetCommandLineW: the whole line, program name included, as the process got it. Wide,
    // since GetCommandLineA is its best-fit form: a full-width quote there is a quote.
    [[nodiscard]] virtual std::u16string CommandLine() = 0;
    // Writes ANSI text to standard output or standard error. False when there is
    // nowhere to write (no console, no redirection) or the write failed.
    virtual bool Write(ConsoleStream stream, const std::string& text) = 0;
    // GetFullPathName: a relative path resolved against the current folder; "" on failure,
    // and when the result does not fit the ANSI code page unchanged.
    [[nodiscard]] virtual std::string FullPathName(const std::string& path) = 0;
};

}  // namespace zv
