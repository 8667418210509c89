#include "support/sha256.h"

#include <atomic>
#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define ZV_SHA256_X86 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace zv {
namespace {

alignas(16) constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

inline std::uint32_t Rotr(std::uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

void BlocksPortable(std::uint32_t state[8], const std::uint8_t* data, std::size_t blocks) {
    for (; blocks > 0; --blocks, data += 64) {
        std::uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = std::uint32_t{data[i * 4]} << 24 | std::uint32_t{data[i * 4 + 1]} << 16 |
                   std::uint32_t{data[i * 4 + 2]} << 8 | std::uint32_t{data[i * 4 + 3]};
        for (int i = 16; i < 64; ++i) {
            const std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
        for (int i = 0; i < 64; ++i) {
            const std::uint32_t t1 =
                h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
            const std::uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}

#ifdef ZV_SHA256_X86
#ifdef __i386__
// 32-bit Windows keeps the stack 4-byte aligned; the vector spills need 16.
#define ZV_SHA256_ALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define ZV_SHA256_ALIGN_STACK
#endif

// The SHA extensions keep the state as ABEF/CDGH pairs and do two rounds per instruction.
__attribute__((target("sha,sse4.1"))) ZV_SHA256_ALIGN_STACK void BlocksSha(std::uint32_t state[8],
                                                                           const std::uint8_t* data,
                                                                           std::size_t blocks) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i tmp = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0])), 0xB1);
    __m128i state1 = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4])), 0x1B);
    __m128i state0 = _mm_alignr_epi8(tmp, state1, 8);  // ABEF
    state1 = _mm_blend_epi16(state1, tmp, 0xF0);       // CDGH
    for (; blocks > 0; --blocks, data += 64) {
        const __m128i abef = state0;
        const __m128i cdgh = state1;
        __m128i msg[4];
        for (int i = 0; i < 4; ++i)
            msg[i] =
                _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), byteSwap);
#pragma GCC unroll 16
        for (int r = 0; r < 16; ++r) {
            __m128i k =
                _mm_add_epi32(msg[r & 3], _mm_load_si128(reinterpret_cast<const __m128i*>(&kRound[4 * r])));
            state1 = _mm_sha256rnds2_epu32(state1, state0, k);
            state0 = _mm_sha256rnds2_epu32(state0, state1, _mm_shuffle_epi32(k, 0x0E));
            if (r < 12) {
                // Words 4(r+4)..4(r+4)+3 of the schedule replace those just used.
                __m128i next = _mm_sha256msg1_epu32(msg[r & 3], msg[(r + 1) & 3]);
                next = _mm_add_epi32(next, _mm_alignr_epi8(msg[(r + 3) & 3], msg[(r + 2) & 3], 4));
                msg[r & 3] = _mm_sha256msg2_epu32(next, msg[(r + 3) & 3]);
            }
        }
        state0 = _mm_add_epi32(state0, abef);
        state1 = _mm_add_epi32(state1, cdgh);
    }
    tmp = _mm_shuffle_epi32(state0, 0x1B);        // FEBA
    state1 = _mm_shuffle_epi32(state1, 0xB1);     // DCHG
    state0 = _mm_blend_epi16(tmp, state1, 0xF0);  // DCBA
    state1 = _mm_alignr_epi8(state1, tmp, 8);     // HGFE
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), state0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), state1);
}

bool CpuHasSha() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    const bool sse = (c & bit_SSSE3) && (c & bit_SSE4_1);
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
    return sse && (b & bit_SHA);
}
#else
bool CpuHasSha() {
    return false;
}
#endif

std::atomic<bool> g_forcePortable{false};

bool ShaInstructions() {
    static const bool has = CpuHasSha();
    return has && !g_forcePortable.load(std::memory_order_relaxed);
}

void Blocks(std::uint32_t state[8], const std::uint8_t* data, std::size_t blocks) {
#ifdef ZV_SHA256_X86
    if (ShaInstructions()) return BlocksSha(state, data, blocks);
#endif
    BlocksPortable(state, data, blocks);
}

}  // namespace

void Sha256::reset() {
    std::memcpy(m_state, kInitial, sizeof m_state);
    m_length = 0;
    m_used = 0;
}

void Sha256::update(const void* data, std::size_t size) {
    auto p = static_cast<const std::uint8_t*>(data);
    m_length += size;
    if (m_used > 0) {
        const std::size_t take = size < 64 - m_used ? size : 64 - m_used;
        std::memcpy(m_block + m_used, p, take);
        m_used += take;
        p += take;
        size -= take;
        if (m_used < 64) return;
        Blocks(m_state, m_block, 1);
        m_used = 0;
    }
    if (size >= 64) {
        Blocks(m_state, p, size / 64);
        p += size & ~std::size_t{63};
        size &= 63;
    }
    if (size > 0) std::memcpy(m_block, p, size);
    m_used = size;
}

Sha256::Digest Sha256::final() {
    const std::uint64_t bits = m_length * 8;
    std::uint8_t tail[72] = {0x80};
    const std::size_t pad = (m_used < 56 ? 56 : 120) - m_used;
    for (int i = 0; i < 8; ++i)
        tail[pad + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
    update(tail, pad + 8);
    Digest out;
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 4; ++j)
            out[static_cast<std::size_t>(i * 4 + j)] = static_cast<std::uint8_t>(m_state[i] >> (24 - 8 * j));
    reset();
    return out;
}

std::string Sha256::finalHex() {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(64);
    for (std::uint8_t b : final()) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

bool Sha256::UsesShaInstructions() {
    return ShaInstructions();
}

void Sha256::ForcePortable(bool on) {
    g_forcePortable.store(on, std::memory_order_relaxed);
}

std::string Sha256Hex(std::string_view bytes) {
    Sha256 hash;
    hash.update(bytes.data(), bytes.size());
    return hash.finalHex();
}

}  // namespace zv
