#pragma once
// The signer data of a signed file, read from the file alone: a catalog (.cat, a PKCS#7
// SignedData) or the signature embedded in a PE file (.sys), through crypt32's message
// calls. Nothing is judged against this machine's trust stores: they say what this Windows
// trusts, not what a clean install will, and Wine's are Linux's.
#include <string>
#include <vector>

#include "platform/types.h"

namespace zv {

// CryptQueryObject's answer for a file that holds no signed message of the kind asked for:
// text, a catalog cut short, a PE file without a signature.
inline constexpr Dword kCryptENoMatch = 0x80092009u;

enum class SignedFileKind {
    kCatalog,   // CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED
    kEmbedded,  // CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED: a PE file's own signature
};

struct CertificateRecord {
    std::string subject;  // CertGetNameStringW, CERT_NAME_SIMPLE_DISPLAY_TYPE
    std::string issuer;   // the same, of the issuer's name
    // The OIDs of the enhanced-key-usage extension (CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG).
    // Without that extension a certificate is good for any use: ekuExtension false.
    std::vector<std::string> ekus;
    bool ekuExtension = false;
    std::string notBefore;    // UTC as "YYYY-MM-DD hh:mm:ss", so that dates compare as text
    bool selfIssued = false;  // subject and issuer names equal, byte for byte
    bool signerLeaf = false;  // the certificate of one of the message's signers
};

struct SignatureRecord {
    Dword signerCount = 0;  // CMSG_SIGNER_COUNT_PARAM; 0 for a message that no one signed
    // Each signer's leaf first, then its issuers as the message holds them, then the rest
    // of the message's certificates; each once.
    std::vector<CertificateRecord> certificates;
};

class ISignatures {
public:
    virtual ~ISignatures() = default;
    // The file's signer data. False sets lastError and leaves *record empty: the file's
    // open error (kErrorFileNotFound, ...), or kCryptENoMatch when it holds no signed
    // message of that kind.
    virtual bool ReadSignature(const std::string& path, SignedFileKind kind, SignatureRecord* record,
                               Dword* lastError) = 0;
};

}  // namespace zv
