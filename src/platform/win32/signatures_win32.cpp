// The signer data of catalogs and signed PE files over crypt32's message calls, bound from
// the system folder on first use (the program imports no crypt32). Only the message's own
// certificate store is asked: no chain is built and no trust store opened.
#include <windows.h>

#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/signatures.h"
#include "platform/win32/ansi_text.h"
#include "platform/win32/factories.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unique.h"
#include "support/signature_head.h"

namespace zv::win32 {
namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
// A chain in a message is a few certificates; a message that links its own
// certificates in a ring or a very long line is not followed further.
constexpr int kMostIssuers = 16;

template <class Fn>
[[nodiscard]] Fn Crypt32(const char* name) {
    return SystemProc<Fn>("crypt32.dll", name);
}

struct Calls {
    decltype(&::CryptQueryObject) queryObject = Crypt32<decltype(queryObject)>("CryptQueryObject");
    decltype(&::CryptMsgGetParam) msgGetParam = Crypt32<decltype(msgGetParam)>("CryptMsgGetParam");
    decltype(&::CryptMsgClose) msgClose = Crypt32<decltype(msgClose)>("CryptMsgClose");
    decltype(&::CertCloseStore) closeStore = Crypt32<decltype(closeStore)>("CertCloseStore");
    decltype(&::CertGetSubjectCertificateFromStore) subjectFromStore =
        Crypt32<decltype(subjectFromStore)>("CertGetSubjectCertificateFromStore");
    decltype(&::CertGetIssuerCertificateFromStore) issuerFromStore =
        Crypt32<decltype(issuerFromStore)>("CertGetIssuerCertificateFromStore");
    decltype(&::CertEnumCertificatesInStore) enumStore =
        Crypt32<decltype(enumStore)>("CertEnumCertificatesInStore");
    decltype(&::CertFreeCertificateContext) freeCert =
        Crypt32<decltype(freeCert)>("CertFreeCertificateContext");
    decltype(&::CertGetEnhancedKeyUsage) keyUsage = Crypt32<decltype(keyUsage)>("CertGetEnhancedKeyUsage");
    decltype(&::CertGetNameStringW) nameString = Crypt32<decltype(nameString)>("CertGetNameStringW");

