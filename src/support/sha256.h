#pragma once
// SHA-256 (FIPS 180-4), fed in pieces. The blocks go through the processor's SHA
// instructions where it has them (checked once at run time), a portable routine otherwise.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zv {

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256() { reset(); }
    void reset();
    void update(const void* data, std::size_t size);
    // The digest of everything given since the last reset; the object starts afresh after it.
    [[nodiscard]] Digest final();
    // The same as 64 lower-case hex digits.
    [[nodiscard]] std::string finalHex();

    // True when the processor's SHA instructions do the work.
    [[nodiscard]] static bool UsesShaInstructions();
    // Makes every later hash take the portable routine (false restores the check), so both
    // routines can be compared in one process.
    static void ForcePortable(bool on);

private:
    std::uint32_t m_state[8];
    std::uint64_t m_length;  // bytes given so far
    std::uint8_t m_block[64];
    std::size_t m_used;  // bytes waiting in m_block
};

// SHA-256 of a byte string, as 64 lower-case hex digits.
[[nodiscard]] std::string Sha256Hex(std::string_view bytes);

}  // namespace zv
