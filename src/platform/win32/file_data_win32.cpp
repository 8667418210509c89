// Reading, hashing and copying files over kernel32, with our own SHA-256. Errors are
// kept at once, before a close can overwrite them.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/factories.h"
#include "platform/win32/unique.h"
#include "support/sha256.h"

namespace zv::win32 {
namespace {

class File {
public:
    explicit File(const std::string& path)
        : m_h(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {}
    [[nodiscard]] bool ok() const { return static_cast<bool>(m_h); }
    [[nodiscard]] HANDLE get() const { return m_h.get(); }

private:
    UniqueFile m_h;
};

constexpr std::size_t kChunk = std::size_t{1} << 20;

// Attributes CreateFile takes for a new file; CopyFileA gives the target the source's.
constexpr DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY |
                                    FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

class Win32FileData final : public IFileData {
public:
    Dword GetLastError() const override { return m_lastError; }

    bool ReadWholeFile(const std::string& path, std::uint64_t limit, std::string* bytes) override {
        File f(path);
        if (!f.ok()) return keep();
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(f.get(), &size)) return keep();
        if (static_cast<std::uint64_t>(size.QuadPart) > limit) return fail(ERROR_FILE_TOO_LARGE);
        std::string out(static_cast<std::size_t>(size.QuadPart), '\0');
        std::size_t done = 0;
        while (done < out.size()) {
            DWORD n = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 20));
            if (!::ReadFile(f.get(), out.data() + done, want, &n, nullptr)) return keep();
            if (n == 0) break;  // shrank while being read: what was there is what we have
            done += n;
        }
        out.resize(done);
        *bytes = std::move(out);
        return true;
    }

    bool Sha256File(const std::string& path, std::string* hex) override {
        File f(path);
        if (!f.ok()) return keep();
        Sha256 hash;
        std::vector<BYTE> chunk(kChunk);
        for (;;) {
            DWORD n = 0;
            if (!::ReadFile(f.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &n, nullptr))
                return keep();
            if (n == 0) break;
            hash.update(chunk.data(), n);
        }
        *hex = hash.finalHex();
        return true;
    }

    bool CopyFileHashed(const std::string& from, const std::string& to, std::uint64_t* size,
                        std::string* sha256hex) override {
        // The source shares no writing, so a target that is the source itself (under any name)
        // cannot be opened to be replaced: the call fails as CopyFileA does, with the source intact.
        UniqueFile src(::CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!src) return keep();
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetFileInformationByHandle(src.get(), &info)) return keep();
        DWORD attributes = info.dwFileAttributes & kCopiedAttributes;
        if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
        // CREATE_ALWAYS refuses a read-only target, and a hidden or system one whose attribute
        // the source lacks, with access denied: as CopyFileA does.
        UniqueFile dst(::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     attributes | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!dst) return keep();
        std::uint64_t written = 0;
        std::string hex;
        if (!pump(src.get(), dst.get(), &written, &hex) ||
            !::SetFileTime(dst.get(), nullptr, nullptr, &info.ftLastWriteTime) ||
            !::CloseHandle(dst.release())) {
            keep();
            dst = UniqueFile();
            if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(to.c_str());
            return false;
        }
        *size = written;
        *sha256hex = std::move(hex);
        return true;
    }

private:
    // Reads src to its end, writing every byte to dst and hashing what was written.
    static bool pump(HANDLE src, HANDLE dst, std::uint64_t* written, std::string* hex) {
        std::vector<BYTE> chunk(kChunk);
        Sha256 hash;
        for (;;) {
            DWORD n = 0;
            if (!::ReadFile(src, chunk.data(), static_cast<DWORD>(chunk.size()), &n, nullptr)) return false;
            if (n == 0) break;
            DWORD out = 0;
            if (!::WriteFile(dst, chunk.data(), n, &out, nullptr)) return false;
            if (out != n) {
                ::SetLastError(ERROR_WRITE_FAULT);
                return false;
            }
            hash.update(chunk.data(), n);
            *written += n;
        }
        *hex = hash.finalHex();
        return true;
    }
    bool keep() {
        m_lastError = ::GetLastError();
        return false;
    }
    bool fail(DWORD error) {
        m_lastError = error;
        return false;
    }
    Dword m_lastError = 0;
};

}  // namespace

std::unique_ptr<IFileData> MakeFileData() {
    return std::make_unique<Win32FileData>();
}

}  // namespace zv::win32
