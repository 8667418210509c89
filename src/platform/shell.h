#pragma once
// The shell: opening a document or address, and the folder browser.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/types.h"

namespace zv {

class IShell {
public:
    virtual ~IShell() = default;
    // ShellExecuteA; the result above 32 means success.
    virtual std::intptr_t ShellExecute(Hwnd parent, const std::string& verb, const std::string& file,
                                       const std::string& parameters, const std::string& directory,
                                       int showCommand) = 0;
    // The shell automation object's BrowseForFolder, no root folder; the chosen folder's
    // own item path (Items, Item, Path), or nothing when the user cancels. A folder the ANSI
    // code page cannot hold unchanged is refused with a box that names it, and gives nothing.
    virtual std::optional<std::string> BrowseForFolder(Hwnd owner, const std::string& title,
                                                       Dword options) = 0;
};

}  // namespace zv
