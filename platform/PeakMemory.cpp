#include "PeakMemory.h"

#include <sys/resource.h>

std::uint64_t peakResidentKilobytes() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0 || usage.ru_maxrss < 0) return 0;
  // Linux counts the resident set in kilobytes.
  return static_cast<std::uint64_t>(usage.ru_maxrss);
}
