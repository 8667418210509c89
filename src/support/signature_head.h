#pragma once
// Whether a file can hold a signed message of a kind, told from its first bytes: a catalog
// is a DER SEQUENCE, a PE file carries an embedded signature only when its security
// directory is not empty. A backup reads every driver file's signature; this spares the
// parse of most of them.
#include <cstddef>
#include <string_view>

#include "platform/signatures.h"

namespace zv {

// The bytes of a file's start that the test looks at; fewer when the file is shorter.
inline constexpr std::size_t kSignatureHeadBytes = 4096;

// False only when the head proves that the file holds no signed message of that kind;
// true when it may, or when the head is too short to tell (crypt32 is to say).
[[nodiscard]] bool MayHoldSignature(std::string_view head, SignedFileKind kind);

}  // namespace zv
