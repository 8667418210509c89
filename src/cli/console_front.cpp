#include "cli/console_front.h"

namespace zv::cli {

int ConsoleUi::MessageBox(const std::string& text, const std::string& title, Dword style) {
    std::string line = text;
    if (title == "Error") {
        // The window asks whether to stop on this error again; a script is never asked.
        const std::string question = "\r\nDo you wish to pause on this error again?";
        if (line.size() >= question.size() &&
            line.compare(line.size() - question.size(), question.size(), question) == 0)
            line.resize(line.size() - question.size());
        (void)m_console.Write(ConsoleStream::Err, "Error:\r\n" + line + "\r\n");
    } else {
        (void)m_console.Write(ConsoleStream::Out, line + "\r\n");
    }
    const Dword buttons = style & 0xF;
    return buttons == kMbOk ? kIdOk : kIdYes;
}

}  // namespace zv::cli
