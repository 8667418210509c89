#include "fakes/fake_signatures.h"

#include <limits>

namespace zv::fakes {

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
    m_messages[{bytes, kind}] = std::move(record);
}

}  // namespace zv::fakes
