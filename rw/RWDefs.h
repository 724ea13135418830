#pragma once

#include <cstddef>

// The value meaning "no position": an index search that finds nothing, or an
// index that must never be used.
inline constexpr std::size_t RW_NPOS = static_cast<std::size_t>(-1);
