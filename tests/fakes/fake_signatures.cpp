#include "fakes/fake_signatures.h"

#include <limits>
#include <stdexcept>

#include "support/signature_head.h"

namespace zv::fakes {

std::string SignedLooking(SignedFileKind kind, const std::string& tag) {
    if (kind == SignedFileKind::kCatalog) return "\x30" + tag;
    std::string pe(0xF0, '\0');
    pe[0] = 'M';
    pe[1] = 'Z';
    pe[0x3C] = 0x40;                   // the PE header's offset
    pe.replace(0x40, 4, "PE\0\0", 4);  // then a 20-byte file header and the optional header
    pe[0x58] = 0x0B;                   // PE32+
    pe[0x59] = 0x02;
    pe[0xEC] = 0x10;  // the size of the security directory, data directory 4
    return pe + tag;
}

bool FakeSignatures::ReadSignature(const std::string& path, SignedFileKind kind, SignatureRecord* record,
                                   Dword* lastError) {
    ++reads;
    *record = {};
    std::string bytes;
    if (!m_data.ReadWholeFile(path, std::numeric_limits<std::uint64_t>::max(), &bytes)) {
        *lastError = m_data.GetLastError();
        return false;
    }
    const auto it = m_messages.find({bytes, kind});
    if (it == m_messages.end()) {
        *lastError = kCryptENoMatch;
        return false;
    }
    *record = it->second;
    return true;
}

void FakeSignatures::addMessage(const std::string& bytes, SignedFileKind kind, SignatureRecord record) {
    if (!MayHoldSignature(bytes, kind))
        throw std::invalid_argument("no signed message begins so: use SignedLooking");
    m_messages[{bytes, kind}] = std::move(record);
}

}  // namespace zv::fakes
