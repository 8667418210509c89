// Reading, hashing and copying files over kernel32, with our own SHA-256. Errors are
// kept at once, before a close can overwrite them.
#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
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

// Large reads and writes: Wine turns each into a system call or two.
constexpr std::size_t kChunk = std::size_t{1} << 20;

// Attributes CreateFile takes for a new file; CopyFileA gives the target the source's.
constexpr DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY |
                                    FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Copies a file's bytes from one handle to another in large chunks while a second thread
// hashes each chunk that was read, so on two cores the copy and its hash take the time
// of the copy alone. The ring of chunks is kept for the next copy.
class HashingCopier {
public:
    // Reads src to its end, writing every byte to dst; false with the error for GetLastError().
    bool copy(HANDLE src, HANDLE dst, std::uint64_t expected, std::uint64_t* written, std::string* hex) {
        if (m_ring[0].empty())
            for (auto& chunk : m_ring) chunk.resize(kChunk);
        Sha256 hash;
        // One chunk or less is hashed where it is read: a thread would cost more than it saves.
        if (expected <= kChunk) return copyHere(src, dst, hash, written, hex);
        m_read = m_hashed = 0;
        m_finished = false;
        std::thread hasher;
        try {
            hasher = std::thread([this, &hash] { hashChunks(hash); });
        } catch (const std::system_error&) {
            return copyHere(src, dst, hash, written, hex);
        }
        bool ok = true;
        DWORD error = 0;
        for (std::size_t i = 0;; ++i) {
            Chunk& chunk = m_ring[i % kRing];
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return m_hashed + kRing > i; });
            }
            DWORD n = 0;
            if (!::ReadFile(src, chunk.data(), static_cast<DWORD>(kChunk), &n, nullptr)) {
                ok = false;
                error = ::GetLastError();
                break;
            }
            if (n == 0) break;
            m_sizes[i % kRing] = n;
            {
                std::lock_guard lock(m_mutex);
                m_read = i + 1;
            }
            m_changed.notify_all();
            if (!writeAll(dst, chunk.data(), n, &error)) {
                ok = false;
                break;
            }
            *written += n;
        }
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_changed.notify_all();
        hasher.join();
        if (!ok) {
            ::SetLastError(error);
            return false;
        }
        *hex = hash.finalHex();
        return true;
    }

private:
    using Chunk = std::vector<BYTE>;
    static constexpr std::size_t kRing = 4;

    static bool writeAll(HANDLE dst, const BYTE* data, DWORD size, DWORD* error) {
        DWORD out = 0;
        if (::WriteFile(dst, data, size, &out, nullptr) && out == size) return true;
        *error = out == size ? ::GetLastError() : static_cast<DWORD>(ERROR_WRITE_FAULT);
        return false;
    }

    bool copyHere(HANDLE src, HANDLE dst, Sha256& hash, std::uint64_t* written, std::string* hex) {
        Chunk& chunk = m_ring[0];
        for (;;) {
            DWORD n = 0;
            if (!::ReadFile(src, chunk.data(), static_cast<DWORD>(kChunk), &n, nullptr)) return false;
            if (n == 0) break;
            DWORD error = 0;
            if (!writeAll(dst, chunk.data(), n, &error)) {
                ::SetLastError(error);
                return false;
            }
            hash.update(chunk.data(), n);
            *written += n;
        }
        *hex = hash.finalHex();
        return true;
    }

    void hashChunks(Sha256& hash) {
        for (std::size_t i = 0;; ++i) {
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return m_read > i || m_finished; });
                if (m_read <= i) return;
            }
            hash.update(m_ring[i % kRing].data(), m_sizes[i % kRing]);
            {
                std::lock_guard lock(m_mutex);
                m_hashed = i + 1;
            }
            m_changed.notify_all();
        }
    }

    Chunk m_ring[kRing];
    DWORD m_sizes[kRing] = {};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_read = 0;    // chunks read and handed to the hasher
    std::size_t m_hashed = 0;  // chunks the hasher is done with
    bool m_finished = false;   // no more chunks come
};

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
        // Shared as CopyFileA shares its source, so a file another program has open can be copied.
        UniqueFile src(::CreateFileA(from.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!src) return keep();
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetFileInformationByHandle(src.get(), &info)) return keep();
        DWORD attributes = info.dwFileAttributes & kCopiedAttributes;
        if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
        // The same creation as CopyFileA's, so a target it would refuse (read-only, or hidden or
        // system without the source having the attribute, or open elsewhere) is refused alike.
        // Sharing nothing, it cannot open the source itself under any name, which src holds
        // open: copying a file onto itself fails with a sharing violation, as CopyFileA does.
        UniqueFile dst(::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     attributes | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!dst) return keep();
        std::uint64_t written = 0;
        std::string hex;
        const std::uint64_t expected = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
        const std::lock_guard lock(m_copying);
        if (!m_copier.copy(src.get(), dst.get(), expected, &written, &hex) ||
            !::SetFileTime(dst.get(), nullptr, nullptr, &info.ftLastWriteTime) ||
            !::CloseHandle(dst.release())) {
            keep();
            dst = UniqueFile();
            // A partial copy is no copy: the target goes, whatever attribute it was given.
            if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(to.c_str());
            return false;
        }
        *size = written;
        *sha256hex = std::move(hex);
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
    std::mutex m_copying;  // one copy at a time through the copier's ring
    HashingCopier m_copier;
};

}  // namespace

std::unique_ptr<IFileData> MakeFileData() {
    return std::make_unique<Win32FileData>();
}

}  // namespace zv::win32
