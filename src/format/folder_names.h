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

// A name Windows opens as a device, not as a file, in any folder: CON, PRN, AUX, NUL,
// COM0-COM9, LPT0-LPT9 (also with the superscript digits 1-3), CONIN$ and CONOUT$, in any
// case, with or without an extension, blanks before it, and trailing dots or blanks.
[[nodiscard]] bool IsDeviceName(const std::string& name);

// A character that no file or folder name can hold: a separator, one of : * ? " < > |, or
// a control character.
[[nodiscard]] bool IsUnsafeNameChar(char c);

// Registry texts become one folder level below their parent that Windows can create, never
// the parent itself or its parent: a name made only of dots (and blanks) gets its dots
// replaced by "_", a device name gets a "_" in front. The description goes through SafeDir
// first; in both, the characters no name can hold become spaces as SafeDir makes them. A
// class of blanks only is no folder level, as an empty one.
[[nodiscard]] std::string DescriptionFolderName(Env& env, const std::string& description);
[[nodiscard]] std::string ClassFolderName(const std::string& className);

// The folder the backup run gives a driver below its root: root\<class>\<description>,
// as Windows names it when created (trailing dots and blanks of each name dropped).
[[nodiscard]] std::string DriverFolderPath(Env& env, const std::string& root, const std::string& className,
                                           const std::string& description);

// A name from an INF file or the registry that stays inside the folder it is appended to
// and that Windows can use as a file name: not empty, no "\" or "/", no ":" (drive or
// stream), none of * ? " < > | or a control character, not made of dots and blanks only,
// and no device name (CON, NUL, COM1.sys and the like open the device, not a file).
[[nodiscard]] bool IsPlainName(const std::string& name);

}  // namespace zv