    [[nodiscard]] bool complete() const {
        return queryObject && msgGetParam && msgClose && closeStore && subjectFromStore && issuerFromStore &&
               enumStore && freeCert && keyUsage && nameString;
    }
};

const Calls& Bound() {
    static const Calls calls;
    return calls;
}

std::string Name(PCCERT_CONTEXT cert, DWORD flags) {
    const Calls& c = Bound();
    const DWORD n = c.nameString(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, flags, nullptr, nullptr, 0);
    if (n <= 1) return "";
    std::wstring wide(n, L'\0');
    c.nameString(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, flags, nullptr, wide.data(), n);
    wide.resize(n - 1);
    // A name the code page lacks is shown with its default character: names are only shown
    // and compared with Microsoft's, which are ASCII.
    std::string ansi;
    (void)AnsiFromWide(wide, &ansi);
    return ansi;
}

std::string UtcText(const FILETIME& time) {
    SYSTEMTIME t{};
    if (!::FileTimeToSystemTime(&time, &t)) return "";
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    return text;
}

bool SameBlob(const CERT_NAME_BLOB& a, const CERT_NAME_BLOB& b) {
    return a.cbData == b.cbData && (a.cbData == 0 || std::memcmp(a.pbData, b.pbData, a.cbData) == 0);
}

CertificateRecord Record(PCCERT_CONTEXT cert, bool leaf) {
    const Calls& c = Bound();
    CertificateRecord r;
    r.subject = Name(cert, 0);
    r.issuer = Name(cert, CERT_NAME_ISSUER_FLAG);
    r.notBefore = UtcText(cert->pCertInfo->NotBefore);
    r.selfIssued = SameBlob(cert->pCertInfo->Subject, cert->pCertInfo->Issuer);
    r.signerLeaf = leaf;
    DWORD size = 0;
    if (c.keyUsage(cert, CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG, nullptr, &size) &&
        size >= sizeof(CERT_ENHKEY_USAGE)) {
        std::vector<BYTE> buffer(size);
        auto* usage = reinterpret_cast<PCERT_ENHKEY_USAGE>(buffer.data());
        if (c.keyUsage(cert, CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG, usage, &size)) {
            r.ekuExtension = true;
            for (DWORD i = 0; i < usage->cUsageIdentifier; ++i)
                r.ekus.emplace_back(usage->rgpszUsageIdentifier[i]);
        }
    }
    return r;
}

bool MayHoldSignature(HANDLE file, SignedFileKind kind) {
    char head[kSignatureHeadBytes];
    DWORD got = 0;
    if (!::ReadFile(file, head, sizeof head, &got, nullptr)) return true;  // let crypt32 say
    return zv::MayHoldSignature(std::string_view(head, got), kind);
}

class Win32Signatures final : public ISignatures {
public:
    bool ReadSignature(const std::string& path, SignedFileKind kind, SignatureRecord* record,
                       Dword* lastError) override {
        *record = {};
        const Calls& c = Bound();
        if (!c.complete()) {
            *lastError = ERROR_PROC_NOT_FOUND;
            return false;
        }
        const std::wstring wide = WideFromAnsi(path);
        // Opened first for its own error: Wine's CryptQueryObject answers a missing file with
        // CRYPT_E_NO_MATCH, as if it held something else.
        {
            const UniqueFile file(::CreateFileW(wide.c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                                nullptr));
            if (file.get() == INVALID_HANDLE_VALUE) {
                *lastError = ::GetLastError();
                return false;
            }
            // A backup reads every driver file this way: one that cannot hold a signature is
            // told from its first bytes, not from a parse of the whole file.
            if (!MayHoldSignature(file.get(), kind)) {
                *lastError = static_cast<Dword>(CRYPT_E_NO_MATCH);
                return false;
            }
        }
        const DWORD content = kind == SignedFileKind::kCatalog ? CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED
                                                               : CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED;
        HCERTSTORE store = nullptr;
        HCRYPTMSG message = nullptr;
        if (!c.queryObject(CERT_QUERY_OBJECT_FILE, wide.c_str(), content, CERT_QUERY_FORMAT_FLAG_BINARY, 0,
                           nullptr, nullptr, nullptr, &store, &message, nullptr)) {
            *lastError = ::GetLastError();
            return false;
        }
        const std::unique_ptr<void, void (*)(HCERTSTORE)> storeOwner(
            store, [](HCERTSTORE s) { (void)Bound().closeStore(s, 0); });
        const std::unique_ptr<void, void (*)(HCRYPTMSG)> messageOwner(
            message, [](HCRYPTMSG m) { (void)Bound().msgClose(m); });

        DWORD count = 0, size = sizeof count;
        if (!c.msgGetParam(message, CMSG_SIGNER_COUNT_PARAM, 0, &count, &size)) {
            *lastError = ::GetLastError();
            return false;
        }
        record->signerCount = count;
        std::set<std::string> seen;
        auto add = [&](PCCERT_CONTEXT cert, bool leaf) {
            const std::string bytes(reinterpret_cast<const char*>(cert->pbCertEncoded), cert->cbCertEncoded);
            if (!seen.insert(bytes).second) return false;
            record->certificates.push_back(Record(cert, leaf));
            return true;
        };
        for (DWORD i = 0; i < count; ++i) {
            size = 0;
            if (!c.msgGetParam(message, CMSG_SIGNER_CERT_INFO_PARAM, i, nullptr, &size) || size == 0)
                continue;
            std::vector<BYTE> info(size);
            if (!c.msgGetParam(message, CMSG_SIGNER_CERT_INFO_PARAM, i, info.data(), &size)) continue;
            PCCERT_CONTEXT leaf =
                c.subjectFromStore(store, kEncoding, reinterpret_cast<PCERT_INFO>(info.data()));
            if (!leaf) continue;
            add(leaf, true);
            // The signer's issuers as the message holds them, by name; flags 0 checks nothing.
            PCCERT_CONTEXT at = leaf;
            for (int n = 0; n < kMostIssuers && !SameBlob(at->pCertInfo->Subject, at->pCertInfo->Issuer);
                 ++n) {
                DWORD flags = 0;
                PCCERT_CONTEXT up = c.issuerFromStore(store, at, nullptr, &flags);
                c.freeCert(at);
                at = up;
                if (!at || !add(at, false)) break;
            }
            if (at) c.freeCert(at);
        }
        for (PCCERT_CONTEXT cert = c.enumStore(store, nullptr); cert; cert = c.enumStore(store, cert))
            add(cert, false);
        return true;
    }
};

}  // namespace

std::unique_ptr<ISignatures> MakeSignatures() {
    return std::make_unique<Win32Signatures>();
}

}  // namespace zv::win32
