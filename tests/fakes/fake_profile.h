#pragma once
// Profile-file (INI) reads over the fake file system, answering as the platform
// does: section and key names without regard to case, only the first section of
// a name, entries in file order, blanks around names and values trimmed, one
// pair of matching quotes stripped by the string read (not by the section read),
// ';' lines left out of the section read, the platform's truncation, and UTF-16
// or UTF-8 files with a BOM read as ANSI text.
#include <string>
#include <utility>

#include "fakes/fake_filesystem.h"
#include "platform/profile.h"

namespace zv::fakes {

class FakeProfile : public IProfile {
public:
    // A bare file name is looked for in windowsFolder, as the platform does.
    explicit FakeProfile(FakeFileSystem& files, std::string windowsFolder = "C:\\WINDOWS")
        : m_files(files), m_windowsFolder(std::move(windowsFolder)) {}

    Dword GetPrivateProfileString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue, char* buffer, Dword size,
                                  const std::string& fileName) override;
    Dword GetPrivateProfileSection(const std::string& section, char* buffer, Dword size,
                                   const std::string& fileName) override;

    int reads = 0;

private:
    FakeFileSystem& m_files;
    std::string m_windowsFolder;
};

// The file's text as the platform reads it: a UTF-16 or UTF-8 file with a BOM is
// converted to the ANSI code page (1252), characters it cannot hold becoming "?".
[[nodiscard]] std::string ProfileTextAsAnsi(const std::string& bytes);

}  // namespace zv::fakes
