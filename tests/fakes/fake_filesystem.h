#pragma once
// An in-memory file system with Windows rules: drive letters, "\" (and "/") as
// separators, case-insensitive names that keep the case they were created with,
// "." and ".." resolved and trailing dots and blanks dropped as Win32 path
// normalisation does, attributes (hidden, system, read-only, directory), and
// the platform's error codes. Switches force failures on a path; every call
// through the seam is logged. Optionally it emulates WOW64 redirection of the
// system folder for a 32-bit process.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/filesystem.h"

namespace zv::fakes {

class FakeFileSystem : public IFileSystem {
public:
    FakeFileSystem();

    Dword GetLastError() const override { return m_lastError; }
    Dword GetFileAttributes(const std::string& path) override;
    bool GetFileSize(const std::string& path, std::uint64_t* size) override;
    bool FindFiles(const std::string& pattern, std::vector<FindEntry>* entries) override;
    bool CreateDirectory(const std::string& path) override;
    bool CopyFile(const std::string& existing, const std::string& newFile, bool failIfExists) override;
    bool DeleteFile(const std::string& path) override;
    bool SetFileAttributes(const std::string& path, Dword attributes) override;
    Hfile OpenForWrite(const std::string& path) override;
    bool WriteFile(Hfile file, const void* data, Dword size, Dword* written) override;
    bool CloseFile(Hfile file) override;
    bool DisableFsRedirection(std::uintptr_t* oldValue) override;
    bool RevertFsRedirection(std::uintptr_t oldValue) override;

    // Test set-up, outside the seam. Parents are created as needed.
    void addDrive(char letter);
    void addFolder(const std::string& path, Dword attributes = kFileAttributeDirectory);
    void addFile(const std::string& path, const std::string& bytes, Dword attributes = kFileAttributeArchive);
    void setAttributes(const std::string& path, Dword attributes);

    // Inspection, resolved as a call through the seam would resolve the path.
    [[nodiscard]] bool exists(const std::string& path) const;
    [[nodiscard]] bool isFolder(const std::string& path) const;
    [[nodiscard]] std::optional<std::string> contents(const std::string& path) const;
    // Files opened for writing and not closed yet.
    [[nodiscard]] std::size_t openFiles() const { return m_open.size(); }
    // Every file and folder below a folder, as paths relative to it ("a\b.txt"; folders end in "\"),
    // sorted without regard to case.
    [[nodiscard]] std::vector<std::string> tree(const std::string& folder) const;

    // Makes the named call fail with error on that path ("*" for any call). For CopyFile
    // the path matches the source or the destination.
    void failOn(const std::string& call, const std::string& path, Dword error);

    // Emulates a 32-bit process on 64-bit Windows: paths below system32 reach sysWow64
    // unless redirection is off (catroot, catroot2, drivers\etc, logfiles and spool are exempt).
    void emulateWow64(const std::string& system32, const std::string& sysWow64);
    [[nodiscard]] bool redirectionOff() const { return m_redirectionOff; }

    // Relative paths and paths starting with "\" resolve against this.
    std::string currentDirectory = "C:\\";
    // "GetFileAttributes C:\x", "CopyFile C:\a > C:\b", ...: the paths as the caller gave them.
    std::vector<std::string> log;
    // File-system calls made while WOW64 redirection was in force (only counted when emulated).
    int callsWhileRedirected = 0;

private:
    struct Node {
        std::string path;  // full path with the case it was created with
        Dword attributes = kFileAttributeDirectory;
        std::string data;
    };
    struct Open {
        std::string key;
        std::size_t position = 0;
    };

    // Normalised full path, or nothing with the error the platform gives.
    std::optional<std::string> resolve(const std::string& path, Dword* error) const;
    static std::string keyOf(const std::string& fullPath);
    static std::string parentOf(const std::string& fullPath);
    const Node* find(const std::string& fullPath) const;
    Node* find(const std::string& fullPath);
    bool forced(const std::string& call, const std::string& fullPath);
    bool fail(Dword error);
    void ensureFolders(const std::string& fullPath);
    // Error for a path that does not exist: 2 when its parent folder exists, else 3.
    Dword missingError(const std::string& fullPath) const;
    void note(const std::string& call, const std::string& what);

    std::map<std::string, Node> m_nodes;  // keyed by the upper-cased full path
    std::map<Hfile, Open> m_open;
    struct Failure {
        std::string call;
        std::string key;
        Dword error;
    };
    std::vector<Failure> m_failures;
    Dword m_lastError = 0;
    Hfile m_nextHandle = Hfile{0x100};
    std::string m_system32Key, m_sysWow64;
    bool m_redirectionOff = false;
};

}  // namespace zv::fakes
