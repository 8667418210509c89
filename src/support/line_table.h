#pragma once
// The source text of every numbered statement, generated at build time from
// the LN(n) markers in the sources. Entry 0 is empty.
#include <cstddef>

namespace zv {

inline constexpr int kLineTableSize = 686;

extern const char* const kLineTable[kLineTableSize];

}  // namespace zv
