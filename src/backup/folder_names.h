#pragma once
// INF destination-directory ids as folders, and driver descriptions as folder names.
#include <string>

#include "support/env.h"

namespace zv {

// The folders WhereIsDir resolves against: no trailing separator on the first two,
// the INF folder with its trailing "\" as the backup run forms it.
struct WindowsFolders {
    std::string windows;
    std::string system;
    std::string inf;
};

// The folder for a "DefaultDestDir" id, compared as exact text; empty for any other id.
[[nodiscard]] std::string WhereIsDir(Env& env, const std::string& id, const WindowsFolders& folders);

// The text with each of \ / * : ; ? > < | replaced by a space; same length.
[[nodiscard]] std::string SafeDir(Env& env, const std::string& text);

// Registry texts become one folder level below their parent, never the parent itself or
// its parent: a name made only of dots (and blanks) gets its dots replaced by "_".
// The description goes through SafeDir first; a class only loses its separators, which
// become spaces as SafeDir makes them.
[[nodiscard]] std::string DescriptionFolderName(Env& env, const std::string& description);
[[nodiscard]] std::string ClassFolderName(const std::string& className);

// The folder the backup run gives a driver below its root: root\<class>\<description>,
// as Windows names it when created (trailing dots and blanks of each name dropped).
[[nodiscard]] std::string DriverFolderPath(Env& env, const std::string& root, const std::string& className,
                                           const std::string& description);

}  // namespace zv
