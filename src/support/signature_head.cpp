#include "support/signature_head.h"

#include <cstdint>

namespace zv {
namespace {

std::uint32_t Le32(std::string_view bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
}

}  // namespace

bool MayHoldSignature(std::string_view head, SignedFileKind kind) {
    head = head.substr(0, kSignatureHeadBytes);
    const std::size_t got = head.size();
    if (got == 0) return true;
    if (kind == SignedFileKind::kCatalog) return static_cast<unsigned char>(head[0]) == 0x30;
    if (got < 0x40 || head[0] != 'M' || head[1] != 'Z') return false;
    const std::uint32_t pe = Le32(head, 0x3C);
    if (pe > got - 24 || head.substr(pe, 4) != std::string_view("PE\0\0", 4)) return true;  // beyond the head
    const std::size_t optional = pe + 24;
    if (optional + 2 > got) return true;
    const unsigned magic =
        static_cast<unsigned char>(head[optional]) | static_cast<unsigned char>(head[optional + 1]) << 8;
    // The data directories start at 96 (PE32) or 112 (PE32+) bytes into the optional header.
    const std::size_t directories = optional + (magic == 0x20B ? 112 : 96);
    const std::size_t security = directories + 4 * 8;
    if (security + 8 > got) return true;
    return Le32(head, security + 4) != 0;
}

}  // namespace zv
