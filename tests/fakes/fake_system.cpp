#include "fakes/fake_system.h"

#include <algorithm>
#include <cstring>

#include "support/text.h"

namespace zv::fakes {
namespace {

// GetWindowsDirectoryA: the length without NUL when it fits, else the size needed with the NUL.
Dword CopyFolder(const std::string& folder, char* buffer, Dword size, bool fail) {
    if (fail) return 0;
    if (folder.size() + 1 > size) return static_cast<Dword>(folder.size() + 1);
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return static_cast<Dword>(folder.size());
}

}  // namespace

Dword FakeSystem::GetWindowsDirectory(char* buffer, Dword size) {
    return CopyFolder(windowsDirectory, buffer, size, failFolderCalls);
}

Dword FakeSystem::GetSystemDirectory(char* buffer, Dword size) {
    return CopyFolder(systemDirectory, buffer, size, failFolderCalls);
}

Dword FakeSystem::ExpandEnvironmentStrings(const std::string& source, char* destination, Dword size) {
    std::string out;
    for (std::size_t i = 0; i < source.size();) {
        const std::size_t close = source[i] == '%' ? source.find('%', i + 1) : std::string::npos;
        if (close != std::string::npos) {
            std::string name = source.substr(i + 1, close - i - 1);
            for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            auto it = environment.find(name);
            if (it != environment.end()) {
                out += it->second;
                i = close + 1;
                continue;
            }
        }
        out += source[i++];
    }
    // Like the platform: the count includes the NUL; nothing is written when it does not fit.
    const auto needed = static_cast<Dword>(out.size() + 1);
    if (needed <= size && destination) std::memcpy(destination, out.c_str(), needed);
    return needed;
}

// The system has no text for setupapi's own codes (0xE...), as FormatMessage on Windows and Wine.
std::string FakeSystem::ErrorText(Dword error) {
    return error >= 0xE0000000u ? "" : "System error " + std::to_string(error);
}

bool FakeSystem::StartProgram(const std::string& path, int showCommand, Dword* lastError) {
    const bool known = std::any_of(startablePrograms.begin(), startablePrograms.end(),
                                   [&](const std::string& p) { return EqualsNoCase(p, path); });
    if (!known) {
        if (lastError) *lastError = kErrorFileNotFound;
        return false;
    }
    started.push_back({path, showCommand});
    return true;
}

void FakeSystem::ExitProgram(unsigned code) {
    throw ProgramExit{code};
}

}  // namespace zv::fakes
