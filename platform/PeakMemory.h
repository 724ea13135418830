#pragma once

#include <cstdint>

// The most memory the process has held in RAM at once so far, in kilobytes; 0 when
// the system does not say.
std::uint64_t peakResidentKilobytes();

// The memory the process holds in RAM now, in kilobytes; 0 when the system does not say.
std::uint64_t residentKilobytes();

// The bytes that the program's allocations hold now, as the C library's allocator
// counts them; 0 when it does not say.
std::uint64_t heapBytesInUse();
