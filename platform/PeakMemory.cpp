#include "PeakMemory.h"

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

std::uint64_t peakResidentKilobytes() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0 || usage.ru_maxrss < 0) return 0;
  // Linux counts the resident set in kilobytes.
  return static_cast<std::uint64_t>(usage.ru_maxrss);
}

std::uint64_t residentKilobytes() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return 0;
  unsigned long long size = 0;
  unsigned long long resident = 0;
  const bool read = std::fscanf(statm, "%llu %llu", &size, &resident) == 2;
  std::fclose(statm);
  const long pageBytes = sysconf(_SC_PAGESIZE);
  if (!read || pageBytes <= 0) return 0;
  return resident * static_cast<std::uint64_t>(pageBytes) / 1024;
}

std::uint64_t heapBytesInUse() {
  const struct mallinfo2 info = mallinfo2();
  // Small blocks come from the arenas, large ones are mapped one by one.
  return static_cast<std::uint64_t>(info.uordblks) + static_cast<std::uint64_t>(info.hblkhd);
}
