#pragma once
// Signed messages over the in-memory file system: a file whose bytes were registered as a
// signed message of a kind gives that message's signer data, any other file that can be
// read holds no signed message (kCryptENoMatch), and one that cannot gives its open error.
// A copy keeps its signature, a file cut short loses it, as on Windows. A message's bytes
// must look like one from their start, as crypt32 would have them (SignedLooking).
#include <map>
#include <string>
#include <utility>

#include "fakes/fake_file_data.h"
#include "platform/signatures.h"

namespace zv::fakes {

// Bytes that begin as a signed message of that kind does (a DER SEQUENCE; a PE file with a
// security directory), followed by tag, which tells them apart.
[[nodiscard]] std::string SignedLooking(SignedFileKind kind, const std::string& tag);

class FakeSignatures : public ISignatures {
public:
    explicit FakeSignatures(FakeFileSystem& files) : m_data(files) {}
    bool ReadSignature(const std::string& path, SignedFileKind kind, SignatureRecord* record,
                       Dword* lastError) override;

    // Files holding exactly these bytes are signed messages of that kind with this signer data.
    void addMessage(const std::string& bytes, SignedFileKind kind, SignatureRecord record);
    int reads = 0;

private:
    FakeFileData m_data;
    std::map<std::pair<std::string, SignedFileKind>, SignatureRecord> m_messages;
};

}  // namespace zv::fakes
