// The file-system seam over kernel32's ANSI calls. Each failing call keeps its
// error at once, so that later calls (a redirection revert, a close) cannot
// overwrite it before the caller asks.
#include <windows.h>
#undef GetFileAttributes
#undef CreateDirectory
#undef CopyFile
#undef DeleteFile
#undef SetFileAttributes

#include <cstdint>

#include "platform/win32/factories.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unique.h"

namespace zv::win32 {
namespace {

using DisableFn = BOOL(WINAPI*)(PVOID*);
using RevertFn = BOOL(WINAPI*)(PVOID);

// Wow64DisableWow64FsRedirection and its revert are looked up at run time: older 32-bit
// systems do not export them, and where they exist on a 32-bit system they fail harmlessly.
class Win32FileSystem final : public IFileSystem {
public:
    Dword GetLastError() const override { return m_lastError; }

    Dword GetFileAttributes(const std::string& path) override {
        const DWORD a = ::GetFileAttributesA(path.c_str());
        if (a == INVALID_FILE_ATTRIBUTES) keep();
        return a;
    }

    bool GetFileSize(const std::string& path, std::uint64_t* size) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return keep();
        *size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        return true;
    }

    bool FindFiles(const std::string& pattern, std::vector<FindEntry>* entries) override {
        entries->clear();
        WIN32_FIND_DATAA fd{};
        const UniqueFind h{::FindFirstFileA(pattern.c_str(), &fd)};
        if (!h) return keep();
        do {
            entries->push_back({fd.cFileName, fd.dwFileAttributes});
        } while (::FindNextFileA(h.get(), &fd));
        return true;
    }

    bool CreateDirectory(const std::string& path) override {
        return ::CreateDirectoryA(path.c_str(), nullptr) ? true : keep();
    }

    bool CopyFile(const std::string& existing, const std::string& newFile, bool failIfExists) override {
        return ::CopyFileA(existing.c_str(), newFile.c_str(), failIfExists) ? true : keep();
    }

    bool DeleteFile(const std::string& path) override { return ::DeleteFileA(path.c_str()) ? true : keep(); }

    bool SetFileAttributes(const std::string& path, Dword attributes) override {
        return ::SetFileAttributesA(path.c_str(), attributes) ? true : keep();
    }

    Hfile OpenForWrite(const std::string& path) override {
        HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            keep();
            return kInvalidHfile;
        }
        return FromNative(h);
    }

    bool WriteFile(Hfile file, const void* data, Dword size, Dword* written) override {
        DWORD n = 0;
        const BOOL ok = ::WriteFile(ToNative(file), data, size, &n, nullptr);
        if (written) *written = n;
        return ok ? true : keep();
    }

    bool CloseFile(Hfile file) override { return ::CloseHandle(ToNative(file)) ? true : keep(); }

    bool DisableFsRedirection(std::uintptr_t* oldValue) override {
        static const auto disable = SystemProc<DisableFn>("kernel32.dll", "Wow64DisableWow64FsRedirection");
        if (!disable) return none();
        PVOID old = nullptr;
        if (!disable(&old)) return keep();
        *oldValue = reinterpret_cast<std::uintptr_t>(old);
        return true;
    }

    bool RevertFsRedirection(std::uintptr_t oldValue) override {
        static const auto revert = SystemProc<RevertFn>("kernel32.dll", "Wow64RevertWow64FsRedirection");
        if (!revert) return none();
        return revert(reinterpret_cast<PVOID>(oldValue)) ? true : keep();
    }

private:
    bool keep() {
        m_lastError = ::GetLastError();
        return false;
    }
    bool none() {
        m_lastError = ERROR_INVALID_FUNCTION;
        return false;
    }
    Dword m_lastError = 0;
};

}  // namespace

std::unique_ptr<IFileSystem> MakeFileSystem() {
    return std::make_unique<Win32FileSystem>();
}

}  // namespace zv::win32
