#pragma once
// A key opened through the registry seam, closed on every way out, the failure
// paths included. A handle of 0 (the open failed, or was never tried) is nothing to close.
#include "platform/registry.h"
#include "support/unique.h"

namespace zv {

struct SeamKeyTraits {
    using Type = Hkey;
    IRegistry* registry = nullptr;
    [[nodiscard]] static constexpr Hkey invalid() noexcept { return kNoKey; }
    void close(Hkey key) const noexcept { (void)registry->CloseKey(key); }
};

using OpenedKey = Unique<SeamKeyTraits>;

[[nodiscard]] inline OpenedKey NoKeyOf(IRegistry& registry) noexcept {
    return OpenedKey(kNoKey, SeamKeyTraits{&registry});
}

}  // namespace zv
