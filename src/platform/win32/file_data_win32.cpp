// Reading and hashing files over kernel32 and the CryptoAPI. Errors are kept at once,
// before a close can overwrite them.
#include <windows.h>
// after <windows.h>, whose types it uses
#include <wincrypt.h>

#include <string>
#include <vector>

#include "platform/win32/factories.h"
#include "platform/win32/unique.h"

namespace zv::win32 {
namespace {

// The SDK spells it only for Vista and later targets; XP SP3's provider knows it as well.
constexpr ALG_ID kCalgSha256 = ALG_CLASS_HASH | ALG_TYPE_ANY | 12;

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

struct ProviderTraits {
    using Type = HCRYPTPROV;
    static Type invalid() noexcept { return 0; }
    static void close(Type p) noexcept { (void)::CryptReleaseContext(p, 0); }
};
struct HashTraits {
    using Type = HCRYPTHASH;
    static Type invalid() noexcept { return 0; }
    static void close(Type h) noexcept { (void)::CryptDestroyHash(h); }
};

class Provider {
public:
    Provider() {
        // PROV_RSA_AES carries SHA-256 from XP SP3 on; a verify context needs no key container.
        if (!::CryptAcquireContextA(m_prov.put(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
            (void)m_prov.release();
    }
    bool begin() {
        if (!m_prov || !::CryptCreateHash(m_prov.get(), kCalgSha256, 0, 0, m_hash.put())) {
            (void)m_hash.release();
            return false;
        }
        return true;
    }
    bool add(const BYTE* data, DWORD size) { return ::CryptHashData(m_hash.get(), data, size, 0); }
    bool finish(BYTE (&digest)[32]) {
        DWORD size = sizeof digest;
        return ::CryptGetHashParam(m_hash.get(), HP_HASHVAL, digest, &size, 0) && size == sizeof digest;
    }

private:
    // Declared after the provider: the hash is destroyed before the provider it came from.
    Unique<ProviderTraits> m_prov;
    Unique<HashTraits> m_hash;
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
        Provider hash;
        if (!hash.begin()) return keep();
        std::vector<BYTE> chunk(1u << 16);
        for (;;) {
            DWORD n = 0;
            if (!::ReadFile(f.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &n, nullptr))
                return keep();
            if (n == 0) break;
            if (!hash.add(chunk.data(), n)) return keep();
        }
        BYTE digest[32] = {};
        if (!hash.finish(digest)) return keep();
        static const char kDigits[] = "0123456789abcdef";
        std::string out;
        for (BYTE b : digest) {
            out += kDigits[b >> 4];
            out += kDigits[b & 15];
        }
        *hex = out;
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
};

}  // namespace

std::unique_ptr<IFileData> MakeFileData() {
    return std::make_unique<Win32FileData>();
}

}  // namespace zv::win32
