// Placeholder until the real implementation lands.
#include "platform/win32/factories.h"

namespace zv::win32 {

std::unique_ptr<IProfile> MakeProfile() { return nullptr; }

}  // namespace zv::win32
