// Reading, hashing and copying files over kernel32, with our own SHA-256. Errors are
// kept at once, before a close can overwrite them.
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/factories.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unique.h"
#include "support/sha256.h"

namespace zv::win32 {
namespace {

// Read-only and shared for writing too: a file another program has open for writing (another
// Windows' hive a tool holds, a log) is still read, as the hashed copy reads its source.
class File {
public:
    explicit File(const std::string& path)
        : m_h(::CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {}
    [[nodiscard]] bool ok() const { return static_cast<bool>(m_h); }
    [[nodiscard]] HANDLE get() const { return m_h.get(); }

private:
    UniqueFile m_h;
};

// GetFileInformationByHandleEx's FileBasicInfo (Windows Vista on; the SDK declares it only
// for Vista and later, and we build for XP).
struct BasicInfo {
    LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime;
    DWORD fileAttributes;
};
constexpr int kFileBasicInfo = 0;
using GetInfoByHandleFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);

// The attributes and last-write time of an open file. From its handle in one call where
// Windows has it: by name, the path would be looked up again, which under Wine walks it
// on the disk for every copy. Windows XP has no such call: there by name and handle.
bool AttributesAndTime(HANDLE h, const std::string& path, DWORD* attributes, FILETIME* lastWrite) {
    static const auto byHandle =
        SystemProc<GetInfoByHandleFn>("kernel32.dll", "GetFileInformationByHandleEx");
    if (!byHandle) {
        *attributes = ::GetFileAttributesA(path.c_str());
        return *attributes != INVALID_FILE_ATTRIBUTES && ::GetFileTime(h, nullptr, nullptr, lastWrite);
    }
    BasicInfo info{};
    if (!byHandle(h, kFileBasicInfo, &info, sizeof info)) return false;
    *attributes = info.fileAttributes;
    lastWrite->dwLowDateTime = info.lastWriteTime.LowPart;
    lastWrite->dwHighDateTime = static_cast<DWORD>(info.lastWriteTime.HighPart);
    return true;
}

// Large reads and writes (Wine turns each into a system call or two), small enough for a
// chunk to stay in the processor's cache from its read to its write and hash.
constexpr std::size_t kChunk = std::size_t{512} << 10;

// Attributes CreateFile takes for a new file; CopyFileA gives the target the source's.
constexpr DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY |
                                    FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A short write is no failure of its own: on a full disk Wine writes what fits and says so
// in the count. Writing the rest gives the real error (ERROR_DISK_FULL), which is named.
bool WriteAll(HANDLE dst, const BYTE* data, DWORD size) {
    while (size > 0) {
        DWORD out = 0;
        if (!::WriteFile(dst, data, size, &out, nullptr)) return false;
        if (out == 0 || out > size) return ::SetLastError(ERROR_WRITE_FAULT), false;
        data += out;
        size -= out;
    }
    return true;
}

// Reads src to its end, writing every byte to dst and hashing each chunk between its read
// and its write, while it is in the processor's cache; false with the error for
// GetLastError(). A second thread hashing the chunks read was measured under Wine on two
// processors: no faster with the other one idle, and much slower with it busy, the
// hand-overs costing what they save.
bool CopyBytes(HANDLE src, HANDLE dst, std::vector<BYTE>& chunk, std::uint64_t* written, std::string* hex,
               std::string* head, std::size_t headBytes) {
    Sha256 hash;
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(src, chunk.data(), static_cast<DWORD>(chunk.size()), &n, nullptr)) return false;
        if (n == 0) break;
        hash.update(chunk.data(), n);
        if (!WriteAll(dst, chunk.data(), n)) return false;
        if (head && head->size() < headBytes)
            head->append(reinterpret_cast<const char*>(chunk.data()),
                         std::min<std::size_t>(n, headBytes - head->size()));
        *written += n;
    }
    *hex = hash.finalHex();
    return true;
}

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
                        std::string* sha256hex, std::string* head, std::size_t headBytes) override {
        // Shared as CopyFileA shares its source, so a file another program has open can be copied.
        UniqueFile src(::CreateFileA(from.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!src) return keep();
        // Not GetFileInformationByHandle: under Wine its volume serial costs a call to another process.
        FILETIME lastWrite{};
        DWORD sourceAttributes = 0;
        if (!AttributesAndTime(src.get(), from, &sourceAttributes, &lastWrite)) return keep();
        DWORD attributes = sourceAttributes & kCopiedAttributes;
        if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
        // The same creation as CopyFileA's, so a target it would refuse (read-only, or hidden or
        // system without the source having the attribute, or open elsewhere) is refused alike.
        // Sharing nothing, it cannot open the source itself under any name, which src holds
        // open: copying a file onto itself fails with a sharing violation, as CopyFileA does.
        UniqueFile dst(::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     attributes | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!dst) return keep();
        std::uint64_t written = 0;
        std::string hex, firstBytes;
        const std::lock_guard lock(m_copying);
        if (m_chunk.empty()) m_chunk.resize(kChunk);
        if (!CopyBytes(src.get(), dst.get(), m_chunk, &written, &hex, head ? &firstBytes : nullptr,
                       headBytes) ||
            !::SetFileTime(dst.get(), nullptr, nullptr, &lastWrite) || !::CloseHandle(dst.release())) {
            keep();
            dst = UniqueFile();
            // A partial copy is no copy: the target goes, whatever attribute it was given.
            if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(to.c_str());
            return false;
        }
        *size = written;
        *sha256hex = std::move(hex);
        if (head) *head = std::move(firstBytes);
        return true;
    }

private:
    bool keep() {
        m_lastError = ::GetLastError();
        return false;
    }
    bool fail(DWORD error) {
        m_lastError = error;
        return false;
    }
    Dword m_lastError = 0;
    std::mutex m_copying;  // one copy at a time through the chunk
    std::vector<BYTE> m_chunk;
};

}  // namespace

std::unique_ptr<IFileData> MakeFileData() {
    return std::make_unique<Win32FileData>();
}

}  // namespace zv::win32
