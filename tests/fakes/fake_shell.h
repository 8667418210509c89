#pragma once
// ShellExecute recorded; the folder browser answers from a script.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace zv::fakes {

class FakeShell : public IShell {
public:
    std::intptr_t ShellExecute(Hwnd parent, const std::string& verb, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               int showCommand) override;
    std::optional<std::string> BrowseForFolder(Hwnd owner, const std::string& title, Dword options) override;

    struct Executed {
        Hwnd parent;
        std::string verb, file, parameters, directory;
        int showCommand;
    };
    std::vector<Executed> executed;
    std::intptr_t executeResult = 42;

    // Chosen folders for the next browser calls; nullopt is a cancel. Empty queue: cancel.
    void queueFolder(std::optional<std::string> folder) { m_folders.push_back(std::move(folder)); }
    struct Browsed {
        Hwnd owner;
        std::string title;
        Dword options;
    };
    std::vector<Browsed> browsed;

private:
    std::deque<std::optional<std::string>> m_folders;
};

}  // namespace zv::fakes
