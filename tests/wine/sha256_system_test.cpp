// Our SHA-256, by both routines, gives what the system's own hash provider gives over
// random bytes of many lengths (and, in the 32-bit build, from a thread of its own,
// whose stack Windows aligns to 4 bytes only).
#include <windows.h>
// after <windows.h>, whose types it uses
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>

#include "support/sha256.h"

namespace zv {
namespace {

std::string SystemSha256(const std::string& bytes) {
    // PROV_RSA_AES carries SHA-256 from XP SP3 on; 0x800c is CALG_SHA_256.
    HCRYPTPROV prov = 0;
    HCRYPTHASH hash = 0;
    BYTE digest[32] = {};
    DWORD size = sizeof digest;
    std::string hex;
    if (::CryptAcquireContextA(&prov, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
        if (::CryptCreateHash(prov, 0x800c, 0, 0, &hash)) {
            if (::CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()),
                                static_cast<DWORD>(bytes.size()), 0) &&
                ::CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0))
                for (BYTE b : digest) hex += "0123456789abcdef"[b >> 4], hex += "0123456789abcdef"[b & 15];
            ::CryptDestroyHash(hash);
        }
        ::CryptReleaseContext(prov, 0);
    }
    return hex;
}

TEST(Sha256Wine, BothRoutinesAgreeWithTheSystemsHash) {
    std::mt19937 random(16);
    for (std::size_t size : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 1000u, 65537u, (3u << 20) + 13u}) {
        std::string bytes(size, '\0');
        for (char& b : bytes) b = static_cast<char>(random());
        const std::string expected = SystemSha256(bytes);
        ASSERT_EQ(expected.size(), 64u) << "the system's hash failed";
        for (bool portable : {false, true}) {
            Sha256::ForcePortable(portable);
            std::string ours;
            std::thread([&] { ours = Sha256Hex(bytes); }).join();
            EXPECT_EQ(ours, expected)
                << size << " bytes, " << (portable ? "portable" : "default") << " routine";
        }
        Sha256::ForcePortable(false);
    }
}

}  // namespace
}  // namespace zv
