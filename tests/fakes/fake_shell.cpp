#include "fakes/fake_shell.h"

namespace zv::fakes {

std::intptr_t FakeShell::ShellExecute(Hwnd parent, const std::string& verb, const std::string& file,
                                      const std::string& parameters, const std::string& directory,
                                      int showCommand) {
    executed.push_back({parent, verb, file, parameters, directory, showCommand});
    return executeResult;
}

std::optional<std::string> FakeShell::BrowseForFolder(Hwnd owner, const std::string& title, Dword options) {
    browsed.push_back({owner, title, options});
    if (m_folders.empty()) return std::nullopt;
    auto folder = m_folders.front();
    m_folders.pop_front();
    return folder;
}

}  // namespace zv::fakes
